#include "formats/encodings.h"
#include "formats/formattime.h"
#include "formats/textops.h"
#include "formats/writerpaths.h"

// Adobe Encore text scripts are UTF-8 without a byte-order mark: each line is built as text
// and turned into its UTF-8 bytes at once, so the ANSI code page never touches it. Styles are
// dropped; a caption's further lines follow its time line.
QString WriteAdobeEncore(const tWriteJob& job) {
    const QString body = job.def.Body.isEmpty() ? QString() : job.def.Body.chopped(1);
    QString out;
    const int count = std::min<int>(job.count, int(job.rows.size()));
    for (int i = 0; i < count; ++i) {
        const tSubtitleLine& row = job.rows[i];
        const QString text = BareCaptionLines(row.text, job.lineBreak);
        // An empty caption is not written: its time line alone would read back as carrying
        // the previous caption's text.
        if (IsBlank(text)) continue;
        QString line = ReplaceText(body, u"zrvStart", MsToTimecode(job.def, row.start, job.fps));
        line = ReplaceText(line, u"zrvEnd", MsToTimecode(job.def, row.end, job.fps));
        line = ReplaceText(line, u"zrvCaption", text);
        // A NUL of the text is written too: the reader keeps it, as every format's does.
        out += ToUTF8Bytes(line);
        out += QLatin1String("\r\n");
    }
    return out;
}
