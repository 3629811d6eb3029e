#include "platform/IMediaPlayer.h"

#include <algorithm>
#include <cmath>

QString IMediaPlayer::currentPositionString() const {
    return MediaPositionString(currentPosition());
}

QString MediaPositionString(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    // Far beyond any media; keeps the conversion below in range.
    seconds = std::min(seconds, 3.6e8);
    const qint64 whole = qint64(std::floor(seconds));
    const qint64 h = whole / 3600;
    const int m = int((whole / 60) % 60);
    const int s = int(whole % 60);
    const QLatin1Char zero('0');
    if (h > 0) {
        return QStringLiteral("%1:%2:%3").arg(h, 2, 10, zero).arg(m, 2, 10, zero).arg(s, 2, 10, zero);
    }
    return QStringLiteral("%1:%2").arg(m, 2, 10, zero).arg(s, 2, 10, zero);
}

QString NormalizedUiMode(const QString& mode) {
    const QString m = mode.trimmed().toLower();
    if (m == QLatin1String("full") || m == QLatin1String("mini") || m == QLatin1String("none")) return m;
    return QString();
}

int ClampVolume(int volume) {
    return std::clamp(volume, 0, 100);
}
