#include "platform/CodePage.h"

#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cerrno>
#include <iconv.h>
#include <iterator>
#include <mutex>

namespace {

// How one code page is converted: by name through Qt (ICU), or through glibc's iconv where
// ICU has no table for it.
struct CodePageInfo {
    int32_t number;
    const char* name;
    bool iconv;
    // glibc's Johab reads byte 0x5C as the won sign (U+20A9) and has no byte for "\"; Windows
    // keeps it as in ASCII, and so does the converter here.
    bool wonIsBackslash = false;
};

constexpr CodePageInfo kCodePages[] = {
    {437, "IBM437", false},        {850, "ibm-850", false},       {852, "ibm-852", false},
    {866, "ibm-866", false},       {874, "windows-874", false},   {932, "windows-31j", false},
    {936, "windows-936", false},   {949, "windows-949", false},   {950, "windows-950", false},
    {1200, "UTF-16LE", false},     {1201, "UTF-16BE", false},     {1250, "windows-1250", false},
    {1251, "windows-1251", false}, {1252, "windows-1252", false}, {1253, "windows-1253", false},
    {1254, "windows-1254", false}, {1255, "windows-1255", false}, {1256, "windows-1256", false},
    {1257, "windows-1257", false}, {1258, "windows-1258", false}, {1361, "JOHAB", true, true},
    {10000, "macintosh", false},   {20127, "US-ASCII", false},    {20866, "KOI8-R", false},
    {21866, "KOI8-U", false},      {28591, "ISO-8859-1", false},  {28592, "ISO-8859-2", false},
    {28593, "ISO-8859-3", false},  {28594, "ISO-8859-4", false},  {28595, "ISO-8859-5", false},
    {28596, "ISO-8859-6", false},  {28597, "ISO-8859-7", false},  {28598, "ISO-8859-8", false},
    {28599, "ISO-8859-9", false},  {28603, "ISO-8859-13", false}, {28605, "ISO-8859-15", false},
    {51932, "EUC-JP", false},      {51949, "EUC-KR", false},      {54936, "GB18030", false},
    {65001, "UTF-8", false},
};
constexpr size_t kCodePageCount = std::size(kCodePages);

const CodePageInfo* FindCodePage(int32_t number) {
    for (const CodePageInfo& cp : kCodePages)
        if (cp.number == number) return &cp;
    return nullptr;
}

bool IsAscii(QStringView text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

bool IsAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// --- iconv, for the few code pages ICU has no table for ---

QString IconvDecode(QByteArrayView bytes, const char* name) {
    iconv_t cd = iconv_open("UTF-16LE", name);
    if (cd == iconv_t(-1)) return QString();
    QString out;
    out.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char16_t buffer[512];
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof(buffer);
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(QStringView(buffer, qsizetype((sizeof(buffer) - outLeft) / 2)));
        if (r == size_t(-1) && errno != E2BIG) {
            // An undefined or cut-off sequence: one byte becomes the replacement character.
            out.append(QChar::ReplacementCharacter);
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

QByteArray IconvEncode(QStringView text, const char* name) {
    iconv_t cd = iconv_open(name, "UTF-16LE");
    if (cd == iconv_t(-1)) return QByteArray();
    QByteArray out;
    out.reserve(text.size());
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, qsizetype(sizeof(buffer) - outLeft));
        if (r == size_t(-1) && errno != E2BIG) {
            // A character the code page lacks: "?" in its place (a surrogate pair is one character).
            const char16_t c = *reinterpret_cast<const char16_t*>(in);
            const size_t skip = (QChar::isHighSurrogate(c) && inLeft >= 4) ? 4 : 2;
            out.append('?');
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

bool IsControl(char16_t c) {
    return c < 0x20 || c == 0x7F;
}

// The converter alone, without the control-character fix-up: an empty text for an unusable
// code page.
QString ConverterDecode(const CodePageInfo& cp, QByteArrayView bytes) {
    if (cp.iconv) {
        QString text = IconvDecode(bytes, cp.name);
        if (cp.wonIsBackslash) text.replace(QChar(0x20A9), QLatin1Char('\\'));
        return text;
    }
    QStringDecoder decoder(cp.name, QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) return QString();
    return decoder(bytes);
}

QByteArray ConverterEncode(const CodePageInfo& cp, QStringView text) {
    if (cp.iconv) {
        if (!cp.wonIsBackslash) return IconvEncode(text, cp.name);
        // A won sign of the text comes out as "\" too, and so fails the caller's round trip.
        QString won = text.toString();
        won.replace(QLatin1Char('\\'), QChar(0x20A9));
        return IconvEncode(won, cp.name);
    }
    QStringEncoder encoder(cp.name, QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) return QByteArray();
    return encoder(text);
}

// What a code page makes of the bytes below 0x80, found out once by converting them.
// - keepsAscii: each is the ASCII character of its value, both ways, so that ASCII text needs
//   no converter (the fast path).
// - swapsControls: the converter's table exchanges a few control characters (ICU's tables of
//   the IBM PC code pages and of 932 read 1A, 1C and 7F as U+001C, U+007F and U+001A), where
//   Windows reads every ASCII byte as itself: the converter's results are put right, so that a
//   file reads the same whether or not one of its bytes is above 0x7F.
// A code page in which some byte below 0x80 is another character (Johab's 5C is the won sign)
// or whose characters take more than one byte (UTF-16) keeps no ASCII: every text goes through
// its converter.
struct AsciiRange {
    bool keepsAscii = false;
    bool swapsControls = false;
    char16_t toConverter[128] = {};   // the character the converter writes as this byte
    char16_t fromConverter[128] = {}; // the byte of a control character the converter read
};

AsciiRange ProbeAscii(const CodePageInfo& cp) {
    AsciiRange range;
    QByteArray bytes(128, '\0');
    for (int b = 0; b < 128; ++b)
        bytes[b] = char(b);
    const QString read = ConverterDecode(cp, bytes);
    if (read.size() != 128) return range;
    bool seen[128] = {};
    bool swapped = false;
    for (int b = 0; b < 128; ++b) {
        const char16_t c = read[b].unicode();
        if (c >= 0x80 || seen[c] || (c != b && !(IsControl(char16_t(b)) && IsControl(c)))) return range;
        seen[c] = true;
        swapped = swapped || c != b;
        range.toConverter[b] = c;
        range.fromConverter[c] = char16_t(b);
    }
    // The same table both ways: the converter writes each of those characters as its byte.
    if (ConverterEncode(cp, read) != bytes) return range;
    range.keepsAscii = true;
    range.swapsControls = swapped;
    return range;
}

const AsciiRange& AsciiRangeOf(const CodePageInfo& cp) {
    static std::array<AsciiRange, kCodePageCount> ranges;
    static std::array<std::once_flag, kCodePageCount> probed;
    const size_t k = size_t(&cp - kCodePages);
    std::call_once(probed[k], [&] { ranges[k] = ProbeAscii(cp); });
    return ranges[k];
}

} // namespace

int32_t AnsiCodePageForLocale(const QLocale& locale) {
    switch (locale.language()) {
    case QLocale::Albanian:
    case QLocale::Croatian:
    case QLocale::Czech:
    case QLocale::Hungarian:
    case QLocale::Polish:
    case QLocale::Romanian:
    case QLocale::Slovak:
    case QLocale::Slovenian:
    case QLocale::Bosnian:
        return 1250;
    case QLocale::Serbian:
        return locale.script() == QLocale::LatinScript ? 1250 : 1251;
    case QLocale::Belarusian:
    case QLocale::Bulgarian:
    case QLocale::Kazakh:
    case QLocale::Kyrgyz:
    case QLocale::Macedonian:
    case QLocale::Mongolian:
    case QLocale::Russian:
    case QLocale::Tatar:
    case QLocale::Ukrainian:
        return 1251;
    case QLocale::Uzbek:
        return locale.script() == QLocale::CyrillicScript ? 1251 : 1254;
    case QLocale::Azerbaijani:
        return locale.script() == QLocale::CyrillicScript ? 1251 : 1254;
    case QLocale::Greek:
        return 1253;
    case QLocale::Turkish:
        return 1254;
    case QLocale::Hebrew:
        return 1255;
    case QLocale::Arabic:
    case QLocale::Persian:
    case QLocale::Urdu:
        return 1256;
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian:
        return 1257;
    case QLocale::Vietnamese:
        return 1258;
    case QLocale::Thai:
        return 874;
    case QLocale::Japanese:
        return 932;
    case QLocale::Korean:
        return 949;
    case QLocale::Chinese:
        return locale.script() == QLocale::TraditionalHanScript ? 950 : 936;
    default:
        return 1252;
    }
}

int32_t SystemAnsiCodePage() {
    bool ok = false;
    const int32_t fromEnv = qEnvironmentVariableIntValue("SCRIVELLE_ANSI_CODEPAGE", &ok);
    if (ok && fromEnv > 0 && IsCodePageAvailable(fromEnv)) return fromEnv;
    // The default locale is the system one unless the program (or a test) set another.
    return AnsiCodePageForLocale(QLocale());
}

int32_t ResolveCodePage(int32_t codePage) {
    return (codePage == -1 || codePage == 0) ? SystemAnsiCodePage() : codePage;
}

bool IsCodePageAvailable(int32_t codePage) {
    const CodePageInfo* cp = FindCodePage(codePage);
    if (!cp) return false;
    if (cp->iconv) {
        iconv_t cd = iconv_open("UTF-16LE", cp->name);
        if (cd == iconv_t(-1)) return false;
        iconv_close(cd);
        return true;
    }
    return QStringDecoder(cp->name).isValid();
}

QString DecodeCodePage(QByteArrayView bytes, int32_t codePage) {
    const CodePageInfo* cp = FindCodePage(ResolveCodePage(codePage));
    if (!cp || bytes.isEmpty()) return QString();
    const AsciiRange& ascii = AsciiRangeOf(*cp);
    if (ascii.keepsAscii && IsAscii(bytes)) return QString::fromLatin1(bytes);
    QString text = ConverterDecode(*cp, bytes);
    if (ascii.swapsControls) {
        for (QChar& c : text)
            if (IsControl(c.unicode())) c = QChar(ascii.fromConverter[c.unicode()]);
    }
    return text;
}

bool KeepsAscii(int32_t codePage) {
    const CodePageInfo* cp = FindCodePage(ResolveCodePage(codePage));
    return cp && AsciiRangeOf(*cp).keepsAscii;
}

std::vector<int32_t> KnownCodePages() {
    std::vector<int32_t> numbers;
    for (const CodePageInfo& cp : kCodePages)
        numbers.push_back(cp.number);
    return numbers;
}

bool EncodesAsItsAscii(QStringView text, int32_t codePage) {
    return !text.isEmpty() && IsAscii(text) && KeepsAscii(codePage);
}

QByteArray EncodeCodePage(QStringView text, int32_t codePage) {
    const CodePageInfo* cp = FindCodePage(ResolveCodePage(codePage));
    if (!cp || text.isEmpty()) return QByteArray();
    const AsciiRange& ascii = AsciiRangeOf(*cp);
    if (ascii.keepsAscii && IsAscii(text)) return text.toLatin1();
    // The control characters as the converter's table has them.
    QString mapped;
    QStringView in = text;
    if (ascii.swapsControls) {
        mapped = text.toString();
        for (QChar& c : mapped)
            if (IsControl(c.unicode())) c = QChar(ascii.toConverter[c.unicode()]);
        in = mapped;
    }
    // The common case: everything converted and reads back as the same text.
    const QByteArray whole = ConverterEncode(*cp, in);
    if (!whole.isEmpty() && ConverterDecode(*cp, whole) == in) return whole;
    // Some character has no place in the code page: convert one character at a time so that
    // exactly those become "?".
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < in.size();) {
        const qsizetype len =
            (in[i].isHighSurrogate() && i + 1 < in.size() && in[i + 1].isLowSurrogate()) ? 2 : 1;
        const QStringView ch = in.mid(i, len);
        if (ch.size() == 1 && text[i].unicode() < 0x80 && ascii.keepsAscii) {
            out.append(char(text[i].unicode()));
        } else if (const QByteArray one = ConverterEncode(*cp, ch);
                   !one.isEmpty() && ConverterDecode(*cp, one) == ch) {
            out.append(one);
        } else {
            out.append('?');
        }
        i += len;
    }
    return out;
}
