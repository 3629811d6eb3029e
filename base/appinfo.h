#pragma once
#include <QString>

// Product identity: the name titles message boxes and the main window; the version is compared
// with the newest version the update check has seen.
inline const QString kProductName = QStringLiteral("Quenlark Scrivelle");
inline const QString kMakerName = QStringLiteral("Orvalent");
inline const QString kAppKey = QStringLiteral("Scrivelle");
inline constexpr int kVersionMajor = SCRIVELLE_VERSION_MAJOR;
inline constexpr int kVersionMinor = SCRIVELLE_VERSION_MINOR;
inline constexpr int kVersionRevision = SCRIVELLE_VERSION_PATCH;

// "1.0.0"
QString AppVersionText();
// The product name followed by the version, as the main window's title shows it.
QString AppTitle();
