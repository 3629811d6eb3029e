#include "tools/jobscript.h"

#include "base/numbers.h"
#include "base/toolbox.h"
#include "language/stringtable.h"
#include "platform/CodePage.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

const QChar kQuote(u'"');

QString Quoted(const QString& text) {
    return kQuote + text + kQuote;
}

// Backslashes doubled, as the tool's string literals need them.
QString Escaped(QString path) {
    return path.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
}

QString ForwardSlashes(QString path) {
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

bool FitsCodePage(const QString& text, int32_t codePage) {
    return DecodeCodePage(EncodeCodePage(text, codePage), codePage) == text;
}

} // namespace

int ClampFrameSize(QStringView text) {
    const double n = LeadingNumber(text);
    if (!(n >= kMinFrameSize)) return kMinFrameSize; // NaN too
    if (n > kMaxFrameSize) return kMaxFrameSize;
    return int(std::floor(n));
}

std::optional<int32_t> PreviewEndTime(int32_t mediaLengthSecs, int previewMinutes) {
    const int64_t end = int64_t(mediaLengthSecs) * 1000 - int64_t(previewMinutes) * 60000;
    if (end <= 0 || end > INT32_MAX) return std::nullopt;
    return int32_t(end);
}

QStringList BuildEmbedScript(const tEmbedScriptInput& in) {
    QStringList lines;
    for (int id = kEmbedScriptFirstId; id <= kEmbedScriptLastId; ++id) {
        QString line = LoadResString(id).value_or(QString());
        switch (id) {
        case 700:
            line.replace(QStringLiteral("[SRCVID]"), Quoted(Escaped(in.videoFile)));
            break;
        case 717:
            if (in.preview)
                line.replace(QStringLiteral("[E]"), QString::number(in.previewEndMs));
            else
                line.clear();
            break;
        case 719:
            line.replace(QLatin1Char('\''), kQuote);
            break;
        case 720:
            line.replace(QStringLiteral("[SRCSUB]"), Quoted(ForwardSlashes(in.subFile)));
            break;
        case 721:
            if (in.resize)
                line.replace(QLatin1Char('\''), kQuote);
            else
                line.clear();
            break;
        case 722:
            if (in.resize) {
                line.replace(QStringLiteral("[W]"), QString::number(in.width));
                line.replace(QStringLiteral("[H]"), QString::number(in.height));
                line.replace(QStringLiteral("[M]"), QString::number(in.mode));
            } else {
                line.clear();
            }
            break;
        case 723:
            line.replace(QStringLiteral("[TARVID]"), Quoted(Escaped(ShortFolderPath(in.targetPath))));
            break;
        default:
            break;
        }
        if (!line.isEmpty()) lines << line;
    }
    return lines;
}

QStringList BuildAudioScript(const tAudioScriptInput& in) {
    QStringList lines;
    lines << QStringLiteral("VirtualDub.Open(") + Quoted(ForwardSlashes(GetShortPath(in.videoFile))) +
                 QStringLiteral(",0,0);");
    if (in.wav) {
        lines << QStringLiteral("VirtualDub.audio.SetMode(1);");
        const double rate = LeadingNumber(in.sampleRate);
        if (rate >= 8000 && rate <= 48000)
            lines << QStringLiteral("VirtualDub.audio.SetConversion(") + in.sampleRate +
                         QStringLiteral(",0,0);");
    }
    lines << QStringLiteral("VirtualDub.SaveWAV(") + Quoted(ForwardSlashes(ShortFolderPath(in.targetPath))) +
                 QStringLiteral(");");
    return lines;
}

std::optional<QString> UnfitScriptPath(const QStringList& paths) {
    const int32_t codePage = SystemAnsiCodePage();
    for (const QString& path : paths) {
        const bool bad = std::any_of(path.cbegin(), path.cend(), [](QChar c) {
            return c == u'"' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F;
        });
        if (bad || !FitsCodePage(path, codePage)) return path;
    }
    return std::nullopt;
}

bool WriteJobScript(const QString& path, const QStringList& lines, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (QFile::exists(path) && !QFile::remove(path))
        return fail(QStringLiteral("cannot remove the old script"));
    const int32_t codePage = SystemAnsiCodePage();
    QByteArray bytes;
    for (const QString& line : lines) {
        if (!FitsCodePage(line, codePage))
            return fail(QStringLiteral("a line does not fit code page %1").arg(codePage));
        bytes += EncodeCodePage(line, codePage);
        bytes += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    file.write(bytes);
    if (!file.commit()) return fail(file.errorString());
    return true;
}
