#pragma once
// For the programs that read and write files without the main window (the command-line tool and
// the benchmarks): the format catalogue beside the executable, or a few folders above it when
// the program runs from a build's subfolder.
#include "base/paths.h"
#include "formats/formatdefs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

inline bool FindFormatFiles() {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 4; ++up) {
        if (QFileInfo::exists(dir.filePath(QStringLiteral("formats.dat")))) {
            gFormatFile = dir.filePath(QStringLiteral("formats.ini"));
            gFormatDatFile = dir.filePath(QStringLiteral("formats.dat"));
            return true;
        }
        if (!dir.cdUp()) break;
    }
    return false;
}

// Finds and loads the format list; says so on standard error when it cannot.
inline bool LoadFormatCatalogue() {
    if (FindFormatFiles() && LoadFormatsList()) return true;
    std::fprintf(stderr, "formats.dat / formats.ini not found\n");
    return false;
}
