#include "base/appinfo.h"

QString AppVersionText() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

QString AppTitle() {
    return kProductName + QLatin1Char(' ') + AppVersionText();
}
