// Long files are formatted in ranges side by side and written as they are made; whatever the
// cut, the bytes must be those of the file made in one piece.
#include "formats/reader_fixture.h"
#include "support/scoped.h"

#include "document/captions.h"
#include "formats/formatdefs.h"
#include "formats/writer.h"

#include <QFile>

#include <vector>

namespace {

const QString kCyrillic =
    QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"); // in 1251 only
const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");              // in no ANSI page

// n captions: now and then blank, styled, with markup characters or two lines; odd holds the
// text of the caption at index oddAt (none when -1).
std::vector<tSubtitleLine> Captions(int n, int oddAt = -1, const QString& odd = QString()) {
    std::vector<tSubtitleLine> rows;
    for (int i = 0; i < n; ++i) {
        QString text = i % 5 == 3   ? QStringLiteral("  ")
                       : i % 7 == 2 ? QStringLiteral("<i>caption %1|second; line</i>").arg(i)
                                    : QStringLiteral("caption %1 & <b>x</b>").arg(i);
        if (i == oddAt) text = odd;
        rows.push_back({1000 + i * 2500, 3000 + i * 2500, text});
    }
    return rows;
}

} // namespace

class WriterRangesTest : public FormatsTest {
protected:
    static QByteArray Build(const QString& id, const std::vector<tSubtitleLine>& rows, int count, int32_t cp,
                            int ranges, float fps = 0) {
        const tWriteJob job{id, gFormatDef, rows, count, fps, gLineBreak};
        return BuildSubtitleFile(job, cp, ranges);
    }
};

TEST_F(WriterRangesTest, AnyCutMakesTheFileOfOnePiece) {
    struct Case {
        const char* id;
        int n;
        int count; // -1: all
        int oddAt;
        QString odd;
        int32_t cp;
        int ranges; // 0: as many as the machine and the file call for
        float fps;
    } const cases[] = {
        // Blank captions open the second and end the third range; numbers follow the rows.
        {"SUBRIP", 10, -1, -1, {}, 1252, 3, 0},
        // A caption beyond ASCII in the last range decides the whole file's encoding.
        {"SUBRIP", 10, -1, 9, kCyrillic, 1252, 4, 0},
        {"SUBRIP", 10, -1, 9, kCyrillic, 1251, 4, 0},
        {"SUBRIP", 5000, -1, 4999, "caf\u00e9", 1252, 0, 0},
        {"SUBRIP", 5000, -1, 2600, kEmoji, 1252, 0, 0},
        // A code page whose bytes are not ASCII's.
        {"SUBRIP", 10, -1, -1, {}, 1200, 3, 0},
        {"SUBRIP", 3000, -1, -1, {}, 1200, 0, 0},
        // Markup with header and footer, the accent written as a reference.
        {"SAMI", 12, -1, 7, "caf\u00e9", 1252, 5, 0},
        {"TTML", 12, -1, -1, {}, 1252, 5, 0},
        // UTF-8 by definition: no byte-order mark for a late emoji.
        {"WEBVTT", 9, -1, 8, kEmoji, 1252, 3, 0},
        // Numbers from 0, semicolons as commas, frames.
        {"UDVDWORKSHOP20", 12, -1, -1, {}, 1252, 5, 0},
        {"CSVE", 12, -1, -1, {}, 1252, 5, 0},
        {"MICRODVD", 12, -1, -1, {}, 1252, 5, 25},
        // Fewer captions written than rows, more ranges than captions, none at all.
        {"SUBRIP", 10, 7, 8, kCyrillic, 1252, 3, 0},
        {"SUBRIP", 2, -1, -1, {}, 1252, 8, 0},
        {"SAMI", 4, 0, -1, {}, 1252, 4, 0},
        {"SUBRIP", 4, 0, -1, {}, 1252, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            qPrintable(QStringLiteral("%1 n=%2 cp=%3 ranges=%4").arg(c.id).arg(c.n).arg(c.cp).arg(c.ranges)));
        ASSERT_TRUE(LoadFormatDefinition(c.id, false, false));
        const std::vector<tSubtitleLine> rows = Captions(c.n, c.oddAt, c.odd);
        const int count = c.count < 0 ? c.n : c.count;
        const QByteArray whole = Build(c.id, rows, count, c.cp, 1, c.fps);
        EXPECT_EQ(Build(c.id, rows, count, c.cp, c.ranges, c.fps), whole);
        if (c.count == 0 && QLatin1String(c.id) == QLatin1String("SUBRIP")) {
            EXPECT_TRUE(whole.isEmpty());
        }
    }
}

// A save writes its bytes as they are made; a late caption beyond ASCII makes it start over
// with the whole text encoded.
TEST_F(WriterRangesTest, SaveWritesTheFileOfOnePiece) {
    struct Case {
        const char* id;
        int oddAt;
        QString odd;
        const char* ansi;
    } const cases[] = {
        {"SUBRIP", -1, {}, "1252"}, {"SUBRIP", 5990, kCyrillic, "1252"}, {"SUBRIP", 5990, kCyrillic, "1251"},
        {"SUBRIP", -1, {}, "1200"}, {"TTML", 3100, kEmoji, "1252"},      {"PLAINTEXT", 5990, kEmoji, "1252"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(QStringLiteral("%1 %2").arg(c.id, c.ansi)));
        const EnvVar ansi("SCRIVELLE_ANSI_CODEPAGE", c.ansi);
        const std::vector<tSubtitleLine> rows = Captions(6000, c.oddAt, c.odd);
        ASSERT_TRUE(FillLines(0, rows));
        gFormatIndex = int(gFormatIds.indexOf(c.id));
        gSubFile = WriteFile("out.txt", "old contents");
        // Written anew, in the format's own encoding (not in the one the last case wrote).
        gSubEncoding = {};
        ASSERT_TRUE(SaveSubtitleFile(int(rows.size())));
        if (QLatin1String(c.id) != QLatin1String("PLAINTEXT")) {
            ASSERT_TRUE(LoadFormatDefinition(c.id, false, false));
        }
        QFile file(gSubFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), Build(c.id, rows, int(rows.size()), -1, 1));
    }
    EXPECT_EQ(msgbox.count(), 0);
}
