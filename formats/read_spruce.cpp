#include "formats/readerpaths.h"

#include <memory>

namespace {

// The header lines a Spruce or Sonic file is known by: the program's own, as it writes them.
struct SpruceHeader final : tGrammarData {
    tHeaderLines lines;
};

const tHeaderLines& HeaderOf(tCaptionReader& r) {
    if (!r.grammarData) {
        auto header = std::make_unique<SpruceHeader>();
        header->lines.Add(r.OwnHeader());
        header->lines.Add(r.Def().Header);
        r.grammarData = std::move(header);
    }
    return static_cast<const SpruceHeader&>(*r.grammarData).lines;
}

} // namespace

// Spruce DVDMaestro and Sonic Scenarist: after the "SP_NUMBER" heading, every line of 28
// characters or more is "number<TAB>start<TAB>end<TAB>text", found from its first ":". Other
// lines are header lines (a joined file has them in its middle), or told as not read.
void ReadSpruceLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    if (line.startsWith(QLatin1String("SP_NUMBER"))) {
        r.sectionOpen = true;
        return;
    }
    // The start time's first ":" stands two characters into it; a line without one (or with
    // it too early) is no caption line.
    const qsizetype p = line.indexOf(u':') - 2;
    if (!r.sectionOpen || line.size() < 28 || p < 0 || p + 23 > line.size()) {
        HeaderOf(r).Place(r, line);
        return;
    }
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
