// The WAV header walk: files as other tools write them, and headers that lie.
#include "waveform/wav_builder.h"
#include "waveform/wavfile.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <cstring>

using namespace wavtest;

namespace {

const QByteArray kData = QByteArray(4000, '\x11');

struct GoodCase {
    const char* name;
    QByteArray file;
    WavSampleKind kind;
    int channels;
    int64_t dataOffset;
    int64_t dataSize;
};

TEST(WavHeaderTest, FindsTheSamplesWhereverTheChunksStand) {
    const QByteArray fmt16 = Chunk("fmt ", FmtBody({}));
    const QByteArray list = Chunk("LIST", QByteArray("INFOISFT\x05\0\0\0Lavf\0", 17)); // odd: padded
    Fmt ext;
    ext.tag = 0xFFFE;
    ext.subTag = 1;
    Fmt extFloat = ext;
    extFloat.subTag = 3;
    extFloat.bits = 32;
    Fmt flt;
    flt.tag = 3;
    flt.bits = 32;
    Fmt mono8;
    mono8.channels = 1;
    mono8.bits = 8;
    Fmt s24;
    s24.bits = 24;
    Fmt bigFmt; // an 18-byte fmt chunk (cbSize 0), as some encoders write
    QByteArray fmt18 = FmtBody(bigFmt) + QByteArray(2, '\0');

    const GoodCase cases[] = {
        {"plain 44-byte header", Wav({}, kData), WavSampleKind::Signed16, 2, 44, 4000},
        {"LIST before the data", Riff(fmt16 + list + Chunk("data", kData)), WavSampleKind::Signed16, 2,
         12 + 24 + 26 + 8, 4000},
        {"LIST after the data", Riff(fmt16 + Chunk("data", kData) + list), WavSampleKind::Signed16, 2, 44, 4000},
        {"fmt after the data", Riff(Chunk("data", kData) + fmt16), WavSampleKind::Signed16, 2, 20, 4000},
        {"18-byte fmt", Riff(Chunk("fmt ", fmt18) + Chunk("data", kData)), WavSampleKind::Signed16, 2, 46, 4000},
        {"size left open by a stream", Riff(fmt16 + Chunk("data", kData, 0xFFFFFFFF)), WavSampleKind::Signed16, 2,
         44, 4000},
        {"size larger than the file", Riff(fmt16 + Chunk("data", kData, 1000000)), WavSampleKind::Signed16, 2, 44,
         4000},
        {"half a frame at the end", Riff(fmt16 + Chunk("data", kData.left(3999))), WavSampleKind::Signed16, 2, 44,
         3996},
        {"extensible PCM", Wav(ext, kData), WavSampleKind::Signed16, 2, 68, 4000},
        {"extensible float", Wav(extFloat, kData), WavSampleKind::Float32, 2, 68, 4000},
        {"float", Wav(flt, kData), WavSampleKind::Float32, 2, 44, 4000},
        {"8-bit mono", Wav(mono8, kData), WavSampleKind::Unsigned8, 1, 44, 4000},
        {"24-bit", Wav(s24, kData.left(3996)), WavSampleKind::Signed24, 2, 44, 3996},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.name);
        QString why;
        const std::optional<WavFormat> f = ParseWavHeader(c.file, &why);
        ASSERT_TRUE(f) << why.toStdString();
        EXPECT_EQ(f->kind, c.kind);
        EXPECT_EQ(f->channels, c.channels);
        EXPECT_EQ(f->dataOffset, c.dataOffset);
        EXPECT_EQ(f->dataSize, c.dataSize);
        EXPECT_EQ(f->sampleRate, 44100u);
    }
}

TEST(WavHeaderTest, RefusesWhatItCannotRead) {
    const QByteArray fmt16 = Chunk("fmt ", FmtBody({}));
    Fmt adpcm;
    adpcm.tag = 2;
    adpcm.bits = 4;
    adpcm.blockAlign = 2048;
    Fmt mp3 = adpcm;
    mp3.tag = 0x55;
    Fmt bits12;
    bits12.bits = 12;
    bits12.blockAlign = 4;
    Fmt noChannels;
    noChannels.channels = 0;
    noChannels.blockAlign = 4;
    Fmt rate0;
    rate0.rate = 0;
    Fmt lyingAlign;
    lyingAlign.blockAlign = 3;
    Fmt extAdpcm;
    extAdpcm.tag = 0xFFFE;
    extAdpcm.subTag = 2;
    Fmt double64;
    double64.tag = 3;
    double64.bits = 64;
    QByteArray manyChunks = fmt16;
    for (int i = 0; i < 5000; ++i)
        manyChunks += Chunk("junk", QByteArray());
    manyChunks += Chunk("data", kData);
    QByteArray wrongRiff = Wav({}, kData);
    wrongRiff.replace(0, 4, "RIFX");
    QByteArray wrongWave = Wav({}, kData);
    wrongWave.replace(8, 4, "AVI ");

    const std::pair<const char*, QByteArray> cases[] = {
        {"empty", QByteArray()},
        {"text", QByteArray("hello, this is no sound at all")},
        {"big-endian RIFX", wrongRiff},
        {"not WAVE", wrongWave},
        {"no fmt", Riff(Chunk("data", kData))},
        {"no data", Riff(fmt16 + Chunk("LIST", "abcd"))},
        {"data chunk cut before its header", Riff(fmt16).append("da")},
        {"junk chunk pointing far beyond the end", Riff(fmt16 + Chunk("junk", "x", 0xFFFFFFF0))},
        {"thousands of empty chunks", Riff(manyChunks)},
        {"fmt chunk too short", Riff(Chunk("fmt ", FmtBody({}).left(14)) + Chunk("data", kData))},
        {"fmt chunk cut off by the end", Riff(Chunk("fmt ", QByteArray(), 16))},
        {"ADPCM", Wav(adpcm, kData)},
        {"MP3 in WAV", Wav(mp3, kData)},
        {"12-bit PCM", Wav(bits12, kData)},
        {"no channels", Wav(noChannels, kData)},
        {"rate 0", Wav(rate0, kData)},
        {"frame size that lies", Wav(lyingAlign, kData)},
        {"extensible ADPCM", Wav(extAdpcm, kData)},
        {"64-bit float", Wav(double64, kData)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        QString why;
        EXPECT_FALSE(ParseWavHeader(bytes, &why));
        EXPECT_FALSE(why.isEmpty());
    }
}

TEST(WavHeaderTest, WalksOnlyForward) {
    const QByteArray fmt16 = Chunk("fmt ", FmtBody({}));
    for (const QByteArray& file :
         {Riff(Chunk("data", kData) + Chunk("LIST", "abc") + fmt16), Riff(fmt16 + Chunk("data", kData))}) {
        int64_t last = -1;
        bool backwards = false;
        const WavReadAt readAt = [&](int64_t offset, char* buf, int64_t len) -> int64_t {
            backwards |= offset < last;
            last = offset;
            const int64_t n = std::clamp<int64_t>(file.size() - offset, 0, len);
            std::memcpy(buf, file.constData() + offset, size_t(n));
            return n;
        };
        EXPECT_TRUE(ParseWavHeader(readAt, file.size()));
        EXPECT_FALSE(backwards);
    }
}

// Bounded randomised headers: whatever the bytes, the answer is quick and, when it is a
// format, one whose samples lie inside the file.
TEST(WavHeaderTest, RandomisedHeadersNeverPointOutsideTheFile) {
    QRandomGenerator rng(15);
    Fmt ext;
    ext.tag = 0xFFFE;
    ext.subTag = 1;
    const QByteArray seeds[] = {Wav({}, kData.left(64)), Wav(ext, kData.left(64)),
                                Riff(Chunk("LIST", "abcdef") + Chunk("fmt ", FmtBody({})) + Chunk("data", "12"))};
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        QByteArray b = seeds[i % 3];
        const int edits = 1 + int(rng.bounded(6));
        for (int e = 0; e < edits; ++e)
            b[int(rng.bounded(int(b.size())))] = char(rng.bounded(256));
        if (rng.bounded(4) == 0) b.truncate(int(rng.bounded(int(b.size()) + 1)));
        const std::optional<WavFormat> f = ParseWavHeader(b);
        if (!f) continue;
        ++accepted;
        ASSERT_GT(f->blockAlign, 0);
        ASSERT_GE(f->channels, 1);
        ASSERT_GE(f->sampleRate, kWavMinRate);
        ASSERT_GE(f->dataOffset, 12);
        ASSERT_GE(f->dataSize, 0);
        ASSERT_LE(f->dataOffset + f->dataSize, b.size());
        ASSERT_EQ(f->dataSize % f->blockAlign, 0);
    }
    // The edits leave many headers readable: the checks above did run.
    EXPECT_GT(accepted, 2000);
}

} // namespace
