#include "mainwindow/filecommands.h"

#include "base/clock.h"
#include "base/numbers.h"
#include "base/toolbox.h"
#include "formats/formatdefs.h"
#include "formats/formattime.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/waitcursor.h"
#include "platform/IMediaPlayer.h"

#include <QPointer>
#include <QStringList>

#include <algorithm>

namespace {

bool IsListedFormat(const QString& id) {
    return !id.endsWith(QLatin1String("_RSS"));
}

// "srt,sub" -> "*.srt;*.sub"
QString Patterns(const QString& extensions) {
    QString p = QStringLiteral("*.") + extensions;
    p.replace(QLatin1Char(','), QStringLiteral(";*."));
    return p;
}

QString FirstExtension(const QString& id) {
    QString e = ReadFormatIni(id, QStringLiteral("extension"), QStringLiteral("txt")).toLower();
    const int comma = e.indexOf(QLatin1Char(','));
    if (comma >= 0) e.truncate(comma);
    return e;
}

} // namespace

QString SubtitleOpenFilter() {
    QString filter = QStringLiteral("All supported formats|");
    const int last = std::min<int>(gFormatMax, int(gFormatIds.size()) - 1);
    for (int i = 0; i <= last; ++i) {
        const QString& id = gFormatIds[i];
        if (!IsListedFormat(id)) continue;
        filter += Patterns(ReadFormatIni(id, QStringLiteral("extension"), QStringLiteral("txt"))) +
                  QLatin1Char(';');
    }
    if (filter.endsWith(QLatin1Char(';'))) filter.back() = QLatin1Char('|');
    for (int i = 0; i <= last; ++i) {
        const QString& id = gFormatIds[i];
        if (!IsListedFormat(id)) continue;
        const QString name = ReadFormatIni(id, QStringLiteral("name"), QStringLiteral("Unknown format"));
        const QString ext = ReadFormatIni(id, QStringLiteral("extension"), QStringLiteral("txt"));
        filter += name + QStringLiteral(" (") + ext + QStringLiteral(")|") + Patterns(ext) + QLatin1Char('|');
    }
    return filter;
}

QString VideoOpenFilter() {
    return QStringLiteral(
        "All media types|*.mpeg;*.mpg;*.mpe;*.m1v;*.mp2v;*.mpeg2;*.mp4;*.wmv;*.wm;*.asf;*.avi;*.divx;*.xvid;"
        "*.mkv;*.ogm|"
        "Movie file (mpeg, mpg, mpe, m1v, mp2v, mpeg2, mp4)|*.mpeg;*.mpg;*.mpe;*.m1v;*.mp2v;*.mpeg2;*.mp4|"
        "Windows Media files (wmv, wm, asf)|*.wmv;*.wm;*.asf|"
        "Video files (avi, divx, xvid)|*.avi;*.divx;*.xvid|"
        "Other container formats (mkv, ogm)|*.mkv;*.ogm|"
        "All files|*.*");
}

QString AudioOpenFilter(int audioChoice) {
    if (audioChoice == 2) {
        return QStringLiteral(
            "Supported audio formats (wav,mp3,snd,au,aif,wma)|*.wav;*.snd;*.au;*.aif;*.wma;*.mp3");
    }
    return QStringLiteral("PCM wave files (wav)|*.wav");
}

QString SaveAsFilter(const QString& id) {
    const QString name = ReadFormatIni(id, QStringLiteral("name"));
    const QString ext = ReadFormatIni(id, QStringLiteral("extension")).toLower();
    return name + QStringLiteral(" (") + ext + QStringLiteral(")|") + Patterns(ext);
}

QString WithFormatExtension(const QString& path, const QString& id) {
    const QString listed = ReadFormatIni(id, QStringLiteral("extension"), QStringLiteral("txt"));
    const QString fileName = GetFileName(path);
    // File names are compared without case here: "X.SRT" already is a SubRip name.
    for (const QString& e : listed.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString ext = e.trimmed();
        if (!ext.isEmpty() && fileName.endsWith(QLatin1Char('.') + ext, Qt::CaseInsensitive)) return path;
    }
    return path + QLatin1Char('.') + FirstExtension(id);
}

QString DefaultSaveName(const QString& subFile, const QString& videoFile, const QString& id) {
    const QString ext = ReadFormatIni(id, QStringLiteral("extension")).toLower();
    QString first = ext;
    const int comma = first.indexOf(QLatin1Char(','));
    if (comma >= 0) first.truncate(comma);
    QString base;
    if (!subFile.isEmpty() && subFile != QLatin1String("NEW"))
        base = subFile;
    else if (!videoFile.isEmpty())
        base = videoFile;
    else
        return QString();
    return GetFileName(RemoveExtension(base) + QLatin1Char('.') + first);
}

std::vector<tSubtitleLine> ClipboardCaptions(const QString& text) {
    std::vector<tSubtitleLine> lines;
    QString normalized = text;
    // The clipboard holds LF line ends here; CR LF and lone CR count the same.
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QStringView piece : QStringView(normalized).split(QLatin1Char('\n'))) {
        const QStringView trimmed = piece.trimmed();
        if (trimmed.isEmpty()) continue;
        if (int(lines.size()) >= kMaxClipboardCaptions) break;
        lines.push_back({0, 0, trimmed.toString()});
    }
    return lines;
}

int FirstUntimedCaption() {
    const int count = CaptionCount();
    for (int i = 1; i <= count; ++i)
        if (!IsLineTimed(i)) return i;
    return 0;
}

int TimesBeyondLimit(int count) {
    int times = 0;
    const int last = std::min(count, CaptionCount());
    for (int i = 1; i <= last; ++i) {
        if (GetLineText(i).trimmed().isEmpty()) continue;
        times += (GetLineStart(i) > kMaxTimeMs ? 1 : 0) + (GetLineEnd(i) > kMaxTimeMs ? 1 : 0);
    }
    return times;
}

QString TimesBeyondLimitText(int times) {
    if (times == 1) return QStringLiteral("1 time lay beyond 99:59:59.999 and was written as 99:59:59.999.");
    return QStringLiteral("%1 times lay beyond 99:59:59.999 and were written as 99:59:59.999.").arg(times);
}

int32_t GetMediaLength(IMediaPlayer& player, int timeoutMs) {
    WaitCursor cursor(Qt::BusyCursor);
    double length = player.duration();
    if (length <= 0 && !player.URL().isEmpty()) {
        QPointer<IMediaPlayer> guard(&player);
        const int state = player.playState();
        const double position = player.currentPosition();
        // The length becomes known only once the media plays.
        if (state != kPlayStatePlaying) player.play();
        const qint64 giveUpAt = ClockMs() + timeoutMs;
        while (guard && guard->duration() <= 0 && ClockMs() < giveUpAt)
            Wait(10);
        if (!guard) return 0;
        length = player.duration();
        // Back to where the player was: playing goes on, paused and stopped come back to their
        // position.
        if (state == kPlayStatePaused) {
            player.pause();
            player.setCurrentPosition(position);
        } else if (state == kPlayStateStopped) {
            player.stop();
            if (position > 0) player.setCurrentPosition(position);
        }
    }
    return SaturateToInt32(RoundHalfEven(std::max(length, 0.0)));
}

int32_t GetMediaLength() {
    frmMain* w = frmMain::Instance();
    return w && w->WMP ? GetMediaLength(*w->WMP) : 0;
}
