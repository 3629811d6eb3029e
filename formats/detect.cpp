#include "formats/detect.h"

#include "base/processstate.h"
#include "formats/formatdefs.h"
#include "formats/reader.h"
#include "formats/textops.h"
#include "platform/CodePage.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

bool gTimedSample = false;

qsizetype WidenLine(QByteArrayView bytes, qsizetype from, std::vector<char16_t>& line) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    const auto room = [&line](qsizetype need) {
        if (size_t(need) > line.size()) line.resize(std::max(size_t(need), line.size() * 2));
    };
    qsizetype i = from;
#ifdef __SSE2__
    // Sixteen bytes at a time: widened whole, the line end looked for among them.
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int ends = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        room(i - from + 16);
        char16_t* d = line.data() + (i - from);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v, zero));
        if (ends != 0) return i + __builtin_ctz(unsigned(ends));
    }
#endif
    room(n - from);
    for (; i < n; ++i) {
        const unsigned char c = p[i];
        if (c == '\n' || c == '\r') return i;
        line[size_t(i - from)] = c;
    }
    return n;
}

namespace {

void ResetDetectState() {
    gTimedSample = false;
}
SCRIVELLE_REGISTER_RESET(ResetDetectState);

constexpr int kSampleLines = 250;

// Valid UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) that holds at least
// one multi-byte sequence. Plain ASCII is not "UTF-8" here: it reads the same either way.
bool IsMultiByteUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    bool multi = false;
    qsizetype i = 0;
    while (i < n) {
        // Thirty-two ASCII bytes at a time through long runs, then eight.
        if (i + 32 <= n) {
            uint64_t w[4];
            std::memcpy(w, p + i, sizeof w);
            if (((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ULL) == 0) {
                i += 32;
                continue;
            }
        }
        if (i + 8 <= n) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        uint32_t min;
        uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, min = 0x80, code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, min = 0x800, code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n) return false;
            const unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80) return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        multi = true;
        i += extra + 1;
    }
    return multi;
}

} // namespace

bool IsAsciiBytes(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    // Thirty-two bytes at a time: the whole file is looked at before it is decoded.
    for (; i + 32 <= n; i += 32) {
        uint64_t w[4];
        std::memcpy(w, p + i, sizeof w);
        if (((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ULL) != 0) return false;
    }
    for (; i < n; ++i)
        if (p[i] >= 0x80) return false;
    return true;
}

namespace {

QString DecodeUtf16(QByteArrayView bytes, bool bigEndian) {
    QString out;
    const qsizetype units = bytes.size() / 2;
    out.resize(units);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < units; ++i)
        d[i] = bigEndian ? char16_t(p[2 * i] << 8 | p[2 * i + 1]) : char16_t(p[2 * i + 1] << 8 | p[2 * i]);
    return out;
}

// The mask of a time pattern: its fields as zeros.
QString PatternMask(const QString& pattern) {
    QString mask = pattern;
    for (const char16_t field : {u'h', u'm', u's', u'z'})
        mask.replace(QChar(field), QChar(u'0'));
    return ReplaceText(mask, u"ff", u"00");
}

enum MatchMode { kTimed, kUntimed, kMarked };

bool Matches(const QString& sample, const QString& shortSample, MatchMode mode) {
    const tFormatDef& def = gFormatDef;
    const bool untimedFormat = def.TimeMask == QLatin1String("0");
    switch (mode) {
    case kTimed:
        return !untimedFormat && sample.contains(def.Sample, Qt::CaseInsensitive);
    case kUntimed:
        return untimedFormat && shortSample.contains(def.Sample, Qt::CaseInsensitive);
    case kMarked:
        return !untimedFormat && !def.Sample.contains(def.TimeMask, Qt::CaseInsensitive) &&
               sample.contains(def.Sample, Qt::CaseInsensitive);
    }
    return false;
}

// The first format (in list order) that matches; its definition stays loaded, with the
// second time pattern applied where that is what matched. 0 when none does.
int SecondPass(const QString& sample, const QString& shortSample, MatchMode mode) {
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString& id = gFormatIds[i];
        if (!LoadFormatDefinition(id, false, false) || !IsReadableDefinition(gFormatDef)) continue;
        if (Matches(sample, shortSample, mode)) return i;
        // Second time patterns (SubRip with decimal points, with one-digit hours), separated
        // by "|": the sample's time fields are swapped for each pattern's and the test runs
        // again.
        const QString rss = ReadFormatIni(id, QStringLiteral("timecoderss"));
        if (rss.isEmpty() || mode == kMarked) continue;
        const tFormatDef loaded = gFormatDef;
        for (const QString& pattern : rss.split(u'|', Qt::SkipEmptyParts)) {
            const QString mask = PatternMask(pattern);
            gFormatDef = loaded;
            gFormatDef.Timecode = pattern;
            gFormatDef.Sample = ReplaceText(loaded.Sample, loaded.TimeMask, mask);
            gFormatDef.TimeMask = mask;
            if (Matches(sample, shortSample, mode)) return i;
        }
        gFormatDef = loaded;
    }
    return 0;
}

// Reloads the definition as one of the look-alike formats. The move happens only when that
// format is in the list and its definition is good; otherwise the first match stays, with its
// own definition.
void MoveTo(tDetection& found, const QString& id) {
    const int index = int(gFormatIds.indexOf(id));
    if (index < 1 || index > gFormatMax) return;
    const tFormatDef before = gFormatDef;
    if (LoadFormatDefinition(id, false, false) && IsReadableDefinition(gFormatDef)) {
        found.index = index;
    } else {
        gFormatDef = before;
    }
}

} // namespace

tTextEncoding DetectTextEncoding(QByteArrayView bytes, bool utf16Retry) {
    const auto b = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
    if (b(0) == 0xFF && b(1) == 0xFE) return tTextEncoding::Utf16LE;
    if (b(0) == 0xFE && b(1) == 0xFF) return tTextEncoding::Utf16BE;
    if (b(0) == 0xEF && b(1) == 0xBB) return tTextEncoding::Utf8;
    if (utf16Retry) return tTextEncoding::Utf16LE;
    return IsMultiByteUtf8(bytes) ? tTextEncoding::Utf8 : tTextEncoding::Ansi;
}

QString DecodeFileText(QByteArrayView bytes, tTextEncoding encoding, int32_t codePage) {
    const auto b = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
    QString text;
    switch (encoding) {
    case tTextEncoding::Utf16LE:
        text = DecodeUtf16(b(0) == 0xFF && b(1) == 0xFE ? bytes.sliced(2) : bytes, false);
        break;
    case tTextEncoding::Utf16BE:
        text = DecodeUtf16(b(0) == 0xFE && b(1) == 0xFF ? bytes.sliced(2) : bytes, true);
        break;
    case tTextEncoding::Utf8:
        text = QString::fromUtf8(bytes);
        break;
    case tTextEncoding::Ansi:
        // Every ANSI code page keeps ASCII as it is; the fast path matters for large files.
        text = IsAsciiBytes(bytes) ? QString::fromLatin1(bytes) : DecodeCodePage(bytes, codePage);
        break;
    }
    // The byte-order mark is not text.
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

QStringView TrimLine(QStringView line) {
    qsizetype a = 0, e = line.size();
    while (a < e && (line[a] == u' ' || line[a] == u'\t'))
        ++a;
    while (e > a && (line[e - 1] == u' ' || line[e - 1] == u'\t'))
        --e;
    return line.mid(a, e - a);
}

// A section of encoded fonts or pictures that SubStation Alpha files embed: it can run to
// thousands of lines before the captions and tells nothing about the format.
bool IsEmbeddedDataSection(QStringView line) {
    return line.compare(QLatin1String("[Fonts]"), Qt::CaseInsensitive) == 0 ||
           line.compare(QLatin1String("[Graphics]"), Qt::CaseInsensitive) == 0;
}

QString FileSample(QStringView text) {
    return FileSample(tFileText(text));
}

QString FileSample(const tFileText& text) {
    QString sample;
    int lines = 0;
    bool inData = false;
    text.ForEachLine([&](QStringView raw) {
        const QStringView line = TrimLine(raw);
        if (inData) {
            if (!line.startsWith(u'[') || !line.endsWith(u']')) return true;
            inData = false;
        }
        if (IsEmbeddedDataSection(line)) {
            inData = true;
            return true;
        }
        sample += QLatin1String("\r\n");
        sample += line;
        return ++lines < kSampleLines;
    });
    for (QChar& c : sample)
        if (c >= u'1' && c <= u'9') c = u'0';
    return sample.toUpper();
}

QString FileSampleShort(const QString& sample) {
    QString shortSample = sample;
    for (int pass = 0; pass < 3; ++pass)
        shortSample = ReplaceText(shortSample, u"000", u"00");
    return shortSample;
}

tDetection DetectFormat(QStringView text) {
    return DetectFormat(tFileText(text));
}

tDetection DetectFormat(const tFileText& text) {
    tDetection found;
    const QString sample = FileSample(text);
    const QString shortSample = FileSampleShort(sample);

    // First pass: does the file hold any format's time pattern?
    gTimedSample = false;
    for (int i = 1; i <= gFormatMax; ++i) {
        LoadFormatDefinition(gFormatIds[i], false, true);
        if (gFormatDef.TimeMask != QLatin1String("0") &&
            sample.contains(gFormatDef.TimeMask, Qt::CaseInsensitive)) {
            gTimedSample = true;
            break;
        }
    }
    found.timedSample = gTimedSample;

    // Second pass: the first format whose sample occurs, in list order. A file whose captions
    // hold a time-like text ("leaves at 10:30:00") may be of a format without a time pattern:
    // when nothing matches as timed, the untimed test runs too; and a format that is known by
    // a mark of its own rather than by its time lines ("WEBVTT", a TTML namespace) is known by
    // that mark whatever its times look like.
    const bool timed = gTimedSample;
    found.index = SecondPass(sample, shortSample, timed ? kTimed : kUntimed);
    if (found.index == 0 && timed) {
        found.index = SecondPass(sample, shortSample, kUntimed);
        if (found.index != 0) found.timedSample = gTimedSample = false;
    }
    if (found.index == 0) {
        found.index = SecondPass(sample, shortSample, kMarked);
        if (found.index != 0)
            found.timedSample = gTimedSample = sample.contains(gFormatDef.TimeMask, Qt::CaseInsensitive);
    }
    if (found.index == 0) return found;

    // Look-alikes: the same time lines with a header of their own, or another line break.
    if (gFormatIds[found.index] == QLatin1String("ADOBEENCORE")) {
        if (sample.contains(QLatin1String("#INPOINT OUTPOINT PATH"), Qt::CaseInsensitive))
            MoveTo(found, QStringLiteral("PINNACLEIMP"));
        if (sample.contains(QLatin1String("//"))) MoveTo(found, QStringLiteral("DVDSUBSYSTEM"));
    }
    if (gFormatIds[found.index] == QLatin1String("MACDVDPRO") &&
        sample.contains(QLatin1String("SP_NUMBER"), Qt::CaseInsensitive))
        MoveTo(found, QStringLiteral("SPRUCEDVDMAESTRO"));
    return found;
}
