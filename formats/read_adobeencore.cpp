#include "formats/readerpaths.h"

#include "formats/textops.h"

// Adobe Encore: "hh:mm:ss:ff hh:mm:ss:ff text" starts a caption (its third and twenty-first
// characters are ":", and a blank stands after each time); any other non-empty line is a
// further line of its text, even one that begins with two times laid out otherwise (tabs, two
// blanks, commas between them).
void ReadAdobeEncoreLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    if (line.size() >= 23 && line[2] == u':' && line[20] == u':' && line[11] == u' ' &&
        (line.size() == 23 || line[23] == u' ')) {
        // The caption before ends here; each caption has its own text, even a short or an
        // empty one, and goes through the same translation as every other format's.
        if (r.Complete() && !IsBlank(r.text)) r.FlushCaption();
        r.ClearPending();
        r.start = r.Time(line.left(11));
        r.end = r.Time(line.mid(12, 11));
        if (line.size() > 24) r.text = line.mid(24).toString();
        return;
    }
    // Before the first caption a line belongs to none.
    if (r.start < 0) {
        r.NotRead(line);
        return;
    }
    r.AppendText(line);
}
