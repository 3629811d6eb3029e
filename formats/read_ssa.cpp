#include "formats/readerpaths.h"

// SubStation Alpha and Advanced SSA: only "Dialogue: " lines count. Their ten fields are
// separated by commas, the last (the text) keeps any further commas; "\N" and "\n" are line
// breaks. A line with fewer fields is not a caption.
void ReadSsaLine(tCaptionReader& r, QStringView line) {
    if (!line.startsWith(QLatin1String("Dialogue: "))) return;
    qsizetype commas[9];
    qsizetype from = 0;
    for (qsizetype& at : commas) {
        at = line.indexOf(u',', from);
        if (at < 0) {
            ++r.skipped;
            return;
        }
        from = at + 1;
    }
    r.ClearPending();
    r.start = r.Time(line.mid(commas[0] + 1, commas[1] - commas[0] - 1));
    r.end = r.Time(line.mid(commas[1] + 1, commas[2] - commas[1] - 1));
    const QStringView text = line.mid(commas[8] + 1);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() && (text[i + 1] == u'n' || text[i + 1] == u'N')) {
            out += r.LineBreak();
            ++i;
        } else {
            out += text[i];
        }
    }
    r.text = out;
    r.FlushCaption();
}
