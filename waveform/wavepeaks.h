#pragma once
// The peaks of a WAV file: for every 10 ms block, the highest and the lowest sample of every
// channel on a 16-bit scale. Block k starts at frame floor(k * rate / 100), so blocks of odd
// rates (22,050, 11,025 Hz) alternate in length and never drift from the clock.
#include "waveform/wavfile.h"

#include <cstdint>
#include <vector>

// The most blocks held for one file (about 93 hours); what lies beyond is not shown.
inline constexpr int64_t kMaxWaveBlocks = int64_t(1) << 25;

inline int64_t BlockStartFrame(int64_t block, uint32_t rate) {
    return block * int64_t(rate) / 100;
}
// The number of blocks that frames fill (the last one may be short), at most kMaxWaveBlocks.
int64_t WaveBlockCount(int64_t frames, uint32_t rate);

// Highest and lowest of n samples, starting from the given values. The 16-bit one is the hot
// loop of a load: it runs over every sample of every channel.
void MinMax16(const int16_t* samples, int64_t n, int16_t& hi, int16_t& lo);
// The same for the other sample kinds, on the 16-bit scale (8-bit silence at 128 is 0).
void MinMaxFrames(const unsigned char* data, int64_t samples, WavSampleKind kind, int16_t& hi, int16_t& lo);

// Turns a stream of whole frames into block peaks. Feed them in order from frame
// BlockStartFrame(firstBlock) on; each finished block appends its highest and lowest value to
// out. Nothing is written past endBlock.
class PeakScanner {
public:
    PeakScanner(const WavFormat& format, int64_t firstBlock, int64_t endBlock);
    // Takes frames; returns the number of frames used (fewer once endBlock is reached).
    int64_t Feed(const unsigned char* data, int64_t frames, std::vector<int16_t>& out);
    // Writes the block in progress when it has any frame (the file ended inside it).
    void Finish(std::vector<int16_t>& out);
    int64_t NextBlock() const { return mBlock; }
    bool Done() const { return mBlock >= mEndBlock; }

private:
    WavFormat mFormat;
    int64_t mBlock;
    int64_t mEndBlock;
    int64_t mLeft;      // frames still missing from the block in progress
    bool mStarted = false; // the block in progress has frames
    int16_t mHi = 0, mLo = 0;
};
