#include "formats/readerpaths.h"

// Spruce DVDMaestro and Sonic Scenarist: after the "SP_NUMBER" heading, every line of 28
// characters or more is "number<TAB>start<TAB>end<TAB>text", found from its first ":".
void ReadSpruceLine(tCaptionReader& r, QStringView line) {
    if (!r.sectionOpen) {
        if (line.startsWith(QLatin1String("SP_NUMBER"))) r.sectionOpen = true;
        return;
    }
    if (line.size() < 28) return;
    // The start time's first ":" stands two characters into it; a line without one (or with
    // it too early) is no caption line.
    const qsizetype p = line.indexOf(u':') - 2;
    if (p < 0 || p + 23 > line.size()) return;
    r.ClearPending();
    r.start = r.Time(line.mid(p, 11));
    r.end = r.Time(line.mid(p + 12, 11));
    r.text = line.mid(p + 24).toString();
    r.FlushCaption();
}

// A Sonic Scenarist file whose captions are numbered from "0001" is a Spruce one.
bool PrepareSonicLine(tCaptionReader& r, QStringView line) {
    if (line.startsWith(QLatin1String("0001"))) r.SwitchFormat(QStringLiteral("SPRUCEDVDMAESTRO"));
    return true;
}
