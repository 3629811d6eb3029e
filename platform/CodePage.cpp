#include "platform/CodePage.h"

#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <iconv.h>

namespace {

// How one code page is converted: by name through Qt (ICU), or through glibc's iconv where
// ICU has no table for it. asciiSafe: bytes 0x00-0x7F are ASCII in both directions, so
// pure-ASCII text needs no converter at all.
struct CodePageInfo {
    int32_t number;
    const char* name;
    bool iconv;
    bool asciiSafe;
    // ICU's tables of the IBM-derived code pages (the DOS ones and windows-31j) swap three
    // control codes the IBM way: byte 0x1A is U+001C, 0x1C is U+007F and 0x7F is U+001A.
    // Windows keeps them as in ASCII, and so does the ASCII path here; the swap is undone.
    bool ibmControls = false;
    // glibc's Johab reads byte 0x5C as the won sign (U+20A9) and has no byte for "\"; Windows
    // keeps it as in ASCII, and so does the ASCII path here.
    bool wonIsBackslash = false;
};

constexpr CodePageInfo kCodePages[] = {
    {437, "IBM437", false, true, true},       {850, "ibm-850", false, true, true},
    {852, "ibm-852", false, true, true},      {866, "ibm-866", false, true, true},
    {874, "windows-874", false, true},        {932, "windows-31j", false, true, true},
    {936, "windows-936", false, true},        {949, "windows-949", false, true},
    {950, "windows-950", false, true},        {1200, "UTF-16LE", false, false},
    {1201, "UTF-16BE", false, false},         {1250, "windows-1250", false, true},
    {1251, "windows-1251", false, true},      {1252, "windows-1252", false, true},
    {1253, "windows-1253", false, true},      {1254, "windows-1254", false, true},
    {1255, "windows-1255", false, true},      {1256, "windows-1256", false, true},
    {1257, "windows-1257", false, true},      {1258, "windows-1258", false, true},
    {1361, "JOHAB", true, true, false, true}, {10000, "macintosh", false, true},
    {20127, "US-ASCII", false, true},         {20866, "KOI8-R", false, true},
    {21866, "KOI8-U", false, true},           {28591, "ISO-8859-1", false, true},
    {28592, "ISO-8859-2", false, true},       {28593, "ISO-8859-3", false, true},
    {28594, "ISO-8859-4", false, true},       {28595, "ISO-8859-5", false, true},
    {28596, "ISO-8859-6", false, true},       {28597, "ISO-8859-7", false, true},
    {28598, "ISO-8859-8", false, true},       {28599, "ISO-8859-9", false, true},
    {28603, "ISO-8859-13", false, true},      {28605, "ISO-8859-15", false, true},
    {51932, "EUC-JP", false, true},           {51949, "EUC-KR", false, true},
    {54936, "GB18030", false, true},          {65001, "UTF-8", false, true},
};

// The IBM swap of 0x1A, 0x1C and 0x7F: what ICU reads into what the byte means (FromIbm), and
// the characters handed to ICU so that it writes the byte that means them (ToIbm).
void FromIbmControls(QString& text) {
    for (QChar& c : text) {
        switch (c.unicode()) {
        case 0x1C:
            c = QChar(0x1A);
            break;
        case 0x7F:
            c = QChar(0x1C);
            break;
        case 0x1A:
            c = QChar(0x7F);
            break;
        default:
            break;
        }
    }
}

QString ToIbmControls(QStringView text) {
    QString out = text.toString();
    for (QChar& c : out) {
        switch (c.unicode()) {
        case 0x1A:
            c = QChar(0x1C);
            break;
        case 0x1C:
            c = QChar(0x7F);
            break;
        case 0x7F:
            c = QChar(0x1A);
            break;
        default:
            break;
        }
    }
    return out;
}

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

// Encodes one character (a code point, possibly two UTF-16 units), or nothing when the code
// page cannot hold it. The check is a round trip: a converter's fallback that maps a character
// to a different one (and its substitution byte for unmappable ones) is not a mapping.
QByteArray EncodeOne(QStringView ch, const char* name) {
    QStringEncoder encoder(name, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(ch);
    if (encoder.hasError() || bytes.isEmpty()) return QByteArray();
    QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
    const QString back = decoder(bytes);
    if (decoder.hasError() || back != ch) return QByteArray();
    return bytes;
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
    if (cp->asciiSafe && IsAscii(bytes)) return QString::fromLatin1(bytes);
    if (cp->iconv) {
        QString text = IconvDecode(bytes, cp->name);
        if (cp->wonIsBackslash) text.replace(QChar(0x20A9), QLatin1Char('\\'));
        return text;
    }
    QStringDecoder decoder(cp->name, QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) return QString();
    QString text = decoder(bytes);
    if (cp->ibmControls) FromIbmControls(text);
    return text;
}

bool EncodesAsItsAscii(QStringView text, int32_t codePage) {
    const CodePageInfo* cp = FindCodePage(ResolveCodePage(codePage));
    return cp && cp->asciiSafe && !text.isEmpty() && IsAscii(text);
}

QByteArray EncodeCodePage(QStringView text, int32_t codePage) {
    const CodePageInfo* cp = FindCodePage(ResolveCodePage(codePage));
    if (!cp || text.isEmpty()) return QByteArray();
    if (cp->asciiSafe && IsAscii(text)) return text.toLatin1();
    if (cp->iconv) {
        // The common case: everything converted and reads back as the same text.
        const QByteArray whole = IconvEncode(text, cp->name);
        if (DecodeCodePage(whole, cp->number) == text) return whole;
    } else {
        QStringEncoder encoder(cp->name, QStringConverter::Flag::Stateless);
        if (!encoder.isValid()) return QByteArray();
        const QString icuText = cp->ibmControls ? ToIbmControls(text) : QString();
        const QStringView icuView = cp->ibmControls ? QStringView(icuText) : text;
        QByteArray whole = encoder(icuView);
        // The common case: everything converted and decodes back to the same text.
        if (!encoder.hasError()) {
            QStringDecoder decoder(cp->name, QStringConverter::Flag::Stateless);
            const QString back = decoder(whole);
            if (back == icuView && !decoder.hasError()) return whole;
        }
    }
    // Some character has no place in the code page: convert one character at a time so that
    // exactly those become "?".
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        const QStringView ch = text.mid(i, len);
        if (ch.size() == 1 && ch[0].unicode() < 0x80 && cp->asciiSafe) {
            out.append(char(ch[0].unicode()));
        } else {
            QByteArray bytes;
            if (!cp->iconv)
                bytes = EncodeOne(ch, cp->name);
            else if (const QByteArray one = IconvEncode(ch, cp->name); DecodeCodePage(one, cp->number) == ch)
                bytes = one;
            if (bytes.isEmpty())
                out.append('?');
            else
                out.append(bytes);
        }
        i += len;
    }
    return out;
}
