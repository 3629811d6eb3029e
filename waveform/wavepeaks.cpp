#include "waveform/wavepeaks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

int64_t WaveBlockCount(int64_t frames, uint32_t rate) {
    if (frames <= 0 || rate == 0) return 0;
    // Blocks k with floor(k * rate / 100) < frames.
    const int64_t count = (frames * 100 + rate - 1) / rate;
    return std::min(count, kMaxWaveBlocks);
}

void MinMax16(const int16_t* p, int64_t n, int16_t& hi, int16_t& lo) {
    int16_t a = hi, b = lo;
    int64_t i = 0;
#if defined(__SSE2__)
    // Spelled out: the build's optimisation level does not vectorise the plain loop, and this
    // loop bounds the whole load.
    if (n >= 32) {
        __m128i hi0 = _mm_set1_epi16(a), hi1 = hi0, lo0 = _mm_set1_epi16(b), lo1 = lo0;
        for (; i + 16 <= n; i += 16) {
            const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 8));
            hi0 = _mm_max_epi16(hi0, v0);
            hi1 = _mm_max_epi16(hi1, v1);
            lo0 = _mm_min_epi16(lo0, v0);
            lo1 = _mm_min_epi16(lo1, v1);
        }
        alignas(16) int16_t h[8], l[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(h), _mm_max_epi16(hi0, hi1));
        _mm_store_si128(reinterpret_cast<__m128i*>(l), _mm_min_epi16(lo0, lo1));
        for (int j = 0; j < 8; ++j) {
            a = std::max(a, h[j]);
            b = std::min(b, l[j]);
        }
    }
#endif
    for (; i < n; ++i) {
        a = std::max(a, p[i]);
        b = std::min(b, p[i]);
    }
    hi = a;
    lo = b;
}

namespace {

int16_t FromFloat(float v) {
    if (!(v == v)) return 0; // NaN
    const float s = std::clamp(v * 32767.0f, -32768.0f, 32767.0f);
    return int16_t(std::lrintf(s));
}

} // namespace

void MinMaxFrames(const unsigned char* d, int64_t samples, WavSampleKind kind, int16_t& hi, int16_t& lo) {
    switch (kind) {
    case WavSampleKind::Unsigned8: {
        unsigned char a = 128, b = 128;
        for (int64_t i = 0; i < samples; ++i) {
            a = std::max(a, d[i]);
            b = std::min(b, d[i]);
        }
        hi = std::max<int16_t>(hi, int16_t((a - 128) * 256));
        lo = std::min<int16_t>(lo, int16_t((b - 128) * 256));
        break;
    }
    case WavSampleKind::Signed16: {
        // The buffer holds whole frames from an even offset, but it need not be 2-aligned for
        // every caller: copy-free only when it is.
        if (reinterpret_cast<uintptr_t>(d) % alignof(int16_t) == 0) {
            MinMax16(reinterpret_cast<const int16_t*>(d), samples, hi, lo);
        } else {
            for (int64_t i = 0; i < samples; ++i) {
                int16_t v;
                std::memcpy(&v, d + 2 * i, 2);
                hi = std::max(hi, v);
                lo = std::min(lo, v);
            }
        }
        break;
    }
    case WavSampleKind::Signed24:
        for (int64_t i = 0; i < samples; ++i) {
            // The top two bytes are the 16-bit value.
            const int16_t v = int16_t(d[3 * i + 1] | (d[3 * i + 2] << 8));
            hi = std::max(hi, v);
            lo = std::min(lo, v);
        }
        break;
    case WavSampleKind::Signed32:
        for (int64_t i = 0; i < samples; ++i) {
            const int16_t v = int16_t(d[4 * i + 2] | (d[4 * i + 3] << 8));
            hi = std::max(hi, v);
            lo = std::min(lo, v);
        }
        break;
    case WavSampleKind::Float32:
        for (int64_t i = 0; i < samples; ++i) {
            float f;
            std::memcpy(&f, d + 4 * i, 4);
            const int16_t v = FromFloat(f);
            hi = std::max(hi, v);
            lo = std::min(lo, v);
        }
        break;
    }
}

PeakScanner::PeakScanner(const WavFormat& format, int64_t firstBlock, int64_t endBlock)
    : mFormat(format), mBlock(firstBlock), mEndBlock(endBlock) {
    mLeft = BlockStartFrame(mBlock + 1, mFormat.sampleRate) - BlockStartFrame(mBlock, mFormat.sampleRate);
}

int64_t PeakScanner::Feed(const unsigned char* data, int64_t frames, std::vector<int16_t>& out) {
    const int frameBytes = mFormat.blockAlign;
    const int channels = mFormat.channels;
    int64_t used = 0;
    while (used < frames && mBlock < mEndBlock) {
        const int64_t n = std::min(mLeft, frames - used);
        if (n > 0) {
            MinMaxFrames(data + used * frameBytes, n * channels, mFormat.kind, mHi, mLo);
            mStarted = true;
            used += n;
            mLeft -= n;
        }
        if (mLeft == 0) {
            out.push_back(mHi);
            out.push_back(mLo);
            mHi = mLo = 0;
            mStarted = false;
            ++mBlock;
            mLeft = BlockStartFrame(mBlock + 1, mFormat.sampleRate) - BlockStartFrame(mBlock, mFormat.sampleRate);
        }
    }
    return used;
}

void PeakScanner::Finish(std::vector<int16_t>& out) {
    if (!mStarted || mBlock >= mEndBlock) return;
    out.push_back(mHi);
    out.push_back(mLo);
    mHi = mLo = 0;
    mStarted = false;
    ++mBlock;
}
