#include "mainwindow/mainstate.h"

#include "base/processstate.h"

#include <QStringList>

int16_t gNcHeight = 0;
int16_t gVScrollWidth = 0;
int16_t gNcWidth = 0;
int16_t gFrameHeight = 0;

namespace {

void ResetWindowFigures() {
    gNcHeight = 0;
    gVScrollWidth = 0;
    gNcWidth = 0;
    gFrameHeight = 0;
}
SCRIVELLE_REGISTER_RESET(ResetWindowFigures);

} // namespace

CommandFileKind CommandLineFileKind(const QString& path) {
    // Only the file name's own suffix counts: a dot in a folder name is not a file type.
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return CommandFileKind::Subtitle;
    const QString type = name.mid(dot + 1).toLower();
    static const QStringList videoTypes = {
        QStringLiteral("asf"), QStringLiteral("mkv"), QStringLiteral("mpeg"), QStringLiteral("mpg"),
        QStringLiteral("mp4"), QStringLiteral("avi"), QStringLiteral("ogm"),  QStringLiteral("wmv")};
    static const QStringList audioTypes = {QStringLiteral("mp2"), QStringLiteral("wav"),
                                           QStringLiteral("mp3")};
    if (videoTypes.contains(type)) return CommandFileKind::Video;
    if (audioTypes.contains(type)) return CommandFileKind::Audio;
    return CommandFileKind::Subtitle;
}

QString FolderOfPath(const QString& path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

bool IsMediaAddress(const QString& text) {
    const int sep = text.indexOf(QLatin1String("://"));
    return sep > 1 && !text.left(sep).contains(QLatin1Char('/'));
}
