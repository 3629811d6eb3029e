// The code page layer and the subtitle file encoding over any bytes. The first byte chooses the
// code page, the rest is the input:
//  - as bytes in that code page: decoded, encoded and decoded again, every character comes back
//    as itself or as "?" (never lost, never another one);
//  - as UTF-8 text: encoded in the code page, the same holds;
//  - as a subtitle file's text in an ANSI code page: the bytes the writer makes of it read back
//    as exactly that text, whatever the reader's encoding detection makes of them.
#include "fuzz_support.h"

#include "formats/detect.h"
#include "formats/encodings.h"
#include "formats/writer.h"
#include "platform/CodePage.h"

#include <algorithm>

namespace {

// Code pages a subtitle file may be read or written in.
constexpr int32_t kCodePages[] = {437,   850,   852,   866,   874,   932,   936,   949,   950,
                                  1200,  1201,  1250,  1251,  1252,  1253,  1254,  1255,  1256,
                                  1257,  1258,  1361,  10000, 20127, 20866, 21866, 28591, 28592,
                                  28595, 28597, 28599, 28605, 51932, 51949, 54936, 65001};
// The ones the program takes as a system ANSI code page.
constexpr int32_t kAnsiCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                                      1252, 1253, 1254, 1255, 1256, 1257, 1258};

// The text's UTF-16 units in hexadecimal, for failure messages.
QString Units(const QString& s) {
    QString out;
    for (const QChar c : s)
        out += QStringLiteral("%1 ").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return out;
}

// The code points of a text; a lone surrogate counts as one.
std::vector<char32_t> CodePoints(const QString& s) {
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(s[i], s[i + 1]));
            ++i;
        } else {
            out.push_back(s[i].unicode());
        }
    }
    return out;
}

// After a trip through the code page, every character is itself or "?".
void CheckEncoded(const QString& before, int32_t cp) {
    const QByteArray bytes = EncodeCodePage(before, cp);
    const QString after = DecodeCodePage(bytes, cp);
    const std::vector<char32_t> a = CodePoints(before), b = CodePoints(after);
    const QString detail =
        QStringLiteral("code page %1\n before: %2\n after:  %3").arg(cp).arg(Units(before), Units(after));
    fuzz::Check(a.size() == b.size(), "a trip through the code page changed the number of characters",
                detail);
    for (size_t i = 0; i < a.size(); ++i)
        fuzz::Check(a[i] == b[i] || b[i] == U'?', "a trip through the code page changed a character", detail);
    if (EncodesAsItsAscii(before, cp))
        fuzz::Check(bytes == before.toLatin1(), "ASCII text was not written as itself", detail);
    // The Windows-style wrapper stops at the first zero byte.
    const qsizetype zero = bytes.indexOf('\0');
    fuzz::Check(MultiByteToString(bytes, cp, 0) == DecodeCodePage(zero < 0 ? bytes : bytes.left(zero), cp),
                "the wrapper decodes differently");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    if (size < 1) return 0;
    const int32_t cp = kCodePages[data[0] % std::size(kCodePages)];
    if (!IsCodePageAvailable(cp)) return 0;
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);

    const QString decoded = DecodeCodePage(bytes, cp);
    // In a code page of one byte a character, every byte is one.
    constexpr int32_t kMultiByte[] = {932, 936, 949, 950, 1200, 1201, 1361, 51932, 51949, 54936, 65001};
    if (std::find(std::begin(kMultiByte), std::end(kMultiByte), cp) == std::end(kMultiByte))
        fuzz::Check(decoded.size() == bytes.size(), "a byte did not decode to one character");
    else
        fuzz::Check(!bytes.isEmpty() || decoded.isEmpty(), "no bytes decoded to some text");
    CheckEncoded(decoded, cp);
    const QString text = QString::fromUtf8(bytes);
    CheckEncoded(text, cp);

    // A file's text written and read in an ANSI code page.
    const int32_t ansi = kAnsiCodePages[data[0] % std::size(kAnsiCodePages)];
    for (const QString& t : {text, decoded}) {
        const QByteArray file = EncodeSubtitleText(t, ansi);
        const QString back = DecodeFileText(file, DetectTextEncoding(file), ansi);
        // Half a surrogate pair (a UTF-16 text can hold one) is no character: no code page holds
        // it, and in UTF-8 it is written as "?".
        QString expected = t;
        const std::vector<char32_t> points = CodePoints(t);
        if (std::any_of(points.begin(), points.end(),
                        [](char32_t c) { return c >= 0xD800 && c <= 0xDFFF; })) {
            expected.clear();
            for (const char32_t c : points)
                expected += (c >= 0xD800 && c <= 0xDFFF) ? QStringView(u"?") : QStringView(QChar::fromUcs4(c));
        }
        fuzz::Check(back == expected, "a file's text does not read back as written",
                    QStringLiteral("code page %1\n text: %2\n file: %3\n read: %4\n want: %5")
                        .arg(ansi)
                        .arg(Units(t), QString::fromLatin1(file.toHex(' ')), Units(back), Units(expected)));
    }
    return 0;
}
