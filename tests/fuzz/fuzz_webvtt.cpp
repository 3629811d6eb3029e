// The WebVTT reader over any file, whatever detection would make of it: what it reads is saved as
// WebVTT and read back the same.
#include "subtitle_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InitFormats();
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString text = DecodeFileText(bytes, DetectTextEncoding(bytes));
    const QString id = QStringLiteral("WEBVTT");
    const tReadOutcome outcome = fuzz::ReadAs(id, text, false);
    fuzz::CheckRoundTrip(id, outcome.captions, 0.0f);
    return 0;
}
