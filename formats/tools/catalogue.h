#pragma once
// For the programs that read and write files without the main window (the command-line tool and
// the benchmarks): the format catalogue beside the executable, or a few folders above it when
// the program runs from a build's subfolder, and the captions they write to try the file code.
#include "base/paths.h"
#include "base/settings.h"
#include "document/captions.h"
#include "document/timecode.h"
#include "formats/formatdefs.h"
#include "language/lang.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <vector>

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

// What reading a file as the open command does needs: the format list, a line-break marker
// ("|" unless one is set) and the program's messages in English. The table of languages (their
// names, code pages and locales, which the settings' language page lists) plays no part in it.
inline bool LoadForReading() {
    if (!LoadFormatCatalogue()) return false;
    if (gLineBreak.isEmpty()) gLineBreak = QStringLiteral("|");
    LoadLanguageStrings();
    return true;
}

// n captions, 2.4 seconds each and three seconds apart from 1 s on: "Caption 1, the quick brown
// fox" and on, every third from the second with a second line after lineBreak; with styleTags,
// some open with <i> or <b>.
inline std::vector<tSubtitleLine> DemoCaptions(int n, const QString& lineBreak, bool styleTags) {
    std::vector<tSubtitleLine> rows;
    rows.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const int32_t start = 1000 + i * 3000;
        QString text = QStringLiteral("Caption %1, the quick brown fox").arg(i + 1);
        if (i % 3 == 1) text += lineBreak + QStringLiteral("jumps over the lazy dog");
        if (styleTags && i % 7 == 3) text.prepend(QStringLiteral("<i>"));
        if (styleTags && i % 11 == 5) text.prepend(QStringLiteral("<b>"));
        rows.push_back({start, start + 2400, text});
    }
    return rows;
}

// A SubRip file of captions whose line breaks are "\n".
inline QByteArray DemoSubRip(const std::vector<tSubtitleLine>& captions) {
    QString out;
    int k = 0;
    for (const tSubtitleLine& c : captions)
        out += QString::number(++k) + u'\n' + MsToTime(c.start) + QStringLiteral(" --> ") + MsToTime(c.end) +
               u'\n' + c.text + QStringLiteral("\n\n");
    return out.toUtf8();
}
