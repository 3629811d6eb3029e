#include "waveform/wavestate.h"

#include "base/processstate.h"

#include <algorithm>

std::vector<int16_t> gWavePeaks;
int32_t gWavePeakCount = 0;
int32_t gWaveLoadedBlocks = 0;
int32_t gWaveOffset = 0;
int32_t gWaveHeight = 0;
int32_t gWaveWidth = 0;
int32_t gWaveMarkColor = 0;
int32_t gWaveBackColor = 0;

namespace {

void ResetWaveState() {
    gWavePeaks.clear();
    gWavePeaks.shrink_to_fit();
    gWavePeakCount = 0;
    gWaveLoadedBlocks = 0;
    gWaveOffset = 0;
    gWaveHeight = 0;
    gWaveWidth = 0;
    gWaveMarkColor = 0;
    gWaveBackColor = 0;
}
SCRIVELLE_REGISTER_RESET(ResetWaveState);

void VLine(QImage& image, int x, int y0, int y1, QRgb c) {
    if (x < 0 || x >= image.width()) return;
    if (y0 > y1) std::swap(y0, y1);
    y0 = std::max(y0, 0);
    y1 = std::min(y1, image.height() - 1);
    for (int y = y0; y <= y1; ++y)
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = c;
}

} // namespace

QRgb RgbOf(int32_t color) {
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

WavePalette WavePaletteFor(int32_t color) {
    const int r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    const bool dark = (r + g + b) / 3.0 <= 55;
    const auto shift = [dark](int c) { return std::clamp(dark ? c + 80 : c - 80, 0, 255); };
    const int32_t mark = shift(r) | (shift(g) << 8) | (shift(b) << 16);
    return {color, mark, dark ? 0xFFFFFF : 0x000000};
}

int32_t WaveColumnColor(int column, int32_t waveColor) {
    return (gWaveOffset % 100 + column) % 100 == 0 ? gWaveMarkColor : waveColor;
}

void RenderWave(QImage& image, const std::vector<int16_t>& peaks, int64_t loadedBlocks, int64_t totalBlocks,
                int64_t firstBlock, int32_t scale, bool full, int32_t waveColor) {
    image.fill(RgbOf(gWaveBackColor));
    const int width = image.width(), height = image.height();
    if (width <= 0 || height <= 0) return;
    const QRgb grey = RgbOf(kWaveSecondColor);
    for (int x = 100 - int(firstBlock % 100); x < width; x += 100)
        VLine(image, x, 0, height - 1, grey);

    const int64_t scaleBy = std::max<int32_t>(scale, 1);
    // Only blocks that were read, and never past the array.
    const int64_t lastBlock = std::min<int64_t>({loadedBlocks, totalBlocks, int64_t(peaks.size() / 2)});
    int x = 0;
    for (; x < width; ++x) {
        const int64_t b = firstBlock + x;
        if (b < 0) continue;
        if (b >= lastBlock) break;
        const int64_t hi = peaks[size_t(2 * b)], lo = peaks[size_t(2 * b + 1)];
        const QRgb c = RgbOf(WaveColumnColor(x, waveColor));
        if (!full) {
            const int64_t y = std::max<int64_t>(0, height - hi * height / scaleBy);
            VLine(image, x, int(std::min<int64_t>(y, height - 1)), height - 1, c);
        } else {
            const int64_t h = height / 2;
            const int64_t yHi = std::clamp<int64_t>(h - hi * h / scaleBy, 0, height - 1);
            const int64_t yLo = std::clamp<int64_t>(h - lo * h / scaleBy, 0, height - 1);
            VLine(image, x, int(yHi), int(yLo), c);
        }
    }
    // The file ends inside the pane: a bar drawing goes on flat.
    if (!full && totalBlocks > 0 && lastBlock >= totalBlocks && x < width) {
        const QRgb c = RgbOf(waveColor);
        for (; x < width; ++x)
            reinterpret_cast<QRgb*>(image.scanLine(height - 1))[x] = c;
    }
}

int WaveMeterLevel(int16_t peak, int32_t scale) {
    // Below a scale of 32 the divisor would be 0: every sound then fills the meter.
    return peak / std::max(scale / 32, 1);
}

int WaveDragTarget(int x, WaveSpan lines) {
    if (x >= lines.start - 2 && x <= lines.start + 1) return 1;
    if (x >= lines.end - 2 && x <= lines.end + 1) return 2;
    if (x > lines.start && x < lines.end) return 3;
    return 0;
}

WaveSpan DragWaveSpan(int target, int x, int grab, WaveSpan lines, int minX) {
    switch (target) {
    case 1:
        x = std::max(x, minX);
        if (lines.end - x >= kWaveMinGap) lines.start = x;
        break;
    case 2:
        if (x - lines.start >= kWaveMinGap) lines.end = x;
        break;
    case 3: {
        const int span = lines.end - lines.start;
        lines.start = std::max(x - grab, minX);
        lines.end = lines.start + span;
        break;
    }
    default:
        break;
    }
    return lines;
}
