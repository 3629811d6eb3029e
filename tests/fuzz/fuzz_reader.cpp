// The subtitle reader over any file: its bytes are opened as the open command opens them
// (encoding, detection, every format's grammar or template), and the captions read are saved in
// the format they were read in and read back: they come back the same.
#include "subtitle_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InitFormats();
    const fuzz::tOpened opened = fuzz::OpenBytes(fuzz::Bytes(data, size));
    fuzz::CheckRoundTrip(opened.id, opened.outcome.captions, opened.fps);
    return 0;
}
