#pragma once
// The waveform's state and the arithmetic of its drawing, without widgets: the peaks of the
// loaded WAV, which block the pane starts at, its size, its colours; the picture of a
// screenful; the level meter's reading and the caption lines' drag rules.
//
// Colours are kept as the program keeps them, 0x00BBGGRR.
#include <QImage>

#include <cstdint>
#include <vector>

// gWavePeaks[2k] is the highest and gWavePeaks[2k + 1] the lowest sample of 10 ms block k.
extern std::vector<int16_t> gWavePeaks;
extern int32_t gWavePeakCount;  // peak values planned for the file (two a block)
extern int32_t gWaveLoadedBlocks; // blocks read so far (all of them once the load ends)
extern int32_t gWaveOffset;     // block shown in the pane's first column
extern int32_t gWaveHeight;     // the pane's height in pixels
extern int32_t gWaveWidth;      // columns drawn: the pane's own width in pixels
extern int32_t gWaveMarkColor;  // whole-second columns
extern int32_t gWaveBackColor;  // the pane's background

// The lines' colours: the play position at rest and while a click seeks, the caption span.
inline constexpr int32_t kWavePosColor = 0xFFFFC0;
inline constexpr int32_t kWaveSeekColor = 0xFFFFFF;
inline constexpr int32_t kWaveTakeColor = 0x00FF00; // what a right-drag would take
inline constexpr int32_t kWaveKeepColor = 0x0000FF; // what it would leave
inline constexpr int32_t kWaveSpanColor = 0x0080FF; // the span at rest (orange)
inline constexpr int32_t kWaveSecondColor = 0x808080;

// The two caption lines may not come closer than this.
inline constexpr int kWaveMinGap = 14;

QRgb RgbOf(int32_t color);

// The colours SetWaveColor derives from the wave colour: marks lighter and a white background
// for a dark colour (mean of the channels 55 or less), else marks darker and a black one.
struct WavePalette {
    int32_t wave, mark, back;
};
WavePalette WavePaletteFor(int32_t color);

// gWaveMarkColor for a column at a whole second (seen from gWaveOffset), else the wave colour.
int32_t WaveColumnColor(int column, int32_t waveColor);

// Draws a screenful starting at block firstBlock into image (its size is the pane's): the
// background, grey lines at whole seconds, then one column per loaded block. Bars rise from
// the bottom (full = false) or span highest to lowest about the centre line (full = true),
// scaled so that the sample value scale fills the height. Past the file's last block a bar
// drawing ends in a flat line. Never reads a block at or past loadedBlocks.
void RenderWave(QImage& image, const std::vector<int16_t>& peaks, int64_t loadedBlocks, int64_t totalBlocks,
                int64_t firstBlock, int32_t scale, bool full, int32_t waveColor);

// The level meter's reading (lit segments) for a block's highest sample.
int WaveMeterLevel(int16_t peak, int32_t scale);

// Where a right-drag puts the caption lines: target 1 the start line, 2 the end line, 3 both
// (grab = pointer minus start line when the drag began). A line that would come closer than
// kWaveMinGap to the other stays; the lines never go left of minX (time 0).
struct WaveSpan {
    int start, end;
};
WaveSpan DragWaveSpan(int target, int x, int grab, WaveSpan lines, int minX);
// What a right press at x takes: 1 start line, 2 end line, 3 the span between, 0 nothing.
int WaveDragTarget(int x, WaveSpan lines);
