#include "formats/writer.h"
#include "platform/CodePage.h"

// A file in the ANSI code page can hold only that code page's characters; any other would be
// written as "?" and be gone. Text that fits keeps exactly the bytes it always had; text that
// does not is written whole as UTF-8 behind a byte-order mark, which the reader tells apart.
QByteArray EncodeSubtitleText(const QString& text, int32_t codePage) {
    // Plain ASCII needs neither a converter nor the check that reads the bytes back.
    if (EncodesAsItsAscii(text, codePage)) return text.toLatin1();
    const QByteArray bytes = EncodeCodePage(text, codePage);
    if (DecodeCodePage(bytes, codePage) == text) return bytes;
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}
