// The reader around the parsers: the frame-rate question, the caption limit, appending, the
// grid filled in one step, hostile fields, re-entry and failed reads.
#include "formats/reader_fixture.h"

#include "formats/formattime.h"

#include "document/busy.h"
#include "document/timecode.h"

#include <QTimer>

namespace {

// A MicroDVD file of n captions, one second each.
QByteArray MicroDvd(int n, int firstFrame = 25) {
    QByteArray out;
    for (int i = 0; i < n; ++i) {
        const int f = firstFrame + i * 50;
        out += "{" + QByteArray::number(f) + "}{" + QByteArray::number(f + 25) + "}Caption " +
               QByteArray::number(i + 1) + "\r\n";
    }
    return out;
}

const QByteArray kSrt = "1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>One\r\n\r\n"
                        "2\r\n00:00:03,000 --> 00:00:04,500\r\nTwo\r\nlines\r\n\r\n";

class ImportTest : public ReaderTest {
protected:
    void OpenDocument(const QByteArray& srt) { Open(WriteFile("doc.srt", srt)); }
    void Append(const QString& path) {
        gAbortLoad = false;
        ImportSubtitleFile(path, false, true);
    }
};

} // namespace

TEST_F(ImportTest, TemplateFormatsFollowTheirPicture) {
    // Styles in a format whose bold tag holds the letter b: italic and underline swap it.
    const tReadOutcome dvd =
        Parse("MICRODVD", "{25}{50}{Y:i}Slanted|line\n{75}{100}{Y:b}{Y:u}Both\n{1}{1}25\n");
    EXPECT_EQ(dvd.captions,
              (std::vector<tSubtitleLine>{{1000, 2000, "<i>Slanted|line"}, {3000, 4000, "<u><b>Both"}}));
    // Only spaces: the caption and its times are dropped.
    EXPECT_TRUE(Parse("MICRODVD", "{25}{50}   \n").captions.empty());
    // A time field of 13 characters or more is no time.
    EXPECT_EQ(Parse("MICRODVD", "{1234567890123}{50}x\n").captions.size(), 0u);
    // Real line breaks inside a caption become the marker; the blank line ends it.
    const tReadOutcome vtt = Parse("WEBVTT", "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\nA\nB\n\n", 0, true);
    EXPECT_EQ(vtt.captions, (std::vector<tSubtitleLine>{{1000, 2000, "A|B"}}));
    // A cue without text lends its times to no other cue.
    EXPECT_EQ(Parse("WEBVTT", "00:00:01.000 --> 00:00:02.000\n\n00:00:03.000 --> 00:00:04.000\nC\n", 0, true)
                  .captions,
              (std::vector<tSubtitleLine>{{3000, 4000, "C"}}));
    EXPECT_EQ(Parse("WEBVTT", "00:00:01.000 --> 00:00:02.000\n00:00:03.000 --> 00:00:04.000\nC\n", 0, true)
                  .captions,
              (std::vector<tSubtitleLine>{{3000, 4000, "C"}}));
    // A format without a closing tag keeps the rest of the text as it is.
    EXPECT_EQ(Parse("SUBVIEWER2", "00:00:01.00,00:00:02.50\nx[br]y\n\n", 0, true).captions,
              (std::vector<tSubtitleLine>{{1000, 2500, "x|y"}}));
    // Ten hours and more in a one-digit-hour pattern; minutes holding the hours.
    EXPECT_EQ(Parse("POWERDIVX", "{12:00:01}{12:00:03}Late\n", 0, true).captions,
              (std::vector<tSubtitleLine>{{43201000, 43203000, "Late"}}));
    EXPECT_EQ(Parse("KARAOKELRC", "[by:x]\n[125:01.50]Song\n[125:03.00]\n", 0, true).captions,
              (std::vector<tSubtitleLine>{{7501500, 7503000, "Song"}}));
}

TEST_F(ImportTest, LongLinesAndHugeOrNegativeFieldsReadSafely) {
    const QString longText(600, u'x');
    EXPECT_EQ(Parse("MICRODVD", "{25}{50}" + longText + "\n").captions,
              (std::vector<tSubtitleLine>{{1000, 2000, longText}}));
    // A field found past column 255.
    EXPECT_EQ(
        Parse("CSVE",
              "Number;Start time;End time;Text\n" + QString(300, u'1') + ";00:00:01.000;00:00:02.000;far\n",
              0, true)
            .captions,
        (std::vector<tSubtitleLine>{{1000, 2000, "far"}}));
    // Twelve digits stop at the largest time, and are counted; times with a minus are read as
    // 0, and counted too.
    const tReadOutcome big = Parse("MICRODVD", "{999999999999}{999999999999}big\n{-25}{-1}neg\n");
    EXPECT_EQ(big.captions, (std::vector<tSubtitleLine>{{kMaxTimeMs, kMaxTimeMs, "big"}, {0, 0, "neg"}}));
    EXPECT_EQ(big.clampedTimes, 2);
    EXPECT_EQ(big.negativeTimes, 2);
    const tReadOutcome sami =
        Parse("SAMI", "<BODY>\n<SYNC Start=-500><P>neg\n<SYNC Start=999999999999><P>&nbsp;\n");
    EXPECT_EQ(sami.captions, (std::vector<tSubtitleLine>{{0, kMaxTimeMs, "neg"}}));
    EXPECT_EQ(sami.clampedTimes, 1);
}

TEST_F(ImportTest, FrameRateIsAskedBeforeAFrameBasedFileIsRead) {
    const QString path = WriteFile("movie.sub", MicroDvd(2));
    ResetCaptionGrid(true);
    dialogs.inputs = {QStringLiteral("12"), QStringLiteral("23.976")};
    msgbox.Answer(vbOK);
    ImportSubtitleFile(path, false, false);
    ASSERT_EQ(dialogs.calls.size(), 2);
    EXPECT_EQ(dialogs.calls[0].defaultText, "25");
    EXPECT_EQ(dialogs.calls[0].title, LangText(7));
    EXPECT_TRUE(dialogs.calls[0].folder.contains("MicroDVD")); // the prompt names the format
    // A rate outside 15..30 is refused and the question comes again.
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, LangText(323));
    EXPECT_EQ(msgbox.last().icon, vbCritical);
    EXPECT_EQ(msgbox.last().title, LangText(59).chopped(3));
    EXPECT_FLOAT_EQ(gFPS, 23.976f);
    EXPECT_EQ(GetLineStart(1), 1043); // frame 25 at 23.976 fps
    // A decimal comma means the same.
    dialogs.inputs = {QStringLiteral("29,97")};
    ImportSubtitleFile(path, false, false);
    EXPECT_FLOAT_EQ(gFPS, 29.97f);
}

TEST_F(ImportTest, CancelledFrameRateReadsNothing) {
    ResetCaptionGrid(true);
    dialogs.inputs = {std::nullopt};
    ImportSubtitleFile(WriteFile("movie.sub", MicroDvd(2)), false, false);
    EXPECT_TRUE(gAbortLoad);
    EXPECT_EQ(CaptionCount(), 1);
    EXPECT_TRUE(GetLineText(1).isEmpty());
    EXPECT_EQ(msgbox.count(), 0);
}

TEST_F(ImportTest, ReadingStopsAtTheCaptionLimit) {
    dialogs.inputs = {QStringLiteral("25")};
    msgbox.Answer(vbOK);
    ImportSubtitleFile(WriteFile("many.sub", MicroDvd(kImportLimit + 50)), false, false);
    EXPECT_EQ(CaptionCount(), kImportLimit);
    EXPECT_EQ(GetLineText(kImportLimit), "Caption 32000");
    EXPECT_TRUE(gImportTruncated);
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, LangText(158));
    EXPECT_EQ(msgbox.last().title, LangText(146));
    EXPECT_EQ(msgbox.last().icon, vbCritical);
    // Exactly as many as the limit: no message.
    dialogs.inputs = {QStringLiteral("25")};
    ImportSubtitleFile(WriteFile("exact.sub", MicroDvd(kImportLimit)), false, false);
    EXPECT_EQ(CaptionCount(), kImportLimit);
    EXPECT_FALSE(gImportTruncated);
    EXPECT_EQ(msgbox.count(), 1);
}

TEST_F(ImportTest, AppendAddsBehindTheMediaKeepingTheDocumentsFormat) {
    dialogs.inputs = {QStringLiteral("25")};
    ImportSubtitleFile(WriteFile("doc.sub", MicroDvd(2)), false, false);
    const int microDvd = gFormatIndex;
    gAppendOffset = 500;
    gOnGetMediaLength = [] { return 60; };
    int selections = 0, selectedRow = 0;
    gOnShowSelectedLine = [&](int row) {
        ++selections;
        selectedRow = row;
    };
    msgbox.Answer(vbOK);
    Append(WriteFile("more.srt", kSrt));
    EXPECT_EQ(Document(), (std::vector<tSubtitleLine>{{1000, 2000, "Caption 1"},
                                                      {3000, 4000, "Caption 2"},
                                                      {61500, 62500, "<i>One"},
                                                      {63500, 65000, "Two|lines"}}));
    EXPECT_EQ(gAppendOffset, 60500);
    EXPECT_EQ(gFormatIndex, microDvd);
    EXPECT_EQ(gFPS, 25.0f);
    EXPECT_TRUE(gModified);
    // The grid is filled in one step and the last row selected once.
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(selectedRow, 4);
    EXPECT_EQ(gCurrentRow, 4);
    // The appended rows' fonts follow their own tags.
    EXPECT_EQ(grdSubs().CellStyle(3, kColText), FlexGrid::kItalic);
    EXPECT_EQ(grdSubs().CellStyle(4, kColText), 0);
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().icon, vbInformation);
    EXPECT_TRUE(msgbox.last().text.startsWith(LangText(74)));
    EXPECT_TRUE(msgbox.last().text.contains(MsToTime(60500)));
    EXPECT_TRUE(msgbox.last().text.endsWith(LangText(75)));
    // The process reset leaves this connection alone.
    gOnShowSelectedLine = nullptr;
}

TEST_F(ImportTest, AppendingAnUnrecognisedTextFileKeepsTheDocument) {
    OpenDocument(kSrt);
    const int subRip = gFormatIndex;
    msgbox.Answer(vbOK);
    Append(WriteFile("notes.txt", "Plain one\r\nPlain two\r\n"));
    ASSERT_EQ(CaptionCount(), 4);
    EXPECT_EQ(GetLineText(1), "<i>One");
    EXPECT_EQ(GetLineText(4), "Plain two");
    EXPECT_EQ(gFormatIndex, subRip);
}

TEST_F(ImportTest, AppendStaysWithinTheLimit) {
    std::vector<tSubtitleLine> rows(kImportLimit - 1, {1000, 2000, "x"});
    ASSERT_TRUE(FillLines(0, rows));
    msgbox.Answer(vbOK).Answer(vbOK);
    Append(WriteFile("more.srt", kSrt));
    EXPECT_EQ(CaptionCount(), kImportLimit);
    EXPECT_EQ(GetLineText(kImportLimit), "<i>One");
    ASSERT_EQ(msgbox.count(), 2);
    EXPECT_EQ(msgbox.shown()[0].text, LangText(158));
}

TEST_F(ImportTest, NoSecondLoadOrOtherCommandWhileAFileLoads) {
    OpenDocument(kSrt);
    const QString other = WriteFile("other.srt", "1\r\n00:00:09,000 --> 00:00:10,000\r\nOther\r\n\r\n");
    bool busySeen = false, loadingSeen = false;
    // Runs while the reader lets window events run.
    QTimer::singleShot(0, [&] {
        busySeen = IsDocumentBusy();
        loadingSeen = IsSubtitleLoading();
        ImportSubtitleFile(other, false, false);
    });
    OpenDocument(kSrt);
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(loadingSeen);
    EXPECT_EQ(Document().size(), 2u);
    EXPECT_EQ(GetLineText(1), "<i>One");
    EXPECT_FALSE(IsDocumentBusy());
    EXPECT_FALSE(IsSubtitleLoading());
    // The open command holds the document busy around the whole load.
    {
        const DocumentBusyGuard openCommand;
        ImportSubtitleFile(other, false, false);
        EXPECT_TRUE(IsDocumentBusy());
    }
    EXPECT_EQ(GetLineText(1), "Other");
    EXPECT_FALSE(IsDocumentBusy());
}

TEST_F(ImportTest, CancelledOrFailedReadsLeaveNoPartialDocument) {
    // The user cancels while the file loads: nothing of it is taken.
    QTimer::singleShot(0, [] { gAbortLoad = true; });
    OpenDocument(kSrt);
    EXPECT_EQ(CaptionCount(), 1);
    EXPECT_TRUE(GetLineText(1).isEmpty());

    OpenDocument(kSrt);
    const std::vector<tSubtitleLine> before = Document();
    QTimer::singleShot(0, [] { gAbortLoad = true; });
    Append(WriteFile("more.srt", kSrt));
    EXPECT_EQ(Document(), before);

    // A file that cannot be read: the error is reported and the document stays as it was.
    msgbox.Answer(vbOK).Answer(vbOK);
    Append(TempPath("missing.srt"));
    EXPECT_EQ(Document(), before);
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_TRUE(msgbox.last().text.contains("missing.srt"));
    EXPECT_TRUE(msgbox.last().text.contains("Error #53"));
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
    ImportSubtitleFile(TempPath(""), false, false);
    EXPECT_EQ(msgbox.count(), 2);
    EXPECT_EQ(Document(), before);
}

TEST_F(ImportTest, NoCaptionsIsReported) {
    msgbox.Answer(vbOK);
    Open(WriteFile("empty.srt", "1\r\n00:00:01,000 --> 00:00:02,000\r\n   \r\n\r\n"));
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, LangText(46) + "\r\n\r\n" + LangText(47));
    EXPECT_EQ(msgbox.last().icon, vbCritical);
    EXPECT_EQ(CaptionCount(), 1);
}

TEST_F(ImportTest, TheFileCommandsAreOffWhileAFileLoads) {
    QList<bool> states;
    QStringList status;
    gOnEnableFileCommands = [&](bool on) { states << on; };
    gOnFileStatus = [&](const QString& text, bool) { status << text; };
    OpenDocument(kSrt);
    EXPECT_EQ(states, (QList<bool>{false, true}));
    EXPECT_EQ(status, QStringList{LangText(274, "SubRip")});
    EXPECT_EQ(gConfigFormatIndex, gFormatIndex);
}
