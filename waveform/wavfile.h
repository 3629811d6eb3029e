#pragma once
// The header of a WAV file: where its samples are and how they are stored.
//
// The RIFF chunks are walked forward with 64-bit offsets and their pad bytes, so "fmt " and
// "data" are found wherever they stand (a LIST or fact chunk before them, a LIST chunk after
// the data). The data size is cut to what the file holds. Only uncompressed PCM is taken: 8-bit
// unsigned, 16-, 24- and 32-bit signed, and 32-bit float, plain or in the extensible format.
// Everything else, and any header that lies (no data chunk, a frame size that does not match
// the channels, a rate of zero), is refused.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QFile;

enum class WavSampleKind { Unsigned8, Signed16, Signed24, Signed32, Float32 };

struct WavFormat {
    uint16_t formatTag = 0;  // 1 PCM, 3 float, 0xFFFE extensible
    uint16_t channels = 0;
    uint32_t sampleRate = 0; // frames per second
    uint16_t blockAlign = 0; // bytes per frame (every channel's sample)
    uint16_t bitsPerSample = 0;
    WavSampleKind kind = WavSampleKind::Signed16;
    int64_t dataOffset = 0; // file position of the first sample
    int64_t dataSize = 0;   // bytes of samples, never past the end of the file

    int BytesPerSample() const { return blockAlign / channels; }
    int64_t FrameCount() const { return blockAlign ? dataSize / blockAlign : 0; }
};

// The limits a header must keep to be read.
inline constexpr uint32_t kWavMinRate = 1000;
inline constexpr uint32_t kWavMaxRate = 1000000;
inline constexpr uint16_t kWavMaxChannels = 64;

// Reads up to len bytes at offset into buf; returns the number read (fewer at the end of the
// file, -1 on a read error). Offsets asked for only ever grow.
using WavReadAt = std::function<int64_t(int64_t offset, char* buf, int64_t len)>;

// The format of a file of fileSize bytes, or nothing when it is not a WAV file this program
// reads; why (for tests and logs) says what was wrong.
std::optional<WavFormat> ParseWavHeader(const WavReadAt& readAt, int64_t fileSize, QString* why = nullptr);
// The same over bytes held in memory (the whole file, or as much of it as there is).
std::optional<WavFormat> ParseWavHeader(const QByteArray& bytes, QString* why = nullptr);
// The same over an open file; reads only forward from where the walk stands.
std::optional<WavFormat> ParseWavFile(QFile& file, QString* why = nullptr);
