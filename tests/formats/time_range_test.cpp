// Every format reads back what it wrote at any time up to the largest one: files whose every
// caption lies past an hour, past ten hours or at the very end are recognised and read with
// their times, as files that begin at the first second are.
#include "formats/reader_fixture.h"

#include "formats/formattime.h"

namespace {

using Captions = std::vector<tSubtitleLine>;

QString Clock(int32_t ms) {
    return QString::asprintf("%d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}

} // namespace

class TimeRangeTest : public ReaderTest {};

// Plain text is left out: it holds no times.
TEST_F(TimeRangeTest, EveryFormatReadsBackEveryTimeUpToTheLargest) {
    // The first caption of each document starts here; every later one is later still.
    const int32_t starts[] = {
        0,
        1500,                             // a small time with a fraction
        59 * 60000 + 59000,               // 59:59
        3600000,                          // an hour
        9 * 3600000 + 59 * 60000 + 59000, // 9:59:59, the last time with one hour digit
        10 * 3600000,                     // ten hours
        99 * 60000 + 59000,               // 99:59, the last time with two minute digits
        100 * 60000,                      // 100 minutes
        kMaxTimeMs - 3000,                // the end: the last caption ends at 99:59:59.999
    };
    msgbox.AcceptAll();
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        for (const int32_t at : starts) {
            SCOPED_TRACE(qPrintable(id + " from " + Clock(at)));
            const Captions doc{{at, at + 1000, "One"}, {at + 2000, at + 3000, "Two words"}};
            const QByteArray bytes = Write(id, doc);
            const tFormatDef written = gFormatDef;
            const int boxes = msgbox.count();
            Open(WriteFile(id + ".sub", bytes), IsFrameBased(id));
            EXPECT_TRUE(OpenedAs(id));
            const Captions got = Document();
            EXPECT_EQ(got.size(), doc.size()) << bytes.toStdString();
            if (got.size() != doc.size()) continue;
            // Whole seconds are never rounded past the largest time: the last loses its fraction.
            const int32_t resolution = Resolution(written);
            for (size_t k = 0; k < got.size(); ++k) {
                const int32_t tolerance = resolution == 750 && doc[k].end == kMaxTimeMs ? 999 : resolution;
                EXPECT_EQ(got[k].text, doc[k].text);
                EXPECT_LE(std::abs(got[k].start - doc[k].start), tolerance) << "caption " << k + 1;
                EXPECT_LE(std::abs(got[k].end - doc[k].end), tolerance) << "caption " << k + 1;
            }
            EXPECT_EQ(msgbox.count(), boxes) << (msgbox.count() ? qPrintable(msgbox.last().text) : "");
            dialogs.inputs.clear();
        }
    }
}
