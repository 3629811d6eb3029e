#pragma once
// WAV files laid out the way other tools write them, and the ways hostile ones lie.
#include <QByteArray>

#include <cstdint>
#include <vector>

namespace wavtest {

inline void Put16(QByteArray& b, uint32_t v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
inline void Put32(QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// One chunk with its pad byte.
inline QByteArray Chunk(const char* id, const QByteArray& body, int64_t statedSize = -1) {
    QByteArray c(id, 4);
    Put32(c, uint32_t(statedSize >= 0 ? statedSize : body.size()));
    c += body;
    if (body.size() % 2) c.append('\0');
    return c;
}

struct Fmt {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    int blockAlign = -1;   // -1: channels * bits / 8
    uint16_t subTag = 0;   // extensible: the sub-format's tag
};

inline QByteArray FmtBody(const Fmt& f) {
    const uint16_t align = uint16_t(f.blockAlign >= 0 ? f.blockAlign : f.channels * f.bits / 8);
    QByteArray b;
    Put16(b, f.tag);
    Put16(b, f.channels);
    Put32(b, f.rate);
    Put32(b, f.rate * align);
    Put16(b, align);
    Put16(b, f.bits);
    if (f.tag == 0xFFFE) {
        Put16(b, 22);
        Put16(b, f.bits);
        Put32(b, 3);
        Put16(b, f.subTag);
        b.append(QByteArray::fromHex("000000001000800000aa00389b71"));
    }
    return b;
}

// "RIFF" size "WAVE" followed by the chunks.
inline QByteArray Riff(const QByteArray& chunks) {
    QByteArray r("RIFF");
    Put32(r, uint32_t(chunks.size() + 4));
    r += "WAVE";
    r += chunks;
    return r;
}

// The plain 44-byte-header file.
inline QByteArray Wav(const Fmt& f, const QByteArray& data) {
    return Riff(Chunk("fmt ", FmtBody(f)) + Chunk("data", data));
}

// Interleaved 16-bit samples as bytes.
inline QByteArray Samples16(const std::vector<int16_t>& s) {
    return QByteArray(reinterpret_cast<const char*>(s.data()), qsizetype(s.size() * 2));
}

} // namespace wavtest
