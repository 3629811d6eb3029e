#include "formats/reader.h"

#include "base/textsearch.h"
#include "base/threadheap.h"
#include "base/threadplace.h"
#include "formats/formattime.h"
#include "formats/readerpaths.h"
#include "formats/textops.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <iterator>
#include <optional>
#include <system_error>
#include <thread>

namespace {

const tReaderPath kReaderPaths[] = {
    {"SUBRIP", &ReadSubRipLine, nullptr, nullptr, true},
    {"WEBVTT", &ReadWebVttLine, nullptr, &FinishWebVtt},
    {"VPLAYER", &ReadVPlayerLine, nullptr, &FinishTimedLines},
    {"SUBCREATOR", &ReadTimedLine, nullptr, &FinishTimedLines},
    {"DKS", &ReadTimedLine, nullptr, &FinishTimedLines},
    {"KARAOKELRC", &ReadLyricsLine, nullptr, &FinishTimedLines},
    {"QUICKTIMETEXT", &ReadQuickTimeLine},
    {"AQTITLE", &ReadAqTitleLine},
    {"JACOSUB", &ReadJacoSubLine},
    {"DFXP", nullptr, nullptr, &FinishTimedText, false, &ReadTimedText},
    {"TTML", nullptr, nullptr, &FinishTimedText, false, &ReadTimedText},
    {"SMPTETT", nullptr, nullptr, &FinishTimedText, false, &ReadTimedText},
    {"EBUTTD", nullptr, nullptr, &FinishTimedText, false, &ReadTimedText},
    {"SAMI", &ReadSamiLine, nullptr, &FinishSami},
    {"SUBSTATIONALPHA", &ReadSsaLine, nullptr, &FinishSsa},
    {"ADVANCEDSSA", &ReadSsaLine, nullptr, &FinishSsa},
    {"TMPLAYER", &ReadTmPlayerLine},
    {"ADOBEENCORE", &ReadAdobeEncoreLine},
    {"SPRUCEDVDMAESTRO", &ReadSpruceLine},
    {"SONICSCENARIST", &ReadSpruceLine, &PrepareSonicLine},
    {"MICRODVD", nullptr, &PrepareMicroDvdLine},
    {"UDVDWORKSHOP20", nullptr, &PrepareUleadLine},
    {"USF", nullptr, nullptr, &FinishUsf, false, &ReadUsf},
    {"GPACTTXT", nullptr, nullptr, &FinishGpacText, false, &ReadGpacText},
    {"CAPTIONATE", nullptr, nullptr, &FinishCaptionate, false, &ReadCaptionate},
    {"REALTEXT", nullptr, nullptr, &FinishRealText, false, &ReadRealText},
};

// Lines between two polls when captions are few (a hostile file of junk lines still lets the
// window breathe).
constexpr int kLinesPerPoll = 4096;

const QString kTagNames[3] = {QStringLiteral("<b>"), QStringLiteral("<i>"), QStringLiteral("<u>")};
const QString kCloseNames[3] = {QStringLiteral("</b>"), QStringLiteral("</i>"), QStringLiteral("</u>")};

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}

} // namespace

const tReaderPath* FindReaderPath(QStringView id) {
    for (const tReaderPath& p : kReaderPaths)
        if (id == QLatin1String(p.id)) return &p;
    return nullptr;
}

tFormatDef PlainTextDefinition() {
    tFormatDef def;
    def.Id = QStringLiteral("PLAINTEXT");
    def.Timecode = QStringLiteral("ms");
    def.TimeMask = QStringLiteral("0");
    def.LineBreakToken = QStringLiteral("[enter]");
    return def;
}

bool IsReadableDefinition(const tFormatDef& def) {
    const tReaderPath* path = FindReaderPath(def.Id);
    if (path && (path->readLine || path->readText)) return true;
    const qsizetype s = def.Body.indexOf(QLatin1String("zrvStart"), 0, Qt::CaseInsensitive);
    const qsizetype e = def.Body.indexOf(QLatin1String("zrvEnd"), 0, Qt::CaseInsensitive);
    const qsizetype c = def.Body.indexOf(QLatin1String("zrvCaption"), 0, Qt::CaseInsensitive);
    return s >= 0 && e > s && c > s;
}

// --- The reader's state ---

tCaptionReader::tCaptionReader(const tReadSetup& setup)
    : def_(setup.def), setup_(setup), lineBreak_(setup.lineBreak), timedSample_(setup.timedSample),
      limit_(std::max(0, setup.limit)) {
    PrepareDefinition();
}

void tCaptionReader::PrepareDefinition() {
    time_ = TimecodeReader(def_);
    // Underline, italic, bold: the format's bold tag with its "b" swapped for the style's letter.
    styleCount_ = 0;
    const struct {
        uint8_t bit;
        char16_t letter;
        int tag;
    } kStyles[] = {{4, u'u', 2}, {2, u'i', 1}, {1, u'b', 0}};
    const bool closes = !def_.TagClose.isEmpty() && def_.TagClose != QLatin1String("---");
    for (const auto& st : kStyles) {
        // A format that names no opening tag carries no style it could be recognised by.
        if ((def_.TagFlags & st.bit) == 0 || def_.TagOpen.isEmpty()) continue;
        const QString letter(1, QChar(st.letter));
        StyleTags& t = styles_[size_t(styleCount_++)];
        t.open = ReplaceText(def_.TagOpen, u"b", letter, Qt::CaseInsensitive);
        t.close = closes ? ReplaceText(def_.TagClose, u"b", letter, Qt::CaseInsensitive) : QString();
        t.tag = kTagNames[st.tag];
    }
    const QString& token = def_.LineBreakToken;
    replaceToken_ = !token.isEmpty() && token.compare(QLatin1String("[enter]"), Qt::CaseInsensitive) != 0 &&
                    token.compare(QLatin1String("none"), Qt::CaseInsensitive) != 0 && token != lineBreak_;
    unescape_ = def_.TextEscape == QLatin1String("xml");
    stylesOpenWithLt_ = true;
    for (int k = 0; k < styleCount_; ++k)
        stylesOpenWithLt_ = stylesOpenWithLt_ && styles_[size_t(k)].open.startsWith(u'<');
    // The characters a tag or other markup can begin with, and those and the line-break marker's
    // first character in a bit set (ASCII) for StylesCoverText.
    tagStartCount_ = 0;
    starts_[0] = starts_[1] = 0;
    otherStart_ = 0;
    const auto addStart = [this](char16_t c, bool tag) {
        if (c >= 0x80) {
            otherStart_ = c;
        } else {
            starts_[c >> 6] |= uint64_t(1) << (c & 63);
        }
        if (!tag) return;
        for (int k = 0; k < tagStartCount_; ++k)
            if (tagStartChars_[size_t(k)] == c) return;
        if (tagStartCount_ < int(tagStartChars_.size())) tagStartChars_[size_t(tagStartCount_++)] = c;
    };
    addStart(u'<', true);
    addStart(u'{', true);
    for (int k = 0; k < styleCount_; ++k) {
        for (const QString* tag : {&styles_[size_t(k)].open, &styles_[size_t(k)].close}) {
            if (tag->isEmpty()) continue;
            addStart(AsciiLower(tag->front().unicode()), true);
            addStart(AsciiUpper(tag->front().unicode()), true);
        }
    }
    if (!lineBreak_.isEmpty()) addStart(lineBreak_.front().unicode(), false);
}

int32_t tCaptionReader::Time(QStringView field) {
    bool clamped = false, negative = false;
    const int32_t ms = TimecodeToMs(time_, field, setup_.fps, &clamped, &negative);
    if (clamped) ++clampedTimes;
    if (negative) ++negativeTimes;
    return ms;
}

int32_t tCaptionReader::LimitTime(int64_t ms) {
    if (ms > kMaxTimeMs) ++clampedTimes;
    if (ms < 0) ++negativeTimes;
    return ClampTime(ms);
}

int32_t tCaptionReader::DefaultEnd(int64_t start) {
    ++endsSet;
    return ClampTime(start + kDefaultCaptionMs);
}

void tCaptionReader::AppendText(QStringView piece) {
    if (!text.isEmpty()) text += lineBreak_;
    text += piece;
}

void tCaptionReader::NotRead(QStringView line) {
    line = line.trimmed();
    if (line.isEmpty()) return;
    ++unreadLines;
    if (unreadSamples.size() < kUnreadSamples) {
        // Enough to recognise the line by; a markup document may be one line of megabytes.
        constexpr qsizetype kSampleChars = 60;
        unreadSamples << (line.size() > kSampleChars ? line.left(kSampleChars).toString() + QStringLiteral("...")
                                                     : line.toString());
    }
}

void tCaptionReader::DropPending() {
    if (!IsBlank(text)) ++skipped;
    ClearPending();
}

void tCaptionReader::ClearText() {
    // The buffer is kept for the next caption's text (unless something else shares it).
    if (text.isDetached())
        text.truncate(0);
    else
        text.clear();
}

void tCaptionReader::ClearPending() {
    ClearText();
    start = -1;
    end = -1;
    textClosed = false;
}

bool tCaptionReader::AtRest() const {
    return text.isEmpty() && start < 0 && end < 0 && !textClosed && !sectionOpen && !sectionGuessed &&
           grammarState == 0 && document.isEmpty() && entries.empty() && !entriesUnordered && !grammarData &&
           def_.Id == setup_.def.Id;
}

namespace {

// QString::contains(c, Qt::CaseInsensitive), without case folding every character of the text
// where it cannot matter: no character folds to an ASCII character that is not a letter, so
// for those ("<", "{", "[") the plain search gives the same answer.
bool ContainsCharNoCase(const QString& text, QChar c) {
    const char16_t u = c.unicode();
    const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    if (u < 0x80 && !letter) return text.contains(c);
    return text.contains(c, Qt::CaseInsensitive);
}

bool IsAsciiString(const QString& s) {
    const char16_t* p = reinterpret_cast<const char16_t*>(s.constData());
    char16_t any = 0;
    for (qsizetype i = 0, n = s.size(); i < n; ++i)
        any |= p[i];
    return any < 0x80;
}

// QString::contains(needle, Qt::CaseInsensitive). Between ASCII texts case folding is plain
// lowering, which is done here; anything else goes through Qt's folding. textAscii: the caller
// knows the text is ASCII (removing text or putting ASCII tags in front keeps it so).
bool ContainsNoCase(const QString& text, const QString& needle, bool textAscii = false) {
    if (needle.isEmpty() || !IsAsciiString(needle) || !(textAscii || IsAsciiString(text)))
        return text.contains(needle, Qt::CaseInsensitive);
    const char16_t* h = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* n = reinterpret_cast<const char16_t*>(needle.constData());
    const qsizetype hn = text.size(), nn = needle.size();
    // A needle that begins with anything but a letter ("<b>") can only start where that very
    // character stands: the search jumps from one to the next.
    const bool firstIsLetter = AsciiLower(n[0]) != AsciiUpper(n[0]);
    for (qsizetype i = 0; i + nn <= hn; ++i) {
        if (!firstIsLetter) {
            i = FindChar(text, QChar(n[0]), i);
            if (i < 0 || i + nn > hn) return false;
        }
        qsizetype k = 0;
        while (k < nn && AsciiLower(h[i + k]) == AsciiLower(n[k]))
            ++k;
        if (k == nn) return true;
    }
    return false;
}

} // namespace

bool tCaptionReader::StylesCoverText() const {
    const QStringView t(text);
    // Most captions hold nothing that could be a tag.
    bool mayHoldTag = false;
    for (int k = 0; k < tagStartCount_ && !mayHoldTag; ++k)
        mayHoldTag = t.contains(QChar(tagStartChars_[size_t(k)]));
    if (!mayHoldTag) return true;
    const char16_t* p = reinterpret_cast<const char16_t*>(t.data());
    const qsizetype n = t.size();
    // Tags are ASCII: compared by lowering ASCII letters.
    const auto at = [p, n](qsizetype i, const QString& tag) {
        const qsizetype len = tag.size();
        if (len == 0 || i + len > n) return false;
        const char16_t* q = reinterpret_cast<const char16_t*>(tag.constData());
        for (qsizetype k = 0; k < len; ++k)
            if (AsciiLower(p[i + k]) != AsciiLower(q[k])) return false;
        return true;
    };
    // The usual caption: its styles opened at its front and closed at its end, nothing that
    // could be a tag in between.
    {
        qsizetype from = 0, to = n;
        for (bool more = true; more;) {
            more = false;
            for (int k = 0; k < styleCount_; ++k)
                if (at(from, styles_[size_t(k)].open)) {
                    from += styles_[size_t(k)].open.size();
                    more = true;
                }
        }
        for (bool more = true; more;) {
            more = false;
            for (int k = 0; k < styleCount_; ++k) {
                const qsizetype len = styles_[size_t(k)].close.size();
                if (len > 0 && to - len >= from && at(to - len, styles_[size_t(k)].close)) {
                    to -= len;
                    more = true;
                }
            }
        }
        const QStringView middle = t.mid(from, std::max<qsizetype>(0, to - from));
        bool plain = true;
        for (int k = 0; k < tagStartCount_ && plain; ++k)
            plain = !middle.contains(QChar(tagStartChars_[size_t(k)]));
        if (plain) return true;
    }
    // The styles that are on, those the text holds at all, and those some shown character stood
    // outside of.
    unsigned on = 0, present = 0, outside = 0;
    for (qsizetype i = 0; i < n;) {
        const char16_t c = p[i];
        const bool special = c < 0x80 ? ((starts_[c >> 6] >> (c & 63)) & 1) != 0 : c == otherStart_;
        if (special) {
            bool tag = false;
            for (int k = 0; k < styleCount_ && !tag; ++k) {
                const StyleTags& st = styles_[size_t(k)];
                if (at(i, st.open)) {
                    on |= 1u << k;
                    present |= 1u << k;
                    i += st.open.size();
                    tag = true;
                } else if (at(i, st.close)) {
                    on &= ~(1u << k);
                    i += st.close.size();
                    tag = true;
                }
            }
            if (tag) continue;
            // Other markup and override blocks show nothing.
            const qsizetype closer =
                c == u'<' && i + 1 < n && (QChar(p[i + 1]).isLetter() || p[i + 1] == u'/')
                    ? t.indexOf(u'>', i + 1)
                : c == u'{' ? t.indexOf(u'}', i + 1)
                            : -1;
            if (closer > i) {
                i = closer + 1;
                continue;
            }
            if (at(i, lineBreak_)) {
                i += lineBreak_.size();
                continue;
            }
        }
        const bool blank =
            c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || (c >= 0x80 && QChar::isSpace(c));
        if (!blank) outside |= ~on;
        ++i;
    }
    return (present & outside) == 0;
}

void tCaptionReader::FlushCaption() {
    // Whether the text may hold a "<": looked for once (again after closing tags went), and set
    // again when a tag goes in front.
    bool mayHoldLt = ContainsChar(text, u'<');
    // A style on part of the caption becomes the whole caption's: the file's own is lost.
    if (styleCount_ > 0 && (leftOut & kLeftInlineStyles) == 0 && (mayHoldLt || !stylesOpenWithLt_) &&
        !StylesCoverText())
        leftOut |= kLeftInlineStyles;
    if (mayHoldLt) {
        for (const QString& close : kCloseNames)
            RemoveText(text, close);
        mayHoldLt = ContainsChar(text, u'<');
    }
    // Whether the text is ASCII, looked at once where it matters: what follows only takes text
    // out or puts ASCII tags in front.
    std::optional<bool> ascii;
    for (int k = 0; k < styleCount_; ++k) {
        const StyleTags& t = styles_[size_t(k)];
        // Most captions carry no tag at all: a look for the tag's first character is cheap.
        if (t.open.front() == u'<' && !mayHoldLt) continue;
        if (!ContainsCharNoCase(text, t.open.front())) continue;
        if (!ascii) ascii = IsAsciiString(text);
        if (!ContainsNoCase(text, t.open, *ascii)) continue;
        RemoveMatches(text, t.open, Qt::CaseInsensitive);
        if (!t.close.isEmpty()) RemoveMatches(text, t.close, Qt::CaseInsensitive);
        text.prepend(t.tag);
        mayHoldLt = true;
    }
    if (replaceToken_ && text.contains(def_.LineBreakToken.front()))
        text = ReplaceText(text, def_.LineBreakToken, lineBreak_);
    if (text.contains(u'\r')) text.remove(QLatin1String("\r\n"));
    if (unescape_) {
        // Styles are the tags the file wrote as markup; a "<b>" that the file wrote escaped
        // ("&lt;b&gt;") is text and stays where it stands.
        MoveStylesToFront(text);
        const QString t = UnescapeMarkup(text, lineBreak_);
        if (!IsBlank(t)) Store(t);
    } else if (!IsBlank(text)) {
        AddImportedCaption();
    }
    ClearPending();
}

void tCaptionReader::MoveStylesToFront(QString& t) const {
    if (def_.TagFlags > 0 && ContainsChar(t, u'<')) {
        // Taking the tags out and putting them in front keeps an ASCII text ASCII.
        const bool ascii = IsAsciiString(t);
        for (int k = 0; k < 3; ++k) {
            if (!ContainsNoCase(t, kTagNames[k], ascii)) continue;
            RemoveText(t, kTagNames[k]);
            RemoveText(t, kCloseNames[k]);
            t.prepend(kTagNames[k]);
        }
    }
}

void tCaptionReader::Store(QString t) {
    if (int(captions.size()) >= limit_) {
        limitReached = true;
        return;
    }
    captions.push_back({std::max(start, 0), std::max(end, 0), std::move(t)});
}

void tCaptionReader::AddImportedCaption() {
    // The pending text is a buffer that every caption's text is gathered in; the caption
    // gets its own copy, exactly as long as the text. A long text is not copied: the caption
    // takes the buffer itself, cut to the text's length (a one-line file of a hundred megabytes
    // would otherwise be held twice over).
    constexpr qsizetype kTakenChars = qsizetype(64) << 10;
    MoveStylesToFront(text);
    if (text.size() >= kTakenChars) {
        text.squeeze();
        Store(std::move(text));
        text = QString();
    } else {
        Store(QString(text.constData(), text.size()));
    }
    ClearText();
}

bool tCaptionReader::SwitchFormat(const QString& id) {
    tFormatDef next;
    if (setup_.switchFormat) {
        if (!setup_.switchFormat(id, next)) return false;
    } else {
        const tFormatDef saved = gFormatDef;
        const bool ok = LoadFormatDefinition(id, false, false);
        next = gFormatDef;
        gFormatDef = saved;
        if (!ok) return false;
    }
    def_ = next;
    PrepareDefinition();
    return true;
}

// --- The read ---

namespace {

// How a text is read: the grammar of its format, or its body template.
struct tGrammar {
    const tReaderPath* path = nullptr;
    std::optional<tTemplateParser> parser;

    tGrammar(const tReadSetup& setup, const tCaptionReader& reader) {
        path = setup.plainText ? nullptr : FindReaderPath(reader.Def().Id);
        if (!setup.plainText && !(path && (path->readLine || path->readText)) &&
            IsReadableDefinition(reader.Def()))
            parser.emplace(reader.Def(), setup.timedSample, setup.ownHeader);
    }
};

enum class tLinesRead { Whole, Cancelled, Stopped };

// Reads every line of text into reader, unless the setup's poll (where polls is set) cancels the
// read or stop is set.
tLinesRead ReadLines(const tFileText& text, const tReadSetup& setup, tCaptionReader& reader,
                     tGrammar& grammar, bool polls, const std::atomic<bool>* stop = nullptr) {
    // Room for more captions than any file of this size holds (a caption takes more than 16
    // characters), so that the list is never moved while it grows. Pages that are not used are
    // never touched.
    reader.captions.reserve(size_t(std::min<qsizetype>(text.size() / 16 + 1, std::max(0, setup.limit))));
    size_t lastPolled = size_t(-1);
    int linesSincePoll = 0;
    tLinesRead result = tLinesRead::Whole;
    // False when the read is to stop here.
    const auto goOn = [&] {
        if (stop && stop->load(std::memory_order_relaxed)) {
            result = tLinesRead::Stopped;
            return false;
        }
        const size_t count = reader.captions.size();
        if (polls && ((count % 100 == 0 && count != lastPolled) || ++linesSincePoll >= kLinesPerPoll)) {
            if (count % 100 == 0) lastPolled = count;
            linesSincePoll = 0;
            if (setup.poll && setup.poll()) {
                result = tLinesRead::Cancelled;
                return false;
            }
        }
        return true;
    };
    if (grammar.path && grammar.path->readText) {
        text.ForEachPiece(kTextPieceChars, [&](QStringView piece, bool lineEnds) {
            // A long piece counts as the many lines it would be in another file.
            linesSincePoll += int(piece.size() >> 6);
            if (!goOn()) return false;
            grammar.path->readText(reader, piece, lineEnds);
            return !reader.limitReached;
        });
        return result;
    }
    if (setup.plainText) {
        // Each line is its caption's text: made once, in the string the caption keeps.
        text.ForEachOwnedLine([&](QString line) {
            if (!goOn()) return false;
            if (!line.isEmpty()) {
                reader.text = std::move(line);
                reader.start = reader.end = 0;
                reader.AddImportedCaption();
                reader.ClearPending();
            }
            return !reader.limitReached;
        });
        return result;
    }
    text.ForEachLine([&](QStringView raw) {
        if (!goOn()) return false;
        QStringView line = TrimLine(raw);
        const tReaderPath*& path = grammar.path;
        if (path && path->prepareLine) {
            const QString before = reader.Def().Id;
            if (!path->prepareLine(reader, line)) line = QStringView();
            if (reader.Def().Id != before) path = FindReaderPath(reader.Def().Id);
        }
        if (path && path->readLine)
            path->readLine(reader, line);
        else if (grammar.parser)
            grammar.parser->ReadLine(reader, line);
        return !reader.limitReached;
    });
    return result;
}

// The end of the text: what the grammar holds until then, and the last pending caption.
void FinishRead(tCaptionReader& reader, tGrammar& grammar) {
    if (reader.limitReached) return;
    if (grammar.path && grammar.path->finish) grammar.path->finish(reader);
    if (grammar.parser) grammar.parser->Finish(reader);
    // A last caption whose end the file never gave (its closing line, the next time line): it
    // shows as long as a caption nothing ends does in every format, and the user is told.
    if (!reader.Complete() && reader.start >= 0 && reader.end < 0 && !IsBlank(reader.text))
        reader.end = reader.DefaultEnd(reader.start);
    if (reader.Complete())
        reader.FlushCaption();
    else if (!reader.limitReached)
        // A caption whose times the file never completed.
        reader.DropPending();
}

tReadOutcome Outcome(tCaptionReader& reader, bool aborted) {
    tReadOutcome outcome;
    outcome.aborted = aborted;
    outcome.captions = std::move(reader.captions);
    outcome.limitReached = reader.limitReached;
    outcome.skipped = reader.skipped;
    outcome.clampedTimes = reader.clampedTimes;
    outcome.negativeTimes = reader.negativeTimes;
    outcome.endsSet = reader.endsSet;
    outcome.leftOut = reader.leftOut;
    outcome.unreadLines = reader.unreadLines;
    outcome.unreadSamples = std::move(reader.unreadSamples);
    outcome.formatId = reader.Def().Id;
    return outcome;
}

tReadOutcome ReadWhole(const tFileText& text, const tReadSetup& setup) {
    tCaptionReader reader(setup);
    tGrammar grammar(setup, reader);
    const bool aborted = ReadLines(text, setup, reader, grammar, true) != tLinesRead::Whole;
    if (!aborted) FinishRead(reader, grammar);
    return Outcome(reader, aborted);
}

bool IsLineEnd(char16_t c) {
    return c == u'\n' || c == u'\r';
}

// Where the line after the one at i begins (a CR LF ends a line as one), or the text's size.
qsizetype NextLineStart(const tFileText& text, qsizetype i) {
    const qsizetype n = text.size();
    while (i < n && !IsLineEnd(text.at(i)))
        ++i;
    if (i >= n) return n;
    if (text.at(i) == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ++i;
    return i + 1;
}

// Where the line after the first blank line (nothing but blanks and tabs) past `from` begins,
// or the text's size.
qsizetype AfterBlankLine(const tFileText& text, qsizetype from) {
    const qsizetype n = text.size();
    for (qsizetype line = NextLineStart(text, from); line < n;) {
        qsizetype end = line;
        bool blank = true;
        for (; end < n && !IsLineEnd(text.at(end)); ++end)
            blank = blank && (text.at(end) == u' ' || text.at(end) == u'\t');
        line = NextLineStart(text, end);
        if (blank) return line;
    }
    return n;
}

// One part of a text, read on a thread of its own.
struct tPart {
    tFileText text{QStringView()};
    std::optional<tCaptionReader> reader;
    bool cancelled = false; // the setup's poll stopped the read
    bool complete = false;  // read to its end, below the limit, the reader holding nothing
    std::exception_ptr error;
};

// Reads a large text of a format whose captions end at a blank line in parts at once, each part
// beginning after a blank line. A grammar that holds nothing after a blank line reads what
// follows as it would read a new text, so the parts' captions, one after the other, are those of
// one reading from start to end. That the reader holds nothing is checked at the end of every
// part; where it does not, where the captions reach the limit, or where the text is too small to
// gain, nothing is returned and the text is read as a whole.
std::optional<tReadOutcome> ReadInParts(const tFileText& text, const tReadSetup& setup) {
    if (setup.plainText) return std::nullopt;
    const tReaderPath* path = FindReaderPath(setup.def.Id);
    if (!path || !path->partsAfterBlankLines) return std::nullopt;
    const qsizetype n = text.size();
    const qsizetype partChars = std::max<qsizetype>(1, setup.partChars);
    const qsizetype most = setup.parts > 0 ? setup.parts : std::min(8, UsableProcessors());
    const qsizetype wanted = std::min(most, n / partChars);
    if (wanted < 2) return std::nullopt;
    std::vector<tPart> parts;
    for (qsizetype from = 0; from < n;) {
        const qsizetype left = wanted - qsizetype(parts.size());
        const qsizetype to =
            left <= 1 ? n : AfterBlankLine(text, from + std::max(partChars, (n - from) / left));
        parts.emplace_back().text = text.mid(from, to - from);
        from = to;
    }
    if (parts.size() < 2) return std::nullopt;

    std::atomic<bool> stop{false};
    // The first part is read on the calling thread, where the window's events run between
    // captions, and whose heap grows in large steps anyway.
    const int creatorProcessor = CurrentProcessor();
    const auto readPart = [&](tPart& part, bool first) {
        if (!first) LeaveProcessor(creatorProcessor);
        try {
            std::optional<ThreadHeapRoom> room;
            if (!first) room.emplace(2 * size_t(part.text.size()));
            tCaptionReader& reader = part.reader.emplace(setup);
            tGrammar grammar(setup, reader);
            const tLinesRead read = ReadLines(part.text, setup, reader, grammar, first, &stop);
            if (read == tLinesRead::Whole) {
                const bool last = &part == &parts.back();
                if (last) FinishRead(reader, grammar);
                part.complete = !reader.limitReached && (last || reader.AtRest());
            }
            part.cancelled = read == tLinesRead::Cancelled;
        } catch (...) {
            part.error = std::current_exception();
        }
        if (!part.complete) stop = true;
    };
    std::vector<std::thread> threads;
    threads.reserve(parts.size() - 1);
    try {
        for (size_t k = 1; k < parts.size(); ++k)
            threads.emplace_back(readPart, std::ref(parts[k]), false);
    } catch (const std::system_error&) {
        // No more threads to be had: the parts begun stop, and the text is read as a whole.
        stop = true;
    }
    const bool started = threads.size() == parts.size() - 1;
    if (started) readPart(parts[0], true);
    for (std::thread& t : threads)
        t.join();
    if (!started) return std::nullopt;

    for (const tPart& part : parts)
        if (part.error) std::rethrow_exception(part.error);
    if (parts[0].cancelled) return Outcome(*parts[0].reader, true);
    size_t total = 0;
    for (const tPart& part : parts) {
        if (!part.complete) return std::nullopt;
        total += part.reader->captions.size();
    }
    if (total > size_t(std::max(0, setup.limit))) return std::nullopt;

    tReadOutcome outcome;
    if (!setup.keepPieces) outcome.captions.reserve(total);
    for (tPart& part : parts) {
        std::vector<tImportCaption>& captions = part.reader->captions;
        if (setup.keepPieces)
            outcome.pieces.push_back(std::move(captions));
        else
            std::move(captions.begin(), captions.end(), std::back_inserter(outcome.captions));
        outcome.skipped += part.reader->skipped;
        outcome.clampedTimes += part.reader->clampedTimes;
        outcome.negativeTimes += part.reader->negativeTimes;
        outcome.endsSet += part.reader->endsSet;
        outcome.leftOut |= part.reader->leftOut;
        outcome.unreadLines += part.reader->unreadLines;
        for (const QString& sample : part.reader->unreadSamples)
            if (outcome.unreadSamples.size() < kUnreadSamples) outcome.unreadSamples << sample;
    }
    outcome.formatId = parts.back().reader->Def().Id;
    return outcome;
}

} // namespace

bool ReadLostContent(const tReadOutcome& outcome) {
    // A set end is written by every format's writer where the file had none: a plain Save would
    // change the file.
    return outcome.skipped > 0 || outcome.clampedTimes > 0 || outcome.negativeTimes > 0 ||
           outcome.endsSet > 0 || outcome.unreadLines > 0 || outcome.leftOut != 0;
}

tReadOutcome ParseSubtitleText(QStringView text, const tReadSetup& setup) {
    return ParseSubtitleText(tFileText(text), setup);
}

tReadOutcome ParseSubtitleText(const tFileText& text, const tReadSetup& setup) {
    std::optional<tReadOutcome> outcome = ReadInParts(text, setup);
    if (!outcome) outcome = ReadWhole(text, setup);
    if (!outcome->aborted) outcome->leftOut |= MarkupLeftOut(text, setup, outcome->formatId);
    return std::move(*outcome);
}
