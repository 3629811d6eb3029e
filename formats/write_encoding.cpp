#include "base/processstate.h"
#include "document/captions.h"
#include "formats/detect.h"
#include "formats/formatdefs.h"
#include "formats/writer.h"
#include "platform/CodePage.h"

tFileEncoding gSubEncoding;

namespace {

void ResetSubEncoding() {
    gSubEncoding = {};
}
SCRIVELLE_REGISTER_RESET(ResetSubEncoding);

QByteArray Utf16Bytes(const QString& text, bool bigEndian, bool mark) {
    QByteArray out;
    out.reserve((text.size() + 1) * 2);
    const auto put = [&](char16_t c) {
        const char high = char(c >> 8), low = char(c & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    if (mark) put(0xFEFF);
    for (const QChar c : text)
        put(c.unicode());
    return out;
}

// Whether the code page holds the text as it is, with bytes the reader takes for that code page.
bool HoldsAsItIs(const QString& text, int32_t codePage) {
    if (EncodesAsItsAscii(text, codePage)) return true;
    const QByteArray bytes = EncodeCodePage(text, codePage);
    return DecodeCodePage(bytes, codePage) == text && DetectTextEncoding(bytes) == tTextEncoding::Ansi;
}

} // namespace

// A file in the ANSI code page can hold only that code page's characters; any other would be
// written as "?" and be gone. Text that fits keeps exactly the bytes it always had; text that
// does not is written whole as UTF-8 behind a byte-order mark, which the reader tells apart.
// So is text whose code-page bytes the reader would take for Unicode: a file that begins with
// a byte-order mark ("ÿþ" in 1252 is FF FE), or one that is valid UTF-8 ("Ã©" in 1252 is the
// UTF-8 of "é").
QByteArray EncodeSubtitleText(const QString& text, int32_t codePage) {
    // Plain ASCII needs neither a converter nor the check that reads the bytes back.
    if (EncodesAsItsAscii(text, codePage)) return text.toLatin1();
    const QByteArray bytes = EncodeCodePage(text, codePage);
    if (DecodeCodePage(bytes, codePage) == text && DetectTextEncoding(bytes) == tTextEncoding::Ansi)
        return bytes;
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

tFileEncoding FileEncodingOf(QByteArrayView bytes, tTextEncoding as) {
    const auto b = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
    tFileEncoding encoding;
    encoding.kind = as;
    switch (as) {
    case tTextEncoding::Ansi:
        encoding.known = !IsAsciiBytes(bytes);
        encoding.codePage = ResolveCodePage(-1);
        break;
    case tTextEncoding::Utf8:
        encoding.known = true;
        encoding.mark = b(0) == 0xEF && b(1) == 0xBB;
        break;
    case tTextEncoding::Utf16LE:
        encoding.known = true;
        encoding.mark = b(0) == 0xFF && b(1) == 0xFE;
        break;
    case tTextEncoding::Utf16BE:
        encoding.known = true;
        encoding.mark = b(0) == 0xFE && b(1) == 0xFF;
        break;
    }
    return encoding;
}

std::optional<QByteArray> EncodeInFileEncoding(const QString& text, const tFileEncoding& encoding) {
    switch (encoding.kind) {
    case tTextEncoding::Ansi:
        if (!HoldsAsItIs(text, encoding.codePage)) return std::nullopt;
        return EncodesAsItsAscii(text, encoding.codePage) ? text.toLatin1()
                                                          : EncodeCodePage(text, encoding.codePage);
    case tTextEncoding::Utf8:
        return (encoding.mark ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
    case tTextEncoding::Utf16LE:
    case tTextEncoding::Utf16BE:
        return Utf16Bytes(text, encoding.kind == tTextEncoding::Utf16BE, encoding.mark);
    }
    return std::nullopt;
}

bool CanKeepFileEncoding(const QString& id) {
    const tFileEncoding& encoding = gSubEncoding;
    if (!encoding.known || encoding.kind == tTextEncoding::Utf8) return true;
    // A format whose files are UTF-8 by definition writes nothing else.
    if (ReadFormatIni(id, QStringLiteral("encoding"))
            .trimmed()
            .compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0)
        return false;
    if (encoding.kind != tTextEncoding::Ansi || !IsDocumentGrid()) return true;
    // The captions' texts together: what the format adds around them is its own, in ASCII.
    QString texts;
    for (int row = 1; row <= CaptionCount(); ++row) {
        const QString text = GetLineText(row);
        if (EncodesAsItsAscii(text, encoding.codePage)) continue;
        texts += text;
        texts += u'\n';
    }
    return texts.isEmpty() || HoldsAsItIs(texts, encoding.codePage);
}
