#include "waveform/wavfile.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {

// No WAV writer puts thousands of chunks before its samples; a file that seems to is not
// walked to its end eight bytes at a time.
constexpr int kMaxChunks = 4096;

// The tail of the extensible format's sub-format GUID for PCM and float.
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t U16(const unsigned char* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t U32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool Fail(QString* why, const char* text) {
    if (why) *why = QString::fromLatin1(text);
    return false;
}

// Reads exactly len bytes at offset; false when the file ends first or cannot be read.
bool ReadExact(const WavReadAt& readAt, int64_t offset, unsigned char* buf, int64_t len) {
    return readAt(offset, reinterpret_cast<char*>(buf), len) == len;
}

// Takes the format chunk's fields into fmt; false when this program cannot read the samples.
bool TakeFormat(const unsigned char* p, uint32_t size, WavFormat& fmt, QString* why) {
    if (size < 16) return Fail(why, "format chunk too short");
    fmt.formatTag = U16(p);
    fmt.channels = U16(p + 2);
    fmt.sampleRate = U32(p + 4);
    fmt.blockAlign = U16(p + 12);
    fmt.bitsPerSample = U16(p + 14);

    uint16_t tag = fmt.formatTag;
    if (tag == 0xFFFE) {
        if (size < 40 || U16(p + 16) < 22) return Fail(why, "extensible format chunk too short");
        if (std::memcmp(p + 26, kSubFormatTail, sizeof kSubFormatTail) != 0 || U16(p + 24) == 0xFFFE)
            return Fail(why, "unknown sub-format");
        tag = U16(p + 24);
    }
    if (fmt.channels < 1 || fmt.channels > kWavMaxChannels) return Fail(why, "channel count out of range");
    if (fmt.sampleRate < kWavMinRate || fmt.sampleRate > kWavMaxRate) return Fail(why, "sample rate out of range");
    if (tag == 1) {
        switch (fmt.bitsPerSample) {
        case 8: fmt.kind = WavSampleKind::Unsigned8; break;
        case 16: fmt.kind = WavSampleKind::Signed16; break;
        case 24: fmt.kind = WavSampleKind::Signed24; break;
        case 32: fmt.kind = WavSampleKind::Signed32; break;
        default: return Fail(why, "unsupported PCM sample size");
        }
    } else if (tag == 3 && fmt.bitsPerSample == 32) {
        fmt.kind = WavSampleKind::Float32;
    } else {
        return Fail(why, "not uncompressed PCM");
    }
    if (int(fmt.blockAlign) != int(fmt.channels) * (fmt.bitsPerSample / 8))
        return Fail(why, "frame size does not match the channels");
    return true;
}

} // namespace

std::optional<WavFormat> ParseWavHeader(const WavReadAt& readAt, int64_t fileSize, QString* why) {
    unsigned char head[12];
    if (fileSize < 12 || !ReadExact(readAt, 0, head, 12) || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0) {
        Fail(why, "not a RIFF WAVE file");
        return std::nullopt;
    }

    WavFormat fmt;
    bool haveFormat = false, haveData = false;
    int64_t offset = 12;
    for (int chunks = 0; chunks < kMaxChunks && offset + 8 <= fileSize; ++chunks) {
        unsigned char ch[8];
        if (!ReadExact(readAt, offset, ch, 8)) break;
        const uint32_t size = U32(ch + 4);
        const int64_t body = offset + 8;
        if (std::memcmp(ch, "fmt ", 4) == 0 && !haveFormat) {
            unsigned char f[40] = {};
            const int64_t want = std::min<int64_t>(size, sizeof f);
            if (!ReadExact(readAt, body, f, want)) {
                Fail(why, "format chunk cut off");
                return std::nullopt;
            }
            if (!TakeFormat(f, size, fmt, why)) return std::nullopt;
            haveFormat = true;
        } else if (std::memcmp(ch, "data", 4) == 0 && !haveData) {
            fmt.dataOffset = body;
            // Writers that stream leave the size open (0xFFFFFFFF) or too big: the file decides.
            fmt.dataSize = std::max<int64_t>(0, std::min<int64_t>(size, fileSize - body));
            haveData = true;
        }
        if (haveFormat && haveData) break;
        // Chunks are padded to an even size; 64-bit arithmetic cannot wrap, so the walk only
        // ever moves forward.
        offset = body + int64_t(size) + (size & 1);
    }
    if (!haveFormat) {
        Fail(why, "no format chunk");
        return std::nullopt;
    }
    if (!haveData) {
        Fail(why, "no data chunk");
        return std::nullopt;
    }
    // A last frame cut in half is not a frame.
    fmt.dataSize -= fmt.dataSize % fmt.blockAlign;
    return fmt;
}

std::optional<WavFormat> ParseWavHeader(const QByteArray& bytes, QString* why) {
    const WavReadAt readAt = [&bytes](int64_t offset, char* buf, int64_t len) -> int64_t {
        if (offset < 0 || offset >= bytes.size()) return 0;
        const int64_t n = std::min<int64_t>(len, bytes.size() - offset);
        std::memcpy(buf, bytes.constData() + offset, size_t(n));
        return n;
    };
    return ParseWavHeader(readAt, bytes.size(), why);
}

std::optional<WavFormat> ParseWavFile(QFile& file, QString* why) {
    const WavReadAt readAt = [&file](int64_t offset, char* buf, int64_t len) -> int64_t {
        if (file.pos() != offset && !file.seek(offset)) return -1;
        return file.read(buf, len);
    };
    return ParseWavHeader(readAt, file.size(), why);
}
