#include "formats/writer.h"

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

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The format's definition fixes its files as UTF-8.
bool IsUtf8Format(const tFormatDef& def) {
    return def.Encoding == QLatin1String("utf-8");
}

// The file's bytes of its text: UTF-8 without a byte-order mark where the format's definition
// says so, else the code page.
// (Plain text is written without loading a definition: the one loaded may be another format's.)
QByteArray EncodeForFormat(const QString& text, const tWriteJob& job, int32_t codePage) {
    if (IsUtf8Format(job.def) && job.def.Id == job.id) return text.toUtf8();
    return EncodeSubtitleText(text, codePage);
}

const tWriterPath kWriterPaths[] = {
    {"PLAINTEXT", &WritePlainText, false, 1, false, true},
    {"ADOBEENCORE", &WriteAdobeEncore, true},
    {"TMPLAYER", &WriteTmPlayer},
    {"UDVDWORKSHOP20", nullptr, false, 0},
    {"CSVE", nullptr, false, 1, true},
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
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                code = QChar::surrogateToUcs4(c, text[++i].unicode());
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

// The caption text with the program's style tags turned into the format's tags (or removed
// where the format does not carry that style) and, for markup formats, everything else escaped.
// Closing tags go to the end of the text, innermost first, so that tags nest properly.
QString StyledText(const QString& text, const StyleMarkup& markup) {
    const bool escape = markup.escape;
    if (!escape && !ContainsChar(text, u'<')) return text;
    QString out;
    out.reserve(text.size() + 16);
    const auto appendPlain = [&](QStringView piece) {
        if (escape)
            AppendEscapedMarkup(out, piece, markup.keepNonAscii);
        else
            out.append(piece);
    };
    qsizetype firstAt[3] = {-1, -1, -1};
    qsizetype segment = 0;
    for (qsizetype i = 0; i < text.size();) {
        int which = -1;
        if (text[i] == u'<') {
            for (int t = 0; t < 3; ++t)
                if (QStringView(text).mid(i).startsWith(kStyleTags[t].tag)) which = t;
        }
        if (which < 0) {
            ++i;
            continue;
        }
        appendPlain(QStringView(text).mid(segment, i - segment));
        if (firstAt[which] < 0) firstAt[which] = i;
        if ((markup.flags & kStyleTags[which].bit) != 0) out += markup.open[which];
        i += kStyleTags[which].tag.size();
        segment = i;
    }
    appendPlain(QStringView(text).mid(segment));
    if (markup.closes) {
        int order[3];
        int n = 0;
        for (int t = 0; t < 3; ++t)
            if (firstAt[t] >= 0 && (markup.flags & kStyleTags[t].bit) != 0) order[n++] = t;
        // Latest opened first (at most three: a few swaps).
        for (int x = 1; x < n; ++x)
            for (int y = x; y > 0 && firstAt[order[y - 1]] < firstAt[order[y]]; --y)
                std::swap(order[y - 1], order[y]);
        for (int k = 0; k < n; ++k)
            out += markup.close[order[k]];
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

// The file's bytes as the text is made. Plain ASCII in a code page that keeps ASCII (nearly
// every file) is turned into bytes a piece at a time, so that the whole text never exists as
// UTF-16 next to its bytes; the first piece that is not leaves the rest to the format's encoding
// over the whole text, exactly as if it had been made in one piece.
class TemplateOutput {
public:
    TemplateOutput(const tWriteJob& job, int32_t codePage, qsizetype expectedSize)
        : job_(job), codePage_(codePage),
          keepsAscii_((IsUtf8Format(job.def) && job.def.Id == job.id) || EncodesAsItsAscii(u"a", codePage)) {
        text_.reserve(kPiece + 4096);
        bytes_.reserve(expectedSize);
    }
    QString& text() { return text_; }
    // Called between captions: a full piece goes into the bytes.
    void Flush() {
        if (text_.size() >= kPiece) MoveToBytes();
    }
    QByteArray Finish() {
        MoveToBytes();
        if (whole_ || bytes_.isEmpty()) return EncodeForFormat(text_, job_, codePage_);
        return std::move(bytes_);
    }

private:
    static constexpr qsizetype kPiece = 1 << 16;

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

    const tWriteJob& job_;
    int32_t codePage_;
    bool keepsAscii_; // the file's encoding writes ASCII text as its own bytes
    QString text_;
    QByteArray bytes_;
    bool whole_ = false;
};

// Header, one body per caption with text, footer.
QByteArray WriteTemplate(const tWriteJob& job, const tWriterPath* path, int32_t codePage) {
    const tFormatDef& def = job.def;
    const QString body = def.Body.isEmpty() ? QString() : def.Body.chopped(1);
    const std::vector<BodyPiece> pieces = SplitBody(body, !def.SubCountFormat.isEmpty());
    const bool ms = def.Timecode == QLatin1String("ms");
    const bool frames = def.Timecode == QLatin1String("ff");
    const int firstNumber = path ? path->firstNumber : 1;
    const bool semicolons = path && path->semicolonsToCommas;
    const tTimecodeLayout layout = TimecodeLayout(def);
    const int count = std::min<int>(job.count, int(job.rows.size()));
    qsizetype textSize = 0;
    for (int i = 0; i < count; ++i)
        textSize += job.rows[i].text.size();
    TemplateOutput output(job, codePage,
                          qsizetype(count) * (body.size() + 32) + textSize * 5 / 4 + def.Header.size() +
                              def.Footer.size() + 8);
    QString& out = output.text();
    // Most captions need no tag, escape or token work: their text goes straight into the
    // output with its markers as line breaks, as the full treatment would give it.
    const StyleMarkup markup(def);
    const bool escape = markup.escape;
    const bool enterBreaks = def.LineBreakToken.compare(QLatin1String("[enter]"), Qt::CaseInsensitive) == 0;
    if (!def.Header.trimmed().isEmpty()) out += def.Header + kCrLf;
    for (int i = 0; i < count; ++i) {
        const tSubtitleLine& row = job.rows[i];
        if (IsBlank(row.text)) continue;
        const bool direct = enterBreaks && !escape && !semicolons && !ContainsChar(row.text, u'<');
        QString text;
        if (!direct) {
            text = TextWithLineBreaks(row.text, job.lineBreak);
            if (semicolons) text.replace(u';', u',');
            text = LineBreaksAsToken(StyledText(text, markup), def.LineBreakToken);
        }
        for (const BodyPiece& piece : pieces) {
            switch (piece.kind) {
            case BodyPiece::Text:
                out += piece.text;
                break;
            case BodyPiece::Start:
            case BodyPiece::End: {
                const int32_t t = piece.kind == BodyPiece::Start ? row.start : row.end;
                if (ms)
                    out += QString::number(ClampTime(t));
                else if (frames)
                    out += QString::number(MsToFrames(t, job.fps));
                else
                    AppendTimecode(out, layout, t, job.fps);
                break;
            }
            case BodyPiece::SubCount:
                AppendNumberPicture(out, i + firstNumber, def.SubCountFormat);
                break;
            case BodyPiece::Caption:
                if (direct)
                    AppendWithLineBreaks(out, row.text, job.lineBreak);
                else
                    out += text;
                break;
            }
        }
        out += kCrLf;
        output.Flush();
    }
    if (!def.Footer.trimmed().isEmpty()) out += def.Footer + kCrLf;
    return output.Finish();
}

void ShowSaveError(const QString& path, int number, const QString& description) {
    MsgBox(QStringLiteral("An error ocurred while saving the file ") + path +
               QStringLiteral(".\r\n\r\nError #") + QString::number(number) + QStringLiteral(": ") +
               description,
           vbExclamation);
}

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

QString WithoutStyleTags(const QString& text) {
    QString out = text;
    for (const StyleTag& st : kStyleTags)
        out = ReplaceText(out, st.tag, u"");
    return out;
}

QByteArray BuildSubtitleFile(const tWriteJob& job, int32_t codePage) {
    const tWriterPath* path = FindWriterPath(job.id);
    if (path && path->write) {
        const QString text = path->write(job);
        return path->byteText ? text.toLatin1() : EncodeForFormat(text, job, codePage);
    }
    return WriteTemplate(job, path, codePage);
}

bool SaveSubtitleFile(int count) {
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
    std::vector<tSubtitleLine> rows;
    rows.reserve(size_t(captions));
    // Straight from the grid: every row 1..captions is a caption here.
    const FlexGrid& grid = grdSubs();
    for (int r = 1; r <= captions; ++r)
        rows.push_back({grid.Number(r, kColStart), grid.Number(r, kColEnd), grid.Text(r)});
    const tWriteJob job{id, gFormatDef, rows, std::clamp(count, 0, captions), gFPS, gLineBreak};
    const QByteArray bytes = BuildSubtitleFile(job);

    // The new file is written beside the old one and replaces it only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (IsAccessDenied(path))
            MsgBox(LangText(306, path), vbExclamation);
        else
            ShowSaveError(path, 76, file.errorString());
        RefreshFileLabels();
        return false;
    }
    errno = 0;
    const bool written = file.write(bytes) == bytes.size();
    if (!written || !file.commit()) {
        // Named from the system's error while the half-written file still takes its room.
        const tWriteFailure failure = DescribeWriteFailure(path, errno, bytes.size(), file.errorString());
        file.cancelWriting();
        ShowSaveError(path, failure.number, failure.description);
        RefreshFileLabels();
        return false;
    }
    RefreshFileLabels();
    gModified = false;
    return true;
}
