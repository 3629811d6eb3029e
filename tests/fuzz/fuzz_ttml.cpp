// The timed-text (TTML) reader over any file, whatever detection would make of it: the bytes are
// read as each of the timed-text formats of the catalogue, and what is read is saved in that
// format and read back the same.
#include "subtitle_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InitFormats();
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString text = DecodeFileText(bytes, DetectTextEncoding(bytes));
    for (const char* id : {"TTML", "DFXP", "SMPTETT", "EBUTTD"}) {
        const QString format = QString::fromLatin1(id);
        const tReadOutcome outcome = fuzz::ReadAs(format, text, false);
        fuzz::CheckRoundTrip(format, outcome.captions, 0.0f);
    }
    return 0;
}
