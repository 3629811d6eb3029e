#include "support/fixture.h"

#include "base/paths.h"
#include "formats/formatdefs.h"

#include <QFile>

namespace {

const QByteArray kIni = R"(
[SFD_FILEINFO]
version=9.9
[ALPHA]
name=Alpha
timecode=HH:MM:SS,ZZZ
sample=a!b?c
lbreak=|
tags=3
tagopen=<b>
tagclose=</b>
subcount=000
[BETA]
timecode=ff
tags=0
tagopen=[x]
[GAMMA]
header=1
[ORDER]
timecode=h:mm:ss.zz
)";

const QByteArray kDat = "  <FORMATSLIST>  \r\n"
                        "plain\r\n"
                        "alpha\r\n"
                        "\r\n"
                        "beta\r\n"
                        "gamma\r\n"
                        "broken\r\n"
                        "noini\r\n"
                        "order\r\n"
                        "</FORMATSLIST>\r\n"
                        "---ALPHA FORMAT---\r\n"
                        "Head line\r\n"
                        "\r\n"
                        "{SubRepeat}\r\n"
                        "zrvSubCount\r\n"
                        "zrvStart --> zrvEnd\r\n"
                        "zrvCaption\r\n"
                        "\r\n"
                        "{/SubRepeat}\r\n"
                        "Foot 1\r\n"
                        "Foot 2\r\n"
                        "---END FORMAT DEFINITION---\r\n"
                        "---BETA FORMAT---\r\n"
                        "\r\n"
                        "{SubRepeat}\r\n"
                        "{zrvStart}{zrvEnd}zrvCaption\r\n"
                        "{/SubRepeat}\r\n"
                        "---END FORMAT DEFINITION---\r\n"
                        "---GAMMA FORMAT---\r\n"
                        "ignored header\r\n"
                        "{SubRepeat}\r\n"
                        "zrvStart zrvEnd zrvCaption\r\n"
                        "{/SubRepeat}\r\n"
                        "---END FORMAT DEFINITION---\r\n"
                        "---BROKEN FORMAT---\r\n"
                        "zrvStart zrvEnd zrvCaption\r\n"
                        "{/SubRepeat}\r\n"
                        "---END FORMAT DEFINITION---\r\n"
                        "---ORDER FORMAT---\r\n"
                        "{SubRepeat}\r\n"
                        "zrvStart zrvCaption zrvEnd\r\n"
                        "{/SubRepeat}\r\n"
                        "---END FORMAT DEFINITION---\r\n";

} // namespace

class FormatDefsTest : public ScrivelleTest {
protected:
    void UseFiles(const QByteArray& ini, const QByteArray& dat) {
        gFormatFile = WriteFile("formats.ini", ini);
        gFormatDatFile = WriteFile("formats.dat", dat);
        SetProgramEndHandler([this](int code) { exitCodes << code; });
    }
    QList<int> exitCodes;
};

TEST_F(FormatDefsTest, ListIsReadUpToItsEndMarkerTrimmedAndUpperCased) {
    UseFiles(kIni, kDat);
    ASSERT_TRUE(LoadFormatsList());
    EXPECT_EQ(gFormatIds, (QStringList{"PLAIN", "ALPHA", "", "BETA", "GAMMA", "BROKEN", "NOINI", "ORDER"}));
    EXPECT_EQ(gFormatMax, 7);
    EXPECT_TRUE(exitCodes.isEmpty());
}

TEST_F(FormatDefsTest, WithoutEndMarkerEveryLineIsAnIdUpTo255) {
    QByteArray dat = "<FORMATSLIST>\nA\n---A FORMAT---\n";
    for (int i = 0; i < 253; ++i)
        dat += "X" + QByteArray::number(i) + "\n";
    UseFiles(kIni, dat);
    ASSERT_TRUE(LoadFormatsList());
    EXPECT_EQ(gFormatIds.size(), kMaxFormats);
    EXPECT_EQ(gFormatMax, 254);
    EXPECT_EQ(gFormatIds[1], "---A FORMAT---");
    EXPECT_EQ(gFormatIds[254], "X252");
    EXPECT_TRUE(exitCodes.isEmpty());

    // One more overflows the list: a broken installation, reported, and the program ends.
    UseFiles(kIni, dat + "X253\n");
    ClearFormatFileCache();
    msgbox.Answer(vbOK);
    EXPECT_FALSE(LoadFormatsList());
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_TRUE(msgbox.shown()[0].text.contains("[" + gFormatDatFile + "]"));
    EXPECT_TRUE(msgbox.shown()[0].text.endsWith("Error #6: Overflow"));
    EXPECT_EQ(exitCodes, QList<int>{1});
    EXPECT_TRUE(gFormatIds.isEmpty());
}

TEST_F(FormatDefsTest, MissingFilesAreEachReportedThenTheProgramEnds) {
    gFormatFile = TempPath("nope.ini");
    gFormatDatFile = TempPath("nope.dat");
    SetProgramEndHandler([this](int code) { exitCodes << code; });
    msgbox.Answer(vbOK).Answer(vbOK);
    EXPECT_FALSE(LoadFormatsList());
    ASSERT_EQ(msgbox.count(), 2);
    EXPECT_TRUE(msgbox.shown()[0].text.endsWith("[" + gFormatFile + "]"));
    EXPECT_TRUE(msgbox.shown()[1].text.endsWith("[" + gFormatDatFile + "]"));
    EXPECT_EQ(msgbox.shown()[0].icon, vbCritical);
    EXPECT_EQ(exitCodes, QList<int>{1});
    EXPECT_TRUE(gFormatIds.isEmpty());
}

TEST_F(FormatDefsTest, DefinitionIsCutFromTheBlockAsTheGrammarSays) {
    UseFiles(kIni, kDat);
    ASSERT_TRUE(LoadFormatsList());
    ASSERT_TRUE(LoadFormatDefinition("ALPHA", false, false));
    const tFormatDef& d = gFormatDef;
    EXPECT_EQ(d.Timecode, "hh:mm:ss,zzz");
    EXPECT_EQ(d.TimeMask, "00:00:00,000");
    EXPECT_EQ(d.CompactPattern, "h:m:s,z");
    EXPECT_EQ(d.HourMask, "00");
    EXPECT_EQ(d.FractionMask, "000");
    EXPECT_EQ(d.Sample, "A\r\nB\tC");
    EXPECT_EQ(d.LineBreakToken, "|");
    EXPECT_EQ(d.TagFlags, 3);
    EXPECT_EQ(d.TagOpen, "<b>");
    EXPECT_EQ(d.TagClose, "</b>");
    // A header longer than a bare line break loses one trailing CR LF.
    EXPECT_EQ(d.Header, "Head line\r\n");
    EXPECT_EQ(d.Body, "zrvSubCount\r\nzrvStart --> zrvEnd\r\nzrvCaption\r\n\r");
    EXPECT_EQ(d.Footer, "Foot 1\r\nFoot 2\r\n");
    EXPECT_EQ(d.SubCountFormat, "000");
    EXPECT_TRUE(d.CaptionAfterEnd);
    EXPECT_FALSE(d.SingleLineBody);
    EXPECT_EQ(gFormatIndex, 0); // no status: the index stays

    ASSERT_TRUE(LoadFormatDefinition("BETA", false, false));
    EXPECT_EQ(gFormatDef.TimeMask, "0");
    EXPECT_EQ(gFormatDef.Header, "\r\n"); // a bare line break is kept
    EXPECT_EQ(gFormatDef.Body, "{zrvStart}{zrvEnd}zrvCaption\r");
    EXPECT_EQ(gFormatDef.Footer, "");
    EXPECT_EQ(gFormatDef.TagFlags, 0);
    EXPECT_EQ(gFormatDef.TagOpen, "<b>"); // tags 0: the previous tag texts stay
    EXPECT_TRUE(gFormatDef.SubCountFormat.isEmpty());
    EXPECT_FALSE(gFormatDef.SingleLineBody); // one line, but "[enter]" line breaks

    ASSERT_TRUE(LoadFormatDefinition("ORDER", false, false));
    EXPECT_FALSE(gFormatDef.CaptionAfterEnd);
    EXPECT_EQ(gFormatDef.CompactPattern, "h:m:s.z");
    EXPECT_EQ(gFormatDef.HourMask, "0");
    EXPECT_EQ(gFormatDef.FractionMask, "00");
    EXPECT_EQ(gFormatDef.TimeMask, "0:00:00.00");
}

TEST_F(FormatDefsTest, GeneratedHeaderReplacesTheBlockHeader) {
    UseFiles(kIni, kDat);
    ASSERT_TRUE(LoadFormatsList());
    ASSERT_TRUE(LoadFormatDefinition("GAMMA", false, false));
    EXPECT_FALSE(gFormatDef.Header.contains("ignored"));
}

TEST_F(FormatDefsTest, IdWithoutSectionGetsDefaults) {
    UseFiles(kIni,
             kDat + "---NOINI FORMAT---\r\n{SubRepeat}\r\nzrvStart zrvEnd zrvCaption\r\n{/SubRepeat}\r\n");
    ASSERT_TRUE(LoadFormatsList());
    // No end line: the block runs to the end of the file.
    ASSERT_TRUE(LoadFormatDefinition("NOINI", false, false));
    EXPECT_EQ(gFormatDef.Timecode, "ms");
    EXPECT_EQ(gFormatDef.Sample, "\t\t\t");
    EXPECT_EQ(gFormatDef.LineBreakToken, "[enter]");
}

TEST_F(FormatDefsTest, BadDefinitionsWarnOnceAndEmptyTheTemplates) {
    UseFiles(kIni, kDat);
    ASSERT_TRUE(LoadFormatsList());
    ASSERT_TRUE(LoadFormatDefinition("ALPHA", false, false));
    msgbox.Answer(vbOK);
    EXPECT_FALSE(LoadFormatDefinition("BROKEN", false, false)); // no {SubRepeat}
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
    EXPECT_TRUE(gBadFormatWarned);
    EXPECT_TRUE(gFormatDef.Header.isEmpty() && gFormatDef.Body.isEmpty() && gFormatDef.Footer.isEmpty());
    EXPECT_FALSE(LoadFormatDefinition("PLAIN", false, false)); // no block at all: no second box
    EXPECT_EQ(msgbox.count(), 1);
}

TEST_F(FormatDefsTest, TimecodeOnlyLoadsTheMasksAndReturnsFalse) {
    UseFiles(kIni, kDat);
    ASSERT_TRUE(LoadFormatsList());
    EXPECT_FALSE(LoadFormatDefinition("BROKEN", false, true)); // the block is not looked at
    EXPECT_EQ(gFormatDef.TimeMask, "0");
    EXPECT_FALSE(LoadFormatDefinition("ALPHA", false, true));
    EXPECT_EQ(gFormatDef.TimeMask, "00:00:00,000");
    EXPECT_EQ(msgbox.count(), 0);
}

TEST_F(FormatDefsTest, StatusMovesTheIndexAndShowsTheImportText) {
    UseFiles(kIni, kDat);
    ASSERT_TRUE(LoadFormatsList());
    QStringList shown;
    gOnFileStatus = [&](const QString& text, bool) { shown << text; };
    gFormatIndex = 4;
    ASSERT_TRUE(LoadFormatDefinition("BETA", true, false));
    EXPECT_EQ(gFormatIndex, 3);
    EXPECT_EQ(shown.size(), 1);
    msgbox.Answer(vbOK); // no block: the one warning
    EXPECT_FALSE(LoadFormatDefinition("NOTLISTED", true, false));
    EXPECT_EQ(gFormatIndex, 3);
}

TEST_F(FormatDefsTest, DefinitionFileIsReadOnce) {
    UseFiles(kIni, kDat);
    ASSERT_TRUE(LoadFormatsList());
    ASSERT_TRUE(LoadFormatDefinition("ALPHA", false, false));
    // Once read, later loads (a detection makes hundreds) never go back to the file.
    ASSERT_TRUE(QFile::remove(gFormatDatFile));
    for (int i = 0; i < 255; ++i)
        ASSERT_TRUE(LoadFormatDefinition(i % 2 ? "ALPHA" : "BETA", false, false));
    ASSERT_TRUE(LoadFormatDefinition("ALPHA", false, false));
    EXPECT_EQ(gFormatDef.Body, "zrvSubCount\r\nzrvStart --> zrvEnd\r\nzrvCaption\r\n\r");
}
