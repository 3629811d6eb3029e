#pragma once
// A document of captions made in one go, and its texts read back, for tests that edit captions.
#include "document/captions.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

// Caption i gets texts[i] and runs from times[i] when given, else from (i + 1) * 1000 to
// (i + 1) * 1000 + 500 ms. The first caption is selected and the document counts as unchanged.
inline void FillCaptions(const QStringList& texts,
                         const std::vector<std::pair<int32_t, int32_t>>& times = {}) {
    ResetCaptionGrid(true);
    std::vector<tSubtitleLine> lines;
    for (int i = 0; i < texts.size(); ++i) {
        const auto t =
            size_t(i) < times.size() ? times[size_t(i)] : std::pair((i + 1) * 1000, (i + 1) * 1000 + 500);
        lines.push_back({t.first, t.second, texts[i]});
    }
    ASSERT_TRUE(FillLines(0, lines));
    SelectLine(1, false);
    gModified = false;
}

// Every caption's text, first to last.
inline QStringList CaptionTexts() {
    QStringList out;
    for (int i = 1; i <= CaptionCount(); ++i)
        out << GetLineText(i);
    return out;
}
