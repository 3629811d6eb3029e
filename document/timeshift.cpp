#include "document/timeshift.h"

#include "document/captions.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int64_t kMaxTime = std::numeric_limits<int32_t>::max();

int32_t ClampTime(int64_t ms) {
    return int32_t(std::clamp<int64_t>(ms, 0, kMaxTime));
}

// Runs work over the whole document with the grid off and redrawn once.
template <typename Work> int WithGridOff(Work&& work) {
    FlexGrid& grid = grdSubs();
    const bool enabled = grid.Enabled(), redraw = grid.Redraw();
    grid.SetEnabled(false);
    grid.SetRedraw(false);
    const int result = work(grid);
    grid.SetRedraw(redraw);
    grid.SetEnabled(enabled);
    return result;
}

} // namespace

int CountShiftedBelowZero(int64_t delayMs) {
    int n = 0;
    for (int i = 1; i <= CaptionCount(); ++i)
        if (IsLineTimed(i) && int64_t(GetLineStart(i)) + delayMs < 0) ++n;
    return n;
}

int ShiftAllTimes(int64_t delayMs) {
    if (delayMs == 0 || !IsDocumentGrid()) return 0;
    return WithGridOff([delayMs](FlexGrid&) {
        int changed = 0;
        const int captions = CaptionCount();
        for (int i = 1; i <= captions; ++i) {
            if (!IsLineTimed(i)) continue;
            const int64_t start = int64_t(GetLineStart(i)) + delayMs;
            if (start < 0) {
                ClearLineTimes(i, false);
            } else {
                SetLineStart(i, ClampTime(start), false);
                SetLineEnd(i, ClampTime(int64_t(GetLineEnd(i)) + delayMs));
            }
            ++changed;
        }
        return changed;
    });
}

bool RedecodeAsUtf8(const QString& text, QString& out) {
    const QByteArray bytes = EncodeCodePage(text, 0);
    // A character the code page cannot hold came out as "?": those bytes are not the file's.
    if (DecodeCodePage(bytes, 0) != text) return false;
    const QString decoded = DecodeCodePage(bytes, 65001);
    // Bytes that are no valid UTF-8 decode to replacement characters and would lose text.
    if (EncodeCodePage(decoded, 65001) != bytes) return false;
    if (decoded == text) return false;
    out = decoded;
    return true;
}

int ConvertCaptionsFromUtf8() {
    if (!IsDocumentGrid()) return 0;
    const int changed = WithGridOff([](FlexGrid& grid) {
        int n = 0;
        const int captions = CaptionCount();
        for (int i = 1; i <= captions; ++i) {
            QString converted;
            if (!RedecodeAsUtf8(grid.Text(i), converted)) continue;
            SetLineText(i, converted);
            if (grid.Text(i) == converted) ++n;
        }
        return n;
    });
    if (changed > 0) gModified = true;
    return changed;
}
