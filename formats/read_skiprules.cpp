// Formats read through their template that have lines of their own to pass over.
#include "formats/readerpaths.h"

// MicroDVD: "{1}{1}" lines carry the frame rate, not a caption.
bool PrepareMicroDvdLine(tCaptionReader&, QStringView line) {
    return !line.startsWith(QLatin1String("{1}{1}"));
}

// Ulead DVD Workshop: the closing marker ends the last caption like a blank line.
bool PrepareUleadLine(tCaptionReader&, QStringView line) {
    return line != QLatin1String("#Subtitle text end");
}
