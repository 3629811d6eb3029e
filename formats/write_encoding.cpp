#include "formats/detect.h"
#include "formats/writer.h"
#include "platform/CodePage.h"

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
