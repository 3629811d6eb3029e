#include "formats/writer.h"

#include "base/filenames.h"
#include "base/settings.h"
#include "base/textsearch.h"
#include "formats/formatheader.h"
#include "formats/formatsettings.h"
#include "formats/formattime.h"
#include "formats/textops.h"
#include "formats/writerpaths.h"
#include "language/lang.h"
#include "platform/CodePage.h"
#include "platform/FileErrors.h"
#include "platform/MsgBox.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <QThreadPool>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace {

using tByteSink = std::function<void(const QByteArray& bytes)>;

const QString kCrLf = QStringLiteral("\r\n");

// The format's definition fixes its files as UTF-8.
bool IsUtf8Format(const tFormatDef& def) {
    return def.Encoding == QLatin1String("utf-8");
}

// The format's definition fixes its files as UTF-8.
// (Plain text is written without loading a definition: the one loaded may be another format's.)
bool WritesUtf8(const tWriteJob& job) {
    return IsUtf8Format(job.def) && job.def.Id == job.id;
}

// How a file's text becomes its bytes: in the format's own encoding in a code page, or in the
// encoding of the file that is written again; and what it became.
struct EncodeTarget {
    int32_t codePage = -1;
    std::optional<tFileEncoding> keep; // known
    tFileEncoding written;             // after the encoding: what the bytes are in
    bool refused = false;              // the text does not fit the encoding kept
};

// Whether ASCII text is written as its own bytes, one a character.
bool KeepsAsciiBytes(const tWriteJob& job, const EncodeTarget& target) {
    if (!target.keep) return WritesUtf8(job) || EncodesAsItsAscii(u"a", target.codePage);
    switch (target.keep->kind) {
    case tTextEncoding::Ansi:
        return EncodesAsItsAscii(u"a", target.keep->codePage);
    case tTextEncoding::Utf8:
        return !target.keep->mark;
    default:
        return false;
    }
}

// The file's bytes of its text (for the byte-text paths, its characters are the bytes of its
// UTF-8): in the encoding kept, else UTF-8 without a byte-order mark where the format's
// definition says so, else the code page.
QByteArray EncodeForFormat(const QString& text, const tWriteJob& job, EncodeTarget& target,
                           bool byteText = false) {
    const bool utf8 = byteText || WritesUtf8(job);
    if (target.keep) {
        std::optional<QByteArray> bytes;
        if (!utf8)
            bytes = EncodeInFileEncoding(text, *target.keep);
        else if (target.keep->kind == tTextEncoding::Utf8)
            bytes = (target.keep->mark ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray()) +
                    (byteText ? text.toLatin1() : text.toUtf8());
        target.refused = !bytes;
        target.written = *target.keep;
        return bytes.value_or(QByteArray());
    }
    QByteArray bytes = byteText ? text.toLatin1()
                       : utf8   ? text.toUtf8()
                                : EncodeSubtitleText(text, target.codePage);
    target.written = FileEncodingOf(bytes, DetectTextEncoding(bytes));
    if (utf8) target.written.kind = tTextEncoding::Utf8;
    if (target.written.kind == tTextEncoding::Ansi)
        target.written.codePage = ResolveCodePage(target.codePage);
    return bytes;
}

const tWriterPath kWriterPaths[] = {
    {"PLAINTEXT", &WritePlainText, false, 1, false, true},
    {"ADOBEENCORE", &WriteAdobeEncore, true},
    {"TMPLAYER", &WriteTmPlayer},
    {"UDVDWORKSHOP20", nullptr, false, 0},
    {"CSVE", nullptr, false, 1, true},
    {"SUBRIP", nullptr, false, 1, false, false, &SubRipCaptionLines},
};

// Markup characters as entity references and, unless the format's files are Unicode by
// definition, every character beyond ASCII as a numeric reference, so the text stays valid
// markup whatever code page the file is written in. Control characters other than tab and line
// breaks are not allowed in markup and are dropped.
void AppendEscapedMarkup(QString& out, QStringView text, bool keepNonAscii) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'&')
            out += QLatin1String("&amp;");
        else if (c == u'<')
            out += QLatin1String("&lt;");
        else if (c == u'>')
            out += QLatin1String("&gt;");
        else if (c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n')
            continue;
        else if (c < 0x80 || keepNonAscii)
            out += QChar(c);
        else {
            char32_t code = c;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                code = QChar::surrogateToUcs4(c, text[++i].unicode());
            } else if (QChar::isSurrogate(c)) {
                // Half a pair (from a damaged UTF-16 file) is no character: a reference to it
                // makes the whole document invalid markup. "?", as UTF-8 writes it.
                out += u'?';
                continue;
            }
            out += QLatin1String("&#") + QString::number(uint(code)) + u';';
        }
    }
}

struct StyleTag {
    QStringView tag;
    char16_t letter;
    uint8_t bit;
};
constexpr StyleTag kStyleTags[] = {{u"<b>", u'b', 1}, {u"<i>", u'i', 2}, {u"<u>", u'u', 4}};

// What a format makes of the style tags, worked out once per file.
struct StyleMarkup {
    explicit StyleMarkup(const tFormatDef& def)
        : escape(def.TextEscape == QLatin1String("xml")), keepNonAscii(IsUtf8Format(def)),
          closes(!def.TagClose.isEmpty() && def.TagClose != QLatin1String("---")), flags(def.TagFlags) {
        for (int t = 0; t < 3; ++t) {
            const QStringView letter(&kStyleTags[t].letter, 1);
            open[t] = ReplaceText(def.TagOpen, u"b", letter);
            close[t] = ReplaceText(def.TagClose, u"b", letter);
        }
    }
    bool escape;
    bool keepNonAscii;
    bool closes;
    uint8_t flags;
    QString open[3], close[3];
};

// The program's style tags of a caption. A tag anywhere in the text styles the whole caption (as
// the caption list shows it), so the format's tags open at the front of the text and close at its
// end, in the order the tags first stand: the format never gets a tag in the middle of a caption,
// nor a closing tag of its own that nothing opened.
struct CaptionStyles {
    int order[3] = {};
    int count = 0;
};

// Takes the program's style tags and their closing forms ("</b>", which the reader drops as well)
// out of text.
CaptionStyles TakeStyleTags(QString& text) {
    CaptionStyles styles;
    if (!ContainsChar(text, u'<')) return styles;
    bool seen[3] = {false, false, false};
    qsizetype kept = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'<') {
            const QStringView rest = QStringView(text).mid(i);
            const bool closing = rest.startsWith(u"</");
            int which = -1;
            for (int t = 0; t < 3 && which < 0; ++t) {
                const QStringView tag = kStyleTags[t].tag;
                if (closing ? rest.size() > tag.size() && rest.mid(2).startsWith(tag.mid(1))
                            : rest.startsWith(tag))
                    which = t;
            }
            if (which >= 0) {
                if (!closing && !seen[which]) {
                    seen[which] = true;
                    styles.order[styles.count++] = which;
                }
                i += kStyleTags[which].tag.size() + (closing ? 1 : 0);
                continue;
            }
        }
        text[kept++] = text[i++];
    }
    text.truncate(kept);
    return styles;
}

// The bare caption text (without the program's tags) with the styles the format carries as its
// tags around it and, for markup formats, everything else escaped. Closing tags go innermost
// first, so that tags nest properly.
QString StyledText(const QString& text, const CaptionStyles& styles, const StyleMarkup& markup) {
    if (!markup.escape && styles.count == 0) return text;
    QString out;
    out.reserve(text.size() + 16);
    for (int k = 0; k < styles.count; ++k)
        if ((markup.flags & kStyleTags[styles.order[k]].bit) != 0) out += markup.open[styles.order[k]];
    if (markup.escape)
        AppendEscapedMarkup(out, text, markup.keepNonAscii);
    else
        out += text;
    if (markup.closes) {
        for (int k = styles.count - 1; k >= 0; --k)
            if ((markup.flags & kStyleTags[styles.order[k]].bit) != 0) out += markup.close[styles.order[k]];
    }
    return out;
}

QString LineBreaksAsToken(const QString& text, const QString& token) {
    if (!ContainsChar(text, u'\r')) return text;
    if (token.compare(QLatin1String("[enter]"), Qt::CaseInsensitive) == 0) return text;
    if (token.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) return ReplaceText(text, kCrLf, u" ");
    return ReplaceText(text, kCrLf, token);
}

// out += TextWithLineBreaks(text, lineBreak), without the string in between.
void AppendWithLineBreaks(QString& out, const QString& text, const QString& lineBreak) {
    if (lineBreak.isEmpty()) {
        out += text;
        return;
    }
    qsizetype from = 0;
    for (qsizetype at = FindText(text, lineBreak); at >= 0; at = FindText(text, lineBreak, from)) {
        out.append(QStringView(text).mid(from, at - from));
        out += kCrLf;
        from = at + lineBreak.size();
    }
    out.append(QStringView(text).mid(from));
}

// A control character that markup cannot hold (the tab and line ends it can).
bool IsMarkupControl(QChar c) {
    return c.unicode() < 0x20 && c != u'\t' && c != u'\r' && c != u'\n';
}

// True when the text holds a character below a blank (a line end, a tab or a control character):
// one pass that the compiler makes wide, as nearly no caption holds one.
bool HasLowCharacter(QStringView text) {
    const char16_t* p = reinterpret_cast<const char16_t*>(text.data());
    char16_t low = 0;
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        low |= char16_t(p[i] < 0x20);
    return low != 0;
}

// A line that reads as empty: nothing but white space, which every reader trims from a line.
bool IsEmptyLine(QStringView line) {
    for (const QChar c : line)
        if (!c.isSpace()) return false;
    return true;
}

// The caption's lines as every format writes them, or nothing when the text is written as it
// stands (the common case costs one pass over the text, and no copy):
// - a raw line end in the text is a line break, as the marker is (it would end a line of the
//   file where the format has none);
// - no empty line begins the caption (a reader takes it for the end of the caption, or for the
//   text of none), and where the caption's lines are the file's lines none is empty at all.
std::optional<QString> CaptionLines(const QString& text, const QString& lineBreak, bool everyEmptyLine) {
    bool work = HasLowCharacter(text) && (ContainsChar(text, u'\r') || ContainsChar(text, u'\n'));
    if (!work && !lineBreak.isEmpty()) {
        for (qsizetype from = 0;;) {
            const qsizetype at = FindText(text, lineBreak, from);
            if (at < 0 && from == 0) return std::nullopt; // one line
            work = IsEmptyLine(QStringView(text).mid(from, (at < 0 ? text.size() : at) - from));
            if (work || at < 0 || !everyEmptyLine) break;
            from = at + lineBreak.size();
        }
    }
    if (!work) return std::nullopt;
    QString t = text;
    // Without a marker the lines are kept apart by CR LF, as the file writes them.
    const QString join = lineBreak.isEmpty() ? kCrLf : lineBreak;
    if (ContainsChar(t, u'\r') || ContainsChar(t, u'\n')) {
        t.replace(kCrLf, QStringLiteral("\n")).replace(u'\r', u'\n');
        t.replace(QStringLiteral("\n"), join);
    }
    QString kept;
    kept.reserve(t.size());
    bool first = true;
    for (const QStringView line : QStringView(t).split(join)) {
        if (IsEmptyLine(line) && (first || everyEmptyLine)) continue;
        if (!first) kept += join;
        kept += line;
        first = false;
    }
    return kept;
}

// The body cut into literal text and placeholders once, so that each caption is one pass.
// Placeholders are found in the template only: a caption text that happens to hold
// "zrvStart" is written as it stands.
struct BodyPiece {
    enum Kind { Text, Start, End, SubCount, Caption } kind;
    QString text;
};

std::vector<BodyPiece> SplitBody(const QString& body, bool numbered) {
    static const struct {
        QStringView name;
        BodyPiece::Kind kind;
    } kPlaceholders[] = {{u"zrvStart", BodyPiece::Start},
                         {u"zrvEnd", BodyPiece::End},
                         {u"zrvSubCount", BodyPiece::SubCount},
                         {u"zrvCaption", BodyPiece::Caption}};
    std::vector<BodyPiece> pieces;
    qsizetype from = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        for (const auto& p : kPlaceholders) {
            if (p.kind == BodyPiece::SubCount && !numbered) continue;
            if (QStringView(body).mid(i).startsWith(p.name)) {
                if (i > from) pieces.push_back({BodyPiece::Text, body.mid(from, i - from)});
                pieces.push_back({p.kind, QString()});
                i += p.name.size() - 1;
                from = i + 1;
                break;
            }
        }
    }
    if (from < body.size()) pieces.push_back({BodyPiece::Text, body.mid(from)});
    return pieces;
}

// A share of the file's text as it is made. Plain ASCII in a code page that keeps ASCII (nearly
// every file) is turned into bytes a piece at a time, so that the text never exists as UTF-16
// next to its bytes; the first piece that is not keeps the rest as text, and the file is then
// encoded as a whole, exactly as if it had been made in one piece.
class TemplateOutput {
public:
    TemplateOutput(bool keepsAscii, qsizetype expectedSize) : keepsAscii_(keepsAscii) {
        text_.reserve(std::min(expectedSize, kPiece) + 1024);
        if (keepsAscii_) bytes_.reserve(expectedSize);
    }
    QString& text() { return text_; }
    // Called between captions: a full piece goes into the bytes.
    void Flush() {
        if (text_.size() >= kPiece) MoveToBytes();
    }
    // The bytes of everything written, or (asText) its text.
    struct Result {
        QByteArray bytes;
        QString text;
        bool asText = false;
    };
    Result Finish() {
        MoveToBytes();
        if (whole_) return {QByteArray(), std::move(text_), true};
        return {std::move(bytes_), QString(), false};
    }

private:
    static constexpr qsizetype kPiece = 1 << 13;

    void MoveToBytes() {
        if (whole_ || text_.isEmpty()) return;
        // Copied and checked in one pass; a piece that is not all ASCII is taken back.
        const qsizetype at = bytes_.size();
        bytes_.resize(at + text_.size());
        char* to = bytes_.data() + at;
        const char16_t* from = reinterpret_cast<const char16_t*>(text_.constData());
        char16_t seen = 0;
        for (qsizetype i = 0, n = text_.size(); i < n; ++i) {
            seen |= from[i];
            to[i] = char(from[i]);
        }
        if (seen >= 0x80 || !keepsAscii_) {
            bytes_.resize(at);
            // From here on the text is kept whole; what was turned into bytes so far is ASCII
            // and comes back unchanged.
            whole_ = true;
            text_.prepend(QString::fromLatin1(bytes_));
            bytes_ = QByteArray();
            return;
        }
        text_.resize(0); // keeps its room for the next piece
    }

    bool keepsAscii_; // the file's encoding writes ASCII text as its own bytes
    QString text_;
    QByteArray bytes_;
    bool whole_ = false;
};

// The captions the template writer reads: a job's rows, or the caption grid's rows themselves,
// so that a save need not copy every caption first. Only read, from any number of threads.
class CaptionSource {
public:
    explicit CaptionSource(std::span<const tSubtitleLine> rows) : rows_(rows), size_(int(rows.size())) {}
    // Captions 0..size - 1 are grid rows 1..size.
    CaptionSource(const FlexGrid& grid, int size) : grid_(&grid), size_(size) {}
    int size() const { return size_; }
    int32_t Start(int i) const { return grid_ ? grid_->Number(i + 1, kColStart) : rows_[size_t(i)].start; }
    int32_t End(int i) const { return grid_ ? grid_->Number(i + 1, kColEnd) : rows_[size_t(i)].end; }
    const QString& Text(int i) const { return grid_ ? grid_->Text(i + 1) : rows_[size_t(i)].text; }

private:
    std::span<const tSubtitleLine> rows_;
    const FlexGrid* grid_ = nullptr;
    int size_ = 0;
};

// Everything the template writer works out once per file. Formatting a range of captions only
// reads it, so several ranges can be formatted at the same time.
struct TemplatePlan {
    TemplatePlan(const tWriteJob& job, const CaptionSource& captions, const tWriterPath* path,
                 const EncodeTarget& target)
        : job(job), captions(captions), def(job.def), markup(job.def), layout(TimecodeLayout(job.def)) {
        const QString body = def.Body.isEmpty() ? QString() : def.Body.chopped(1);
        pieces = SplitBody(body, !def.SubCountFormat.isEmpty());
        bodySize = body.size();
        ms = def.Timecode == QLatin1String("ms");
        frames = def.Timecode == QLatin1String("ff");
        firstNumber = path ? path->firstNumber : 1;
        semicolons = path && path->semicolonsToCommas;
        captionLines = path ? path->captionLines : nullptr;
        enterBreaks = def.LineBreakToken.compare(QLatin1String("[enter]"), Qt::CaseInsensitive) == 0;
        count = std::min(job.count, captions.size());
        keepsAscii = KeepsAsciiBytes(job, target);
    }
    const tWriteJob& job;
    const CaptionSource& captions;
    const tFormatDef& def;
    const StyleMarkup markup;
    const tTimecodeLayout layout;
    std::vector<BodyPiece> pieces;
    qsizetype bodySize = 0;
    bool ms = false, frames = false, semicolons = false, enterBreaks = false;
    int firstNumber = 1;
    int count = 0;
    bool keepsAscii = false;
    std::optional<QString> (*captionLines)(const QString& text, const QString& lineBreak) = nullptr;
};

// Captions first..last - 1 with their bodies, the header in front of the first range and the
// footer after the last.
TemplateOutput::Result FormatRange(const TemplatePlan& plan, int first, int last) {
    const tWriteJob& job = plan.job;
    const tFormatDef& def = plan.def;
    const bool withHeader = first == 0;
    const bool withFooter = last == plan.count;
    qsizetype textSize = 0;
    for (int i = first; i < last; ++i)
        textSize += plan.captions.Text(i).size();
    TemplateOutput output(plan.keepsAscii, qsizetype(last - first) * (plan.bodySize + 32) + textSize * 5 / 4 +
                                               (withHeader ? def.Header.size() : 0) +
                                               (withFooter ? def.Footer.size() : 0) + 8);
    QString& out = output.text();
    // Most captions need no tag, escape or token work: their text goes straight into the
    // output with its markers as line breaks, as the full treatment would give it.
    const bool escape = plan.markup.escape;
    if (withHeader && !def.Header.trimmed().isEmpty()) out += def.Header + kCrLf;
    for (int i = first; i < last; ++i) {
        const QString& source = plan.captions.Text(i);
        // The caption's own text where the file's differs from the caption list's.
        std::optional<QString> own;
        // Markup cannot hold control characters: they are left out before anything else is made
        // of the text, so that it reads back as written.
        if (escape && HasLowCharacter(source) &&
            std::any_of(source.cbegin(), source.cend(), IsMarkupControl)) {
            own = source;
            own->removeIf(IsMarkupControl);
        }
        CaptionStyles styles;
        if (ContainsChar(own ? *own : source, u'<')) {
            if (!own) own = source;
            styles = TakeStyleTags(*own);
        }
        if (std::optional<QString> lines = CaptionLines(own ? *own : source, job.lineBreak, plan.enterBreaks))
            own = std::move(lines);
        if (plan.captionLines) {
            if (std::optional<QString> lines = plan.captionLines(own ? *own : source, job.lineBreak))
                own = std::move(lines);
        }
        const QString& caption = own ? *own : source;
        // Nothing to show (style tags alone are not text).
        if (IsBlank(caption)) continue;
        const bool direct = plan.enterBreaks && !escape && !plan.semicolons && styles.count == 0;
        QString text;
        if (!direct) {
            text = TextWithLineBreaks(caption, job.lineBreak);
            if (plan.semicolons) text.replace(u';', u',');
            text = LineBreaksAsToken(StyledText(text, styles, plan.markup), def.LineBreakToken);
        }
        for (const BodyPiece& piece : plan.pieces) {
            switch (piece.kind) {
            case BodyPiece::Text:
                out += piece.text;
                break;
            case BodyPiece::Start:
            case BodyPiece::End: {
                const int32_t t =
                    piece.kind == BodyPiece::Start ? plan.captions.Start(i) : plan.captions.End(i);
                if (plan.ms)
                    out += QString::number(ClampTime(t));
                else if (plan.frames)
                    out += QString::number(MsToFrames(t, job.fps));
                else
                    AppendTimecode(out, plan.layout, t, job.fps);
                break;
            }
            case BodyPiece::SubCount:
                AppendNumberPicture(out, i + plan.firstNumber, def.SubCountFormat);
                break;
            case BodyPiece::Caption:
                if (direct)
                    AppendWithLineBreaks(out, caption, job.lineBreak);
                else
                    out += text;
                break;
            }
        }
        out += kCrLf;
        output.Flush();
    }
    if (withFooter && !def.Footer.trimmed().isEmpty()) out += def.Footer + kCrLf;
    return output.Finish();
}

// How many ranges the captions are cut into: a thousand captions each at least, so that small
// files never pay for threads, and a few per hardware thread, so that a helper that starts late
// leaves little for the others to wait for.
int AutomaticRanges(int count) {
    constexpr int kMinPerRange = 1000;
    const int threads = std::max(QThread::idealThreadCount(), 1);
    return std::clamp(count / kMinPerRange, 1, 4 * threads);
}

// The ranges of one file, shared by the thread that writes it and its helpers. Each takes the
// next range nobody has taken until none is left, so a helper that starts late (or not at all,
// the pool being busy) only means the others format more; a helper that comes after the last
// range was taken touches nothing else.
class RangeWork {
public:
    RangeWork(const TemplatePlan& plan, int ranges)
        : plan_(plan), ranges_(ranges), results_(size_t(ranges)), done_(size_t(ranges), 0) {}
    // Formats the next range nobody has taken; false when none is left.
    bool FormatNext() {
        const int k = next_.fetch_add(1);
        if (k >= ranges_) return false;
        TemplateOutput::Result result = FormatRange(plan_, Bound(k), Bound(k + 1));
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            results_[size_t(k)] = std::move(result);
            done_[size_t(k)] = 1;
        }
        finished_.notify_all();
        return true;
    }
    // A helper's part: ranges until none is left.
    void Help() {
        for (bool more = true; more;)
            more = FormatNext();
    }
    bool IsDone(int k) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return done_[size_t(k)] != 0;
    }
    void WaitFor(int k) {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [&] { return done_[size_t(k)] != 0; });
    }
    // A range's result, once IsDone or WaitFor has seen it done.
    TemplateOutput::Result& Result(int k) { return results_[size_t(k)]; }

private:
    int Bound(int k) const { return int(int64_t(plan_.count) * k / ranges_); }

    const TemplatePlan& plan_;
    const int ranges_;
    std::vector<TemplateOutput::Result> results_;
    std::vector<char> done_;
    std::atomic<int> next_{0};
    std::mutex mutex_;
    std::condition_variable finished_;
};

// What the template writer made of a file.
struct TemplateFile {
    // The bytes that follow those given to the sink (all of them without a sink), in order.
    std::vector<QByteArray> rest;
    // The file's text had to be encoded as a whole after some of its bytes were given to the
    // sink: those are void, and rest is the whole file.
    bool anew = false;
};

// Header, one body per caption with text, footer. The captions are cut into ranges formatted
// side by side (on the program's thread pool, whose threads stay between saves), each range by
// the same code as a single one. Each range's bytes go to sink (on this thread, in order) as
// soon as it and every range before it are done, so that writing overlaps formatting. When any
// range is not plain ASCII in a code page that keeps it, the ranges' texts are joined and the
// whole text is encoded once, as the encoding of a file is decided by all of its text.
TemplateFile WriteTemplate(const tWriteJob& job, const CaptionSource& captions, const tWriterPath* path,
                           EncodeTarget& target, int ranges, const tByteSink& sink) {
    const TemplatePlan plan(job, captions, path, target);
    const int count = plan.count;
    ranges = ranges > 0 ? std::min(ranges, std::max(count, 1)) : AutomaticRanges(count);
    const auto work = std::make_shared<RangeWork>(plan, ranges);
    if (ranges > 1) {
        QThreadPool* pool = QThreadPool::globalInstance();
        const int helpers = std::min(ranges, pool->maxThreadCount()) - 1;
        for (int h = 0; h < helpers; ++h)
            if (!pool->tryStart([work] { work->Help(); })) break;
    }
    int passed = 0; // ranges given to the sink
    bool passing = bool(sink);
    const auto pass = [&] {
        while (passing && passed < ranges && work->IsDone(passed)) {
            const TemplateOutput::Result& result = work->Result(passed);
            if (result.asText) {
                passing = false;
                break;
            }
            if (!result.bytes.isEmpty()) sink(result.bytes);
            ++passed;
        }
    };
    while (work->FormatNext())
        pass();
    for (int k = 0; k < ranges; ++k) {
        work->WaitFor(k);
        pass();
    }

    TemplateFile file;
    bool asText = false;
    for (int k = 0; k < ranges; ++k)
        asText = asText || work->Result(k).asText;
    if (!asText) {
        // ASCII throughout, written as its own bytes.
        target.written = target.keep.value_or(tFileEncoding());
        for (int k = passed; k < ranges; ++k)
            if (!work->Result(k).bytes.isEmpty()) file.rest.push_back(std::move(work->Result(k).bytes));
        return file;
    }
    qsizetype size = 0;
    for (int k = 0; k < ranges; ++k)
        size += work->Result(k).asText ? work->Result(k).text.size() : work->Result(k).bytes.size();
    QString text;
    text.reserve(size);
    for (int k = 0; k < ranges; ++k) {
        const TemplateOutput::Result& result = work->Result(k);
        if (result.asText)
            text += result.text;
        else
            text += QLatin1String(result.bytes);
    }
    file.rest.push_back(EncodeForFormat(text, job, target));
    file.anew = passed > 0;
    return file;
}

// The file's bytes, given to sink as they are made (see WriteTemplate). The template writer
// reads the captions from captions, the special paths from the job's rows.
TemplateFile BuildSubtitleBytes(const tWriteJob& job, const tWriterPath* path, const CaptionSource& captions,
                                EncodeTarget& target, int ranges, const tByteSink& sink) {
    if (path && path->write) {
        const QString text = path->write(job);
        TemplateFile file;
        file.rest.push_back(EncodeForFormat(text, job, target, path->byteText));
        return file;
    }
    return WriteTemplate(job, captions, path, target, ranges, sink);
}

void ShowSaveError(const QString& path, int number, const QString& description) {
    MsgBox(QStringLiteral("An error ocurred while saving the file ") + path +
               QStringLiteral(".\r\n\r\nError #") + QString::number(number) + QStringLiteral(": ") +
               description,
           vbExclamation);
}

// The new file's bytes, written as they come. The disk writing of what is written is started
// along the way, so that the flush to the disk that the replacement waits for has little left to
// do. The first failure stops the writing and keeps the system's error.
class FileFeed {
public:
    explicit FileFeed(FileNameSaveFile& file) : file_(file) {}
    void Write(const QByteArray& bytes) {
        size_ += bytes.size();
        if (!ok_) return;
        errno = 0;
        ok_ = file_.write(bytes) == bytes.size();
        if (!ok_)
            error_ = errno;
        else if (size_ - started_ >= kWritebackBatch)
            StartWriteback();
    }
    // Back to an empty file.
    void Restart() {
        size_ = 0;
        started_ = 0;
        if (!ok_) return;
        errno = 0;
        ok_ = file_.resize(0) && file_.seek(0);
        if (!ok_) error_ = errno;
    }
    bool Commit() {
        if (!ok_) return false;
        errno = 0;
        ok_ = file_.commit();
        error_ = errno;
        return ok_;
    }
    int error() const { return error_; }
    // Of the whole file, whether written or not.
    qint64 size() const { return size_; }

private:
    static constexpr qint64 kWritebackBatch = 256 * 1024;

    void StartWriteback() {
#ifdef Q_OS_LINUX
        // Only a hint: a failure of the disk writing is reported by the flush at commit.
        ::sync_file_range(file_.handle(), started_, 0, SYNC_FILE_RANGE_WRITE);
#endif
        started_ = size_;
    }

    FileNameSaveFile& file_;
    bool ok_ = true;
    int error_ = 0;
    qint64 size_ = 0;
    qint64 started_ = 0; // where the disk writing was last started from
};

// The file or its folder refuses writing (what the program reports as a read-only file).
bool IsAccessDenied(const QString& path) {
    const QFileInfo target(path);
    if (target.exists()) return !target.isWritable() || target.isDir();
    const QFileInfo folder(target.absolutePath());
    return folder.isDir() && !folder.isWritable();
}

} // namespace

const tWriterPath* FindWriterPath(QStringView id) {
    for (const tWriterPath& p : kWriterPaths)
        if (id == QLatin1String(p.id)) return &p;
    return nullptr;
}

bool WritesEveryCaption(QStringView id) {
    const tWriterPath* path = FindWriterPath(id);
    return path && path->everyCaption;
}

QString TextWithLineBreaks(const QString& text, const QString& lineBreak) {
    return ReplaceText(text, lineBreak, kCrLf);
}

QString BareCaptionLines(const QString& text, const QString& lineBreak) {
    QString bare = text;
    TakeStyleTags(bare);
    if (std::optional<QString> lines = CaptionLines(bare, lineBreak, true)) bare = std::move(*lines);
    return TextWithLineBreaks(bare, lineBreak);
}

QByteArray BuildSubtitleFile(const tWriteJob& job, int32_t codePage, int ranges) {
    EncodeTarget target;
    target.codePage = codePage;
    std::vector<QByteArray> pieces =
        BuildSubtitleBytes(job, FindWriterPath(job.id), CaptionSource(job.rows), target, ranges, nullptr)
            .rest;
    if (pieces.size() == 1) return std::move(pieces[0]);
    qsizetype size = 0;
    for (const QByteArray& piece : pieces)
        size += piece.size();
    QByteArray bytes;
    bytes.reserve(size);
    for (const QByteArray& piece : pieces)
        bytes += piece;
    return bytes;
}

bool SaveSubtitleFile(int count, bool* encodingRefused) {
    if (encodingRefused) *encodingRefused = false;
    const QString id = CurrentFormatId();
    const QString path = gSubFile;
    ShowFileStatus(LangText(286, ReadFormatIni(id, QStringLiteral("name"))), true);

    if (id.isEmpty() || (id != QLatin1String("PLAINTEXT") && !LoadFormatDefinition(id, false, false))) {
        // Without a definition there is nothing to write: the old file stays and so does the
        // modified flag.
        ShowSaveError(path, 5, LangText(412, id));
        RefreshFileLabels();
        return false;
    }
    // The generated header follows the format settings as they are at this save.
    if (HasGeneratedHeader(id)) gFormatDef.Header = BuildFormatHeader();

    const int captions = CaptionCount();
    const FlexGrid& grid = grdSubs();
    // Straight from the grid: every row 1..captions is a caption here. The template writer reads
    // the grid itself; the special paths get the rows copied.
    const tWriterPath* writer = FindWriterPath(id);
    std::vector<tSubtitleLine> rows;
    if (writer && writer->write) {
        rows.reserve(size_t(captions));
        for (int r = 1; r <= captions; ++r)
            rows.push_back({grid.Number(r, kColStart), grid.Number(r, kColEnd), grid.Text(r)});
    }
    const tWriteJob job{id, gFormatDef, rows, std::clamp(count, 0, captions), gFPS, gLineBreak};

    // The new file is written beside the old one and replaces it only when complete.
    FileNameSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (IsAccessDenied(path))
            MsgBox(LangText(306, path), vbExclamation);
        else
            ShowSaveError(path, 76, file.errorString());
        RefreshFileLabels();
        return false;
    }
    // The bytes go to the file as they are made, while later captions are still being
    // formatted; the whole file never has to be gathered in one buffer.
    FileFeed feed(file);
    // The file is written in the encoding it was read in; a new one in the format's own.
    EncodeTarget target;
    if (gSubEncoding.known) target.keep = gSubEncoding;
    const TemplateFile made = BuildSubtitleBytes(job, writer, CaptionSource(grid, captions), target, 0,
                                                 [&feed](const QByteArray& bytes) { feed.Write(bytes); });
    if (target.refused) {
        file.cancelWriting();
        if (encodingRefused) *encodingRefused = true;
        RefreshFileLabels();
        return false;
    }
    if (made.anew) feed.Restart();
    for (const QByteArray& bytes : made.rest)
        feed.Write(bytes);
    if (!feed.Commit()) {
        // Named from the system's error while the half-written file still takes its room.
        const tWriteFailure failure =
            DescribeWriteFailure(path, feed.error(), feed.size(), file.errorString());
        file.cancelWriting();
        ShowSaveError(path, failure.number, failure.description);
        RefreshFileLabels();
        return false;
    }
    RefreshFileLabels();
    gModified = false;
    gSubEncoding = target.written;
    return true;
}
