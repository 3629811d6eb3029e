#include "document/rules.h"

#include "base/processstate.h"
#include "base/settings.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/report.h"
#include "language/lang.h"
#include "platform/MsgBox.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QStringList>

#include <algorithm>
#include <limits>
#include <vector>

RulesHooks gRulesHooks;

const QString kRulesFailedText =
    QStringLiteral("Error while applying rules. Please check the report for details.");

namespace {

const QString kTagBold = QStringLiteral("<b>");
const QString kTagItalic = QStringLiteral("<i>");
const QString kTagUnderline = QStringLiteral("<u>");

// Events run every this many captions during a run.
constexpr int kPumpEvery = 25;

void ResetRulesState() {
    gRulesHooks = RulesHooks();
}
SCRIVELLE_REGISTER_RESET(ResetRulesState);

int32_t Saturate(int64_t value) {
    return int32_t(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool RowInRange(int row) {
    return row >= 1 && row <= CaptionCount();
}

// Trims blanks only (tabs and line breaks are caption content).
QString TrimSpaces(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

// QString::replace builds a matcher on every call; most captions hold nothing to replace, and
// a plain search finds that out for less.
void ReplaceAll(QString& text, const QString& before, const QString& after) {
    if (text.contains(before)) text.replace(before, after);
}

// Target display time of a caption of n counted characters, in 64 bits: a long caption at a
// large per-character time would overflow anything smaller.
int64_t TargetDuration(int64_t n) {
    return int64_t(gRuleDuration[LengthClass(n)]) * n;
}

// A step of the run that fails is abandoned; the run goes on and says so once at the end.
bool gRunFailed = false;

template <typename F> void Step(F&& f) {
    try {
        f();
    } catch (...) {
        gRunFailed = true;
    }
}

void LetEventsRun() {
    // Timers and player events may run; keys and clicks wait until the run is over, so nothing
    // the user does can change the captions under the loop.
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The hourglass for the length of a run.
class BusyCursor {
public:
    BusyCursor() : mOn(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (mOn) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor() { Restore(); }
    void Restore() {
        if (mOn) QGuiApplication::restoreOverrideCursor();
        mOn = false;
    }

private:
    bool mOn;
};

// Copies caption `from` into row `to` (times, text and cell styles); the rows in between are
// dropped at the end of the run.
void MoveRow(FlexGrid& grid, int from, int to) {
    grid.SetNumber(to, kColStart, grid.Number(from, kColStart));
    grid.SetNumber(to, kColEnd, grid.Number(from, kColEnd));
    grid.SetText(to, grid.Text(from));
    for (int c = 0; c < grid.Cols(); ++c)
        grid.SetCellStyle(to, c, grid.CellStyle(from, c));
}

// Rule 1 on one row. Reported only once the new text is in the caption.
void SplitRule(int row) {
    if (gLineBreak.isEmpty()) return;
    const QString text = GetLineText(row);
    const qsizetype first = text.indexOf(gLineBreak);
    if (first < 0 || text.indexOf(gLineBreak, first + 1) < 0) return;
    const QString split = SplitInTwoLines(text);
    if (split == text) return;
    SetLineText(row, split);
    if (GetLineText(row) != split) return;
    LogCaptionIssue(row, text, kReportSplit, 0, false);
}

// A credit keyword, read once per run.
struct CreditKeyword {
    QString text;
    bool ascii; // only ASCII characters: matched without Qt's case folding where the text is ASCII too
};

// The keywords that take part: those that are more than blanks, as they stand (untrimmed).
std::vector<CreditKeyword> CreditKeywords(const QStringList& keywords) {
    std::vector<CreditKeyword> out;
    for (const QString& keyword : keywords) {
        if (TrimSpaces(keyword).isEmpty()) continue;
        const bool ascii =
            std::all_of(keyword.cbegin(), keyword.cend(), [](QChar c) { return c.unicode() < 0x80; });
        out.push_back({keyword, ascii});
    }
    return out;
}

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// Case-insensitive search of an ASCII needle in an ASCII haystack. For ASCII, Qt's case
// folding is exactly this lowering, so the answer is the same as QString::contains gives.
bool ContainsAsciiNoCase(const char16_t* hay, qsizetype hayLen, const QString& needle) {
    const char16_t* nd = reinterpret_cast<const char16_t*>(needle.constData());
    const qsizetype n = needle.size();
    if (n > hayLen) return false;
    const char16_t first = AsciiLower(nd[0]);
    for (qsizetype i = 0; i + n <= hayLen; ++i) {
        if (AsciiLower(hay[i]) != first) continue;
        qsizetype k = 1;
        while (k < n && AsciiLower(hay[i + k]) == AsciiLower(nd[k]))
            ++k;
        if (k == n) return true;
    }
    return false;
}

// Rule 3 on one row: true when the caption holds a keyword (the caller drops it).
bool IsCreditCaption(int row, const std::vector<CreditKeyword>& keywords) {
    if (keywords.empty()) return false;
    const QString text = GetLineText(row);
    const char16_t* d = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype len = text.size();
    // Outside ASCII, case folding can match other characters (the Kelvin sign is a "k"):
    // such a text goes through Qt's own search.
    const bool asciiText = std::all_of(d, d + len, [](char16_t c) { return c < 0x80; });
    for (const CreditKeyword& keyword : keywords) {
        const bool found = asciiText && keyword.ascii ? ContainsAsciiNoCase(d, len, keyword.text)
                                                      : text.contains(keyword.text, Qt::CaseInsensitive);
        if (found) {
            LogCaptionIssue(row, text, kReportRemoved, 0, false);
            return true;
        }
    }
    return false;
}

// Rule 4 on one row: line breaks are folded unless one of them starts a dialogue line.
void FixBreaksRule(int row, const QString& markerDash) {
    if (gLineBreak.isEmpty()) return;
    const QString text = GetLineText(row);
    if (!text.contains(gLineBreak, Qt::CaseInsensitive)) return;
    if (text.contains(markerDash, Qt::CaseInsensitive)) return;
    QString folded = text;
    folded.replace(gLineBreak, QStringLiteral(" "));
    if (folded == text) return;
    SetLineText(row, folded);
    if (GetLineText(row) == folded) gModified = true;
}

// The pass over all captions. A removed caption is not taken out of the grid one by one (each
// removal would move every later row): the captions that stay are moved up as the pass goes, so
// rows 1 .. kept always hold the result so far, and what is left behind them is cut off in one
// step at the end. The rules therefore see the same previous caption as after a real removal.
void RulePass(const QStringList& keywordList) {
    FlexGrid& grid = grdSubs();
    if (!IsDocumentGrid()) return;
    const std::vector<CreditKeyword> keywords = CreditKeywords(keywordList);
    const QString markerDash = gLineBreak + u'-';
    const int last = grid.Rows() - 1;
    int kept = 0;         // rows 1..kept hold the captions that stay
    int removedRow = 0;   // where the last caption was removed
    bool removed = false; // any caption was

    for (int j = 1; j <= last; ++j) {
        const int i = kept + 1; // the number this caption has now
        if (i % kPumpEvery == 0) {
            Step(LetEventsRun);
            Step([&] {
                if (gRulesHooks.showProgress)
                    gRulesHooks.showProgress(LangText(118) + u' ' + QString::number(i) +
                                             QStringLiteral(", ") + LangText(117).toLower());
            });
        }
        // Nothing may change the document meanwhile; should a handler have done it all the same,
        // stop rather than work on rows that are not there.
        if (!IsDocumentGrid() || j >= grid.Rows()) break;
        if (j != i) MoveRow(grid, j, i);

        if (gAutoSplit == 1) Step([&] { SplitRule(i); });
        if (IsLineTimed(i)) {
            if (gCollision == 1)
                Step([&] {
                    int32_t start = 0;
                    CheckCollision(i, start);
                });
            // The run changes the caption, so the document counts as modified.
            if (gAutoJoin == 1) Step([&] { JoinWithPrevious(i, false); });
            if (gDurationMode == 1) {
                Step([&] { CheckDuration(i, true); });
                Step([&] {
                    if (int64_t(GetLineEnd(i)) - GetLineStart(i) <= 0) SetDurationByLength(i, true);
                });
            }
        }
        bool drop = false;
        if (gRemoveCredits == 1) Step([&] { drop = IsCreditCaption(i, keywords); });
        if (drop) {
            removed = true;
            removedRow = i;
            continue; // row i takes the next caption
        }
        if (gFixBreaks == 1) Step([&] { FixBreaksRule(i, markerDash); });
        kept = i;
    }

    if (!removed) return;
    Step([&] {
        const int rows = grid.Rows() - 1;
        if (kept == 0) {
            // Every caption went: the document keeps one empty caption.
            RemoveLines(1, rows);
            return;
        }
        if (kept < rows) grid.RemoveRange(kept + 1, rows - kept);
        RenumberLines();
        SelectLine(std::min(removedRow, grid.Rows() - 1), false);
        gModified = true;
    });
}

} // namespace

// --- Counting ---

int64_t RuleCharCount(const QString& text) {
    int64_t n = text.size();
    // Every tag starts with "<": most captions hold none and need no search for them.
    if (text.contains(u'<')) {
        for (const QString* tag : {&kTagBold, &kTagItalic, &kTagUnderline})
            if (text.contains(*tag)) n -= tag->size();
    }
    if (!gLineBreak.isEmpty() && text.contains(gLineBreak)) n -= gLineBreak.size();
    return n;
}

int LengthClass(int64_t count) {
    if (count <= 5) return 0;
    if (count <= 15) return 1;
    return 2;
}

// --- The rules ---

QString SplitInTwoLines(const QString& text) {
    const QString marker = gLineBreak;
    QString t = text;
    if (marker.size() == 1)
        t.replace(marker[0], u' ');
    else if (!marker.isEmpty())
        ReplaceAll(t, marker, QStringLiteral(" "));
    ReplaceAll(t, QStringLiteral("  "), QStringLiteral(" "));
    if (t.contains(u'\r')) {
        t.replace(QStringLiteral("\r\n "), QStringLiteral("\r\n"));
        t.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    }
    t = TrimSpaces(t);
    // No space: one word, which stays whole on one line. Without a marker there is nothing to
    // split with: the words stay on one line too.
    if (marker.isEmpty() || !t.contains(u' ')) return t;

    // A dialogue: the second speaker's line starts at its dash (not the text's first character).
    const qsizetype dash = t.indexOf(QStringLiteral("- "), 2);
    if (dash >= 0) return TrimSpaces(t.left(dash)) + marker + TrimSpaces(t.mid(dash));

    // The space nearest the middle, probing forwards and backwards in turn; when the backward
    // probe finds one and the next forward position is a space as well, the forward one wins.
    // Positions count from 1, as the probes are described.
    const qsizetype len = t.size();
    const auto isSpace = [&](qsizetype pos) { return pos >= 1 && pos <= len && t[pos - 1] == u' '; };
    qsizetype f = len / 2, b = f - 1, p = 0;
    while (f <= len || b >= 1) {
        if (isSpace(f)) {
            p = f;
            break;
        }
        ++f;
        if (isSpace(b)) {
            p = isSpace(f) ? f : b;
            break;
        }
        --b;
    }
    if (p == 0) return t; // not reached: t holds a space
    return TrimSpaces(t.left(p - 1)) + marker + TrimSpaces(t.mid(p));
}

void CheckCollision(int row, int32_t& start) {
    if (!RowInRange(row) || !IsLineTimed(row - 1)) return;
    const int32_t prevEnd = GetLineEnd(row - 1);
    if (start == 0) {
        if (!IsLineTimed(row)) return;
        start = GetLineStart(row);
    }
    if (prevEnd <= start) return;
    if (gCollision == 1) SetLineStart(row, prevEnd, false);
    LogCaptionIssue(row, GetLineText(row), kReportCollision, Saturate(int64_t(prevEnd) - start),
                    gCollision != 0);
}

void JoinWithPrevious(int row, bool bNoDirty) {
    if (!RowInRange(row) || !IsLineTimed(row - 1)) return;
    const int32_t prevEnd = GetLineEnd(row - 1);
    const int32_t start = GetLineStart(row);
    if (start != prevEnd && int64_t(start) <= int64_t(prevEnd) + gNear) SetLineStart(row, prevEnd, bNoDirty);
}

void CheckDuration(int row, bool bFix) {
    if (!RowInRange(row)) return;
    const QString text = GetLineText(row);
    const int32_t start = GetLineStart(row), end = GetLineEnd(row);
    const int64_t d = int64_t(end) - start;
    if (d <= 0) return;
    const int64_t n = RuleCharCount(text);
    if (n < 1) return;
    const int k = LengthClass(n);
    const double perChar = double(d) / double(n);
    const int32_t target = gRuleDuration[k], tolerance = gRuleTolerance[k];
    if (target - tolerance <= perChar && perChar <= target + tolerance) return;
    int64_t amount = TargetDuration(n) - d;
    if (bFix) {
        SetLineEnd(row, Saturate(int64_t(start) + TargetDuration(n)));
        // What was really done, should the end have reached the largest time.
        amount = int64_t(GetLineEnd(row)) - end;
    }
    LogCaptionIssue(row, text, kReportDuration, Saturate(amount), bFix);
}

void SetDurationByLength(int row, bool bReport) {
    if (!RowInRange(row)) return;
    const QString text = GetLineText(row);
    const int32_t start = GetLineStart(row);
    if (int64_t(GetLineEnd(row)) - start < 1) SetLineEnd(row, Saturate(int64_t(start) + 100));
    const int64_t n = RuleCharCount(text);
    if (n < 1) return;
    const int64_t target = TargetDuration(n);
    SetLineEnd(row, Saturate(int64_t(start) + target));
    if (bReport) LogCaptionIssue(row, text, kReportNegativeDuration, Saturate(target), false);
}

// --- The run ---

void ApplyRules(bool bSilent) {
    // A timer or player event that runs while the rules let events run must not start another run.
    if (IsDocumentBusy()) return;
    gRunFailed = false;
    {
        DocumentBusyGuard busy;
        Step([] {
            if (gRulesHooks.unloadSideWindows) gRulesHooks.unloadSideWindows();
        });
        Step([] {
            if (gRulesHooks.unloadReportWindow) gRulesHooks.unloadReportWindow();
        });
        BusyCursor cursor;
        ResetReportLists();
        QStringList keywords;
        if (gRemoveCredits == 1) keywords = gCreditsText.split(u',');
        bool wasPlaying = false;
        Step([&] {
            if (gRulesHooks.pausePlayer) wasPlaying = gRulesHooks.pausePlayer();
        });

        // The grid takes no input and is redrawn once, after the run: its drawing stops first,
        // so that taking its input away does not repaint it (a whole grid at the run's start).
        FlexGrid& grid = grdSubs();
        const bool enabled = grid.Enabled(), redraw = grid.Redraw();
        grid.SetRedraw(false);
        grid.SetEnabled(false);
        RulePass(keywords);
        grid.SetEnabled(enabled);
        grid.SetRedraw(redraw);
        RefreshCurrentLine();

        Step([] {
            if (gRulesHooks.restoreFileLabels) gRulesHooks.restoreFileLabels();
        });
        cursor.Restore();
        if (wasPlaying)
            Step([] {
                if (gRulesHooks.resumePlayer) gRulesHooks.resumePlayer();
            });
    }

    if (gReportCount > 0) {
        Step([] {
            if (gRulesHooks.showReport) gRulesHooks.showReport();
        });
    } else if (!bSilent) {
        MsgBox(LangText(271), vbInformation, LangText(31));
    }
    if (gRunFailed) {
        gRunFailed = false;
        MsgBox(kRulesFailedText, vbOKOnly);
    }
}
