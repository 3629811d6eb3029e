#include "formats/writer.h"

#include "base/settings.h"
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
QString EscapeMarkup(QStringView text, bool keepNonAscii) {
    QString out;
    out.reserve(text.size());
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
    return out;
}

struct StyleTag {
    QStringView tag;
    char16_t letter;
    uint8_t bit;
};
constexpr StyleTag kStyleTags[] = {{u"<b>", u'b', 1}, {u"<i>", u'i', 2}, {u"<u>", u'u', 4}};

// The caption text with the program's style tags turned into the format's tags (or removed
// where the format does not carry that style) and, for markup formats, everything else escaped.
// Closing tags go to the end of the text, innermost first, so that tags nest properly.
QString StyledText(const QString& text, const tFormatDef& def) {
    const bool escape = def.TextEscape == QLatin1String("xml");
    const bool keepNonAscii = IsUtf8Format(def);
    if (!escape && !text.contains(u'<')) return text;
    const bool closes = !def.TagClose.isEmpty() && def.TagClose != QLatin1String("---");
    QString out;
    out.reserve(text.size() + 16);
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
        const QStringView piece = QStringView(text).mid(segment, i - segment);
        out += escape ? EscapeMarkup(piece, keepNonAscii) : piece.toString();
        if (firstAt[which] < 0) firstAt[which] = i;
        const StyleTag& st = kStyleTags[which];
        if ((def.TagFlags & st.bit) != 0) out += ReplaceText(def.TagOpen, u"b", QStringView(&st.letter, 1));
        i += st.tag.size();
        segment = i;
    }
    const QStringView rest = QStringView(text).mid(segment);
    out += escape ? EscapeMarkup(rest, keepNonAscii) : rest.toString();
    if (closes) {
        std::vector<int> order;
        for (int t = 0; t < 3; ++t)
            if (firstAt[t] >= 0 && (def.TagFlags & kStyleTags[t].bit) != 0) order.push_back(t);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return firstAt[a] > firstAt[b]; });
        for (int t : order)
            out += ReplaceText(def.TagClose, u"b", QStringView(&kStyleTags[t].letter, 1));
    }
    return out;
}

QString LineBreaksAsToken(const QString& text, const QString& token) {
    if (!text.contains(u'\r')) return text;
    if (token.compare(QLatin1String("[enter]"), Qt::CaseInsensitive) == 0) return text;
    if (token.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) return ReplaceText(text, kCrLf, u" ");
    return ReplaceText(text, kCrLf, token);
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

// Header, one body per caption with text, footer.
QString WriteTemplate(const tWriteJob& job, const tWriterPath* path) {
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
    QString out;
    out.reserve(qsizetype(count) * (body.size() + 32) + textSize * 5 / 4 + def.Header.size() +
                def.Footer.size() + 8);
    if (!def.Header.trimmed().isEmpty()) out += def.Header + kCrLf;
    for (int i = 0; i < count; ++i) {
        const tSubtitleLine& row = job.rows[i];
        if (IsBlank(row.text)) continue;
        QString text = TextWithLineBreaks(row.text, job.lineBreak);
        if (semicolons) text.replace(u';', u',');
        text = LineBreaksAsToken(StyledText(text, def), def.LineBreakToken);
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
                out += FormatNumberPicture(i + firstNumber, def.SubCountFormat);
                break;
            case BodyPiece::Caption:
                out += text;
                break;
            }
        }
        out += kCrLf;
    }
    if (!def.Footer.trimmed().isEmpty()) out += def.Footer + kCrLf;
    return out;
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
    return EncodeForFormat(WriteTemplate(job, path), job, codePage);
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
    for (int r = 1; r <= captions; ++r)
        rows.push_back({GetLineStart(r), GetLineEnd(r), GetLineText(r, false)});
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
