// Peaks of 10 ms blocks, the wave picture, the meter and the drag rules.
#include "support/fixture.h"
#include "waveform/wavepeaks.h"
#include "waveform/wavestate.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <cstring>

namespace {

WavFormat Format(WavSampleKind kind, int channels, uint32_t rate, int bytes) {
    WavFormat f;
    f.kind = kind;
    f.channels = uint16_t(channels);
    f.sampleRate = rate;
    f.blockAlign = uint16_t(channels * bytes);
    f.bitsPerSample = uint16_t(8 * bytes);
    return f;
}

TEST(WavePeaksTest, BlocksFollowTheClockAtEveryRate) {
    struct Case {
        uint32_t rate;
        std::vector<int64_t> lengths; // frames of blocks 0, 1, 2, 3
        int64_t blocksOfAMinute;
    };
    const Case cases[] = {
        {44100, {441, 441, 441, 441}, 6000},
        {48000, {480, 480, 480, 480}, 6000},
        {22050, {220, 221, 220, 221}, 6000},
        {11025, {110, 110, 110, 111}, 6000},
        {8000, {80, 80, 80, 80}, 6000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(BlockStartFrame(k + 1, c.rate) - BlockStartFrame(k, c.rate), c.lengths[size_t(k)]);
        EXPECT_EQ(WaveBlockCount(int64_t(c.rate) * 60, c.rate), c.blocksOfAMinute);
        // A last, short block still counts; no drift after an hour.
        EXPECT_EQ(WaveBlockCount(int64_t(c.rate) * 60 + 1, c.rate), c.blocksOfAMinute + 1);
        EXPECT_EQ(BlockStartFrame(360000, c.rate), int64_t(c.rate) * 3600);
    }
    EXPECT_EQ(WaveBlockCount(0, 44100), 0);
    EXPECT_EQ(WaveBlockCount(int64_t(1) << 40, 1000), kMaxWaveBlocks);
}

TEST(WavePeaksTest, EveryChannelCountsAndSamplesConvertToSixteenBits) {
    // Dialogue only on the right channel of a stereo file still shows.
    {
        const WavFormat f = Format(WavSampleKind::Signed16, 2, 1000, 2);
        std::vector<int16_t> s(40, 0);
        s[7] = 12000;   // frame 3, right
        s[13] = -9000;  // frame 6, right
        s[31] = 30000;  // frame 15, right: block 1
        PeakScanner scanner(f, 0, 2);
        std::vector<int16_t> out;
        scanner.Feed(reinterpret_cast<const unsigned char*>(s.data()), 20, out);
        EXPECT_EQ(out, (std::vector<int16_t>{12000, -9000, 30000, 0}));
    }
    struct Case {
        const char* name;
        WavSampleKind kind;
        int bytes;
        QByteArray sample;
        int16_t value;
    };
    float half = 0.5f, tooLoud = 3.0f, nan = std::nanf("");
    const Case cases[] = {
        {"8-bit top", WavSampleKind::Unsigned8, 1, QByteArray(1, '\xFF'), 127 * 256},
        {"8-bit silence", WavSampleKind::Unsigned8, 1, QByteArray(1, '\x80'), 0},
        {"8-bit bottom", WavSampleKind::Unsigned8, 1, QByteArray(1, '\0'), -32768},
        {"24-bit", WavSampleKind::Signed24, 3, QByteArray::fromHex("563412"), 0x1234},
        {"24-bit negative", WavSampleKind::Signed24, 3, QByteArray::fromHex("0000ff"), -256},
        {"32-bit", WavSampleKind::Signed32, 4, QByteArray::fromHex("99887766"), 0x6677},
        {"float half", WavSampleKind::Float32, 4, QByteArray(reinterpret_cast<char*>(&half), 4), 16384},
        {"float too loud", WavSampleKind::Float32, 4, QByteArray(reinterpret_cast<char*>(&tooLoud), 4), 32767},
        {"float NaN", WavSampleKind::Float32, 4, QByteArray(reinterpret_cast<char*>(&nan), 4), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int16_t hi = 0, lo = 0;
        MinMaxFrames(reinterpret_cast<const unsigned char*>(c.sample.constData()), 1, c.kind, hi, lo);
        EXPECT_EQ(c.value >= 0 ? hi : lo, c.value);
        EXPECT_EQ(c.value >= 0 ? lo : hi, 0);
    }
}

TEST(WavePeaksTest, ChunksOfAnySizeGiveTheSamePeaks) {
    QRandomGenerator rng(7);
    const WavFormat f = Format(WavSampleKind::Signed16, 2, 11025, 2);
    const int frames = 11025 * 3 + 17;
    std::vector<int16_t> s(size_t(frames) * 2);
    for (int16_t& v : s)
        v = int16_t(rng.bounded(65536) - 32768);
    const auto* bytes = reinterpret_cast<const unsigned char*>(s.data());
    const int64_t blocks = WaveBlockCount(frames, f.sampleRate);

    // The plain answer, block by block.
    std::vector<int16_t> expected;
    for (int64_t k = 0; k < blocks; ++k) {
        int16_t hi = 0, lo = 0;
        for (int64_t i = 2 * BlockStartFrame(k, f.sampleRate); i < 2 * std::min<int64_t>(BlockStartFrame(k + 1, f.sampleRate), frames); ++i) {
            hi = std::max(hi, s[size_t(i)]);
            lo = std::min(lo, s[size_t(i)]);
        }
        expected.push_back(hi);
        expected.push_back(lo);
    }
    for (int piece : {1, 7, 110, 111, 4096, frames}) {
        SCOPED_TRACE(piece);
        PeakScanner scanner(f, 0, blocks);
        std::vector<int16_t> out;
        for (int at = 0; at < frames; at += piece)
            scanner.Feed(bytes + int64_t(at) * 4, std::min(piece, frames - at), out);
        scanner.Finish(out);
        EXPECT_EQ(out, expected);
    }
    // Nothing is written past the last block asked for.
    PeakScanner two(f, 0, 2);
    std::vector<int16_t> out;
    EXPECT_EQ(two.Feed(bytes, frames, out), 220);
    EXPECT_EQ(out.size(), 4u);
}

TEST(WavePeaksTest, TheFastScanAgreesWithThePlainOne) {
    QRandomGenerator rng(3);
    std::vector<int16_t> s(300);
    for (int16_t& v : s)
        v = int16_t(rng.bounded(65536) - 32768);
    for (int start : {0, 1, 3})
        for (int n : {0, 1, 15, 16, 31, 32, 33, 100, 297}) {
            int16_t hi = 5, lo = -5, phi = 5, plo = -5;
            MinMax16(s.data() + start, n, hi, lo);
            for (int i = start; i < start + n; ++i) {
                phi = std::max(phi, s[size_t(i)]);
                plo = std::min(plo, s[size_t(i)]);
            }
            EXPECT_EQ(hi, phi) << start << " " << n;
            EXPECT_EQ(lo, plo) << start << " " << n;
        }
}

// --- Picture, colours, meter, drag rules ---

class WaveDrawTest : public ScrivelleTest {};

int TopOfColumn(const QImage& img, int x, QRgb background) {
    for (int y = 0; y < img.height(); ++y)
        if (img.pixel(x, y) != background && img.pixel(x, y) != RgbOf(kWaveSecondColor)) return y;
    return -1;
}

TEST_F(WaveDrawTest, ColumnsScaleWithTheSettingAndStopAtTheData) {
    const WavePalette pal = WavePaletteFor(0xFFFF00);
    gWaveMarkColor = pal.mark;
    gWaveBackColor = pal.back;
    // Blocks: silent, half scale, full scale, over scale; only four were read.
    const std::vector<int16_t> peaks = {0, 0, 5000, -5000, 10000, -10000, 32767, -32768};
    QImage img(10, 64, QImage::Format_RGB32);
    gWaveOffset = 1;
    RenderWave(img, peaks, 4, 4, 1, 10000, false, 0xFFFF00);
    const QRgb back = RgbOf(pal.back);
    EXPECT_EQ(TopOfColumn(img, 0, back), 32); // block 1: half
    EXPECT_EQ(TopOfColumn(img, 1, back), 0);  // full
    EXPECT_EQ(TopOfColumn(img, 2, back), 0);  // over scale: cut at the top
    // Past the end of the file: a flat line along the bottom.
    EXPECT_EQ(TopOfColumn(img, 5, back), 63);
    EXPECT_EQ(img.pixel(5, 63), RgbOf(0xFFFF00));

    // Full mode about the centre; no column is drawn for blocks not read yet, and loaded
    // counts larger than the array read nothing past it.
    RenderWave(img, peaks, 99, 99, 0, 10000, true, 0xFFFF00);
    EXPECT_EQ(TopOfColumn(img, 0, back), 32); // silence: a point on the centre line
    EXPECT_EQ(TopOfColumn(img, 1, back), 16);
    EXPECT_EQ(img.pixel(1, 48), RgbOf(0xFFFF00));
    EXPECT_EQ(img.pixel(1, 49), back);
    EXPECT_EQ(TopOfColumn(img, 4, back), -1);
    RenderWave(img, peaks, 2, 4, 0, 10000, false, 0xFFFF00);
    EXPECT_EQ(TopOfColumn(img, 2, back), -1);
    // An empty pane has no flat line.
    RenderWave(img, {}, 0, 0, 0, 10000, false, 0xFFFF00);
    EXPECT_EQ(TopOfColumn(img, 0, back), -1);
}

TEST_F(WaveDrawTest, WholeSecondsAreMarked) {
    const WavePalette pal = WavePaletteFor(0x202020);
    gWaveMarkColor = pal.mark;
    gWaveBackColor = pal.back;
    std::vector<int16_t> peaks(2 * 400, 20000);
    QImage img(250, 20, QImage::Format_RGB32);
    gWaveOffset = 130;
    RenderWave(img, peaks, 400, 400, 130, 20000, false, 0x202020);
    EXPECT_EQ(img.pixel(70, 10), RgbOf(pal.mark)); // block 200
    EXPECT_EQ(img.pixel(170, 10), RgbOf(pal.mark));
    EXPECT_EQ(img.pixel(71, 10), RgbOf(0x202020));
    EXPECT_EQ(WaveColumnColor(70, 0x202020), pal.mark);
}

TEST_F(WaveDrawTest, PaletteMeterAndDragRules) {
    // Mean 55 is dark: lighter marks on white; mean 56 is not.
    EXPECT_EQ(WavePaletteFor(0x373737).back, 0xFFFFFF);
    EXPECT_EQ(WavePaletteFor(0x373737).mark, 0x878787);
    EXPECT_EQ(WavePaletteFor(0x383838).back, 0x000000);
    EXPECT_EQ(WavePaletteFor(0xFFFF00).mark, 0xAFAF00);
    EXPECT_EQ(WavePaletteFor(0x0000A0).back, 0xFFFFFF); // mean 53.3
    EXPECT_EQ(WavePaletteFor(0x0000F0).back, 0x000000); // mean 80

    // The meter never divides by zero at the smallest scales.
    EXPECT_EQ(WaveMeterLevel(3200, 3200), 32);
    EXPECT_EQ(WaveMeterLevel(100, 10), 100);
    EXPECT_EQ(WaveMeterLevel(0, 25000), 0);

    const WaveSpan lines{100, 300};
    struct Case {
        int target, x, grab;
        WaveSpan to;
    };
    const Case cases[] = {
        {1, 150, 0, {150, 300}},
        {1, 290, 0, {100, 300}},   // within 10 pixels of the end: stays
        {1, 286, 0, {286, 300}},   // 14 pixels is allowed
        {1, 287, 0, {100, 300}},   // 13 is not
        {2, 114, 0, {100, 114}},   // the same for the end line
        {2, 113, 0, {100, 300}},
        {1, -50, 0, {-20, 300}},   // not before time 0
        {2, 110, 0, {100, 300}},
        {2, 500, 0, {100, 500}},
        {3, 260, 60, {200, 400}},
        {3, -100, 60, {-20, 180}}, // the span keeps its width at time 0
        {0, 250, 0, {100, 300}},
    };
    for (const Case& c : cases) {
        const WaveSpan got = DragWaveSpan(c.target, c.x, c.grab, lines, -20);
        EXPECT_EQ(got.start, c.to.start) << c.target << " " << c.x;
        EXPECT_EQ(got.end, c.to.end) << c.target << " " << c.x;
    }
    EXPECT_EQ(WaveDragTarget(98, lines), 1);
    EXPECT_EQ(WaveDragTarget(101, lines), 1);
    EXPECT_EQ(WaveDragTarget(102, lines), 3);
    EXPECT_EQ(WaveDragTarget(301, lines), 2);
    EXPECT_EQ(WaveDragTarget(302, lines), 0);
    EXPECT_EQ(WaveDragTarget(50, lines), 0);
}

} // namespace
