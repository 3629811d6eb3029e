// The WAV header reader and the peak scanner over any bytes. A header the reader takes must
// describe samples that lie within the file; the same bytes read from a file give the same
// answer as from memory; and the peaks do not depend on how the samples are handed over.
#include "fuzz_support.h"

#include "waveform/wavepeaks.h"

#include <QFile>

#include <algorithm>

namespace {

bool Same(const WavFormat& a, const WavFormat& b) {
    return a.formatTag == b.formatTag && a.channels == b.channels && a.sampleRate == b.sampleRate &&
           a.blockAlign == b.blockAlign && a.bitsPerSample == b.bitsPerSample && a.kind == b.kind &&
           a.dataOffset == b.dataOffset && a.dataSize == b.dataSize;
}

// The peaks of every block, the frames fed in pieces of `step` frames (0: all at once).
std::vector<int16_t> Peaks(const WavFormat& fmt, const unsigned char* data, int64_t frames, int64_t step) {
    const int64_t blocks = WaveBlockCount(frames, fmt.sampleRate);
    PeakScanner scanner(fmt, 0, blocks);
    std::vector<int16_t> out;
    int64_t done = 0;
    while (done < frames && !scanner.Done()) {
        const int64_t n = step > 0 ? std::min(step, frames - done) : frames - done;
        const int64_t used = scanner.Feed(data + done * fmt.blockAlign, n, out);
        fuzz::Check(used >= 0 && used <= n, "the scanner used frames it was not given");
        if (used == 0) break;
        done += used;
    }
    scanner.Finish(out);
    fuzz::Check(out.size() == size_t(2 * blocks), "not two peaks per block",
                QStringLiteral("%1 values for %2 blocks").arg(out.size()).arg(blocks));
    for (size_t i = 0; i + 1 < out.size(); i += 2)
        fuzz::Check(out[i] >= out[i + 1], "a block's highest value lies below its lowest");
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    const QByteArray bytes = fuzz::Bytes(data, size);
    QString why;
    const std::optional<WavFormat> fmt = ParseWavHeader(bytes, &why);

    // The same bytes as a file on disk.
    const QString path = fuzz::ScratchDir() + QStringLiteral("/input.wav");
    fuzz::WriteFile(path, bytes);
    QFile file(path);
    fuzz::Check(file.open(QIODevice::ReadOnly), "cannot open the scratch file");
    const std::optional<WavFormat> fromFile = ParseWavFile(file);
    fuzz::Check(fmt.has_value() == fromFile.has_value() && (!fmt || Same(*fmt, *fromFile)),
                "the file and the bytes in memory read differently");

    if (!fmt) {
        fuzz::Check(!why.isEmpty(), "a refused header without a reason");
        return 0;
    }
    fuzz::Check(fmt->channels >= 1 && fmt->channels <= kWavMaxChannels, "channel count out of range");
    fuzz::Check(fmt->sampleRate >= kWavMinRate && fmt->sampleRate <= kWavMaxRate, "rate out of range");
    fuzz::Check(fmt->blockAlign == fmt->channels * fmt->BytesPerSample() && fmt->BytesPerSample() >= 1 &&
                    fmt->BytesPerSample() <= 4,
                "frame size does not match the channels");
    fuzz::Check(fmt->dataOffset >= 12 && fmt->dataSize >= 0 &&
                    fmt->dataOffset + fmt->dataSize <= int64_t(size),
                "the samples lie outside the file");
    fuzz::Check(fmt->dataSize % fmt->blockAlign == 0, "the data holds part of a frame");

    const auto* samples = reinterpret_cast<const unsigned char*>(bytes.constData()) + fmt->dataOffset;
    const int64_t frames = fmt->FrameCount();
    const std::vector<int16_t> whole = Peaks(*fmt, samples, frames, 0);
    // Pieces of a size the input chooses, as a loader reading in buffers hands them over.
    const int64_t step = 1 + (size ? data[size - 1] % 97 : 0);
    fuzz::Check(Peaks(*fmt, samples, frames, step) == whole, "the peaks depend on how frames are fed");
    return 0;
}
