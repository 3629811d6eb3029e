// The main window driven headless with the fake player, message boxes and dialogs: its life
// cycle, the File menu, the save prompt and the command-line file.
#include "base/appinfo.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/ui/frmReport.h"
#include "formats/formatdefs.h"
#include "formats/reader.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/filecommands.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "mainwindow/mainwindow_fixture.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"
#include "support/FakeMediaPlayer.h"
#include "support/fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>
#include <ostream>

namespace {

class MainWindowTest : public MainWindowFixture {
protected:
    void Show() {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    // A SubRip file of n captions: caption i from i s to i s + 500 ms, text "caption i".
    QString Srt(const QString& name, int n) {
        QByteArray bytes;
        for (int i = 1; i <= n; ++i) {
            bytes += QByteArray::number(i) + "\r\n";
            const QString t = QStringLiteral("00:%1:%2")
                                  .arg(i / 60, 2, 10, QLatin1Char('0'))
                                  .arg(i % 60, 2, 10, QLatin1Char('0'));
            bytes += (t + ",000 --> " + t + ",500\r\n").toLatin1();
            bytes += "caption " + QByteArray::number(i) + "\r\n\r\n";
        }
        return WriteFile(name, bytes);
    }

    // Opens a subtitle of n captions and edits it.
    QString OpenModified(int n = 3) {
        const QString path = Srt("doc.srt", n);
        EXPECT_TRUE(w->LoadTextFile(path));
        SetLineText(1, QStringLiteral("edited"));
        gModified = true;
        return path;
    }
};

} // namespace

// --- The save prompt ---

namespace {

enum class SaveWay { Ok, Cancelled, Failed };

struct PromptCase {
    const char* name;
    bool modified;
    int answer; // 0: no box expected
    SaveWay way;
    bool result;
    bool keepsModified;
};

[[maybe_unused]] void PrintTo(const PromptCase& c, std::ostream* os) {
    *os << c.name;
}

class PromptForSaveTest : public MainWindowTest, public ::testing::WithParamInterface<PromptCase> {};

} // namespace

TEST_P(PromptForSaveTest, GoesOnOnlyWhenNoWorkIsLost) {
    const PromptCase& c = GetParam();
    Make();
    const QString path = OpenModified(3);
    const QByteArray original = ReadFileBytes(path);
    gModified = c.modified;
    if (c.answer != 0) msgbox.Answer(c.answer);
    QString target = path;
    if (c.answer == vbYes) {
        switch (c.way) {
        case SaveWay::Ok:
            break;
        case SaveWay::Cancelled:
            // A new document goes through Save as, whose dialog is cancelled.
            gSubFile = QStringLiteral("NEW");
            dialogs.paths.push_back(QString());
            break;
        case SaveWay::Failed:
            target = TempPath("no such folder/doc.srt");
            gSubFile = target;
            msgbox.Answer(vbOK); // the writer's own report
            break;
        }
    }

    EXPECT_EQ(w->PromptForSave(), c.result);
    EXPECT_EQ(msgbox.count(), c.answer == 0 ? 0 : c.way == SaveWay::Failed && c.answer == vbYes ? 2 : 1);
    if (c.answer != 0) {
        EXPECT_EQ(msgbox.shown()[0].text, LangText(161));
        EXPECT_EQ(msgbox.shown()[0].buttons, vbYesNoCancel);
    }
    EXPECT_EQ(gModified, c.keepsModified);
    // The document is still there, whatever happened to the file.
    EXPECT_EQ(CaptionCount(), 3);
    EXPECT_EQ(GetLineText(1), "edited");
    const bool saved = c.answer == vbYes && c.way == SaveWay::Ok;
    EXPECT_EQ(ReadFileBytes(path).contains("edited"), saved);
    if (!saved) {
        EXPECT_EQ(ReadFileBytes(path), original);
    }
    EXPECT_FALSE(QFile::exists(TempPath("no such folder/doc.srt")));
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, PromptForSaveTest,
    ::testing::Values(PromptCase{"NotModified", false, 0, SaveWay::Ok, true, false},
                      PromptCase{"YesSaved", true, vbYes, SaveWay::Ok, true, false},
                      PromptCase{"YesSaveAsCancelled", true, vbYes, SaveWay::Cancelled, false, true},
                      PromptCase{"YesWriteFailed", true, vbYes, SaveWay::Failed, false, true},
                      PromptCase{"No", true, vbNo, SaveWay::Ok, true, true},
                      PromptCase{"Cancel", true, vbCancel, SaveWay::Ok, false, true}),
    [](const ::testing::TestParamInfo<PromptCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, AOneCaptionDocumentIsAskedAboutOnlyWhenItHoldsSomething) {
    Make();
    w->mnuNew_Click();
    gModified = true;
    // Nothing typed yet: nothing to lose.
    EXPECT_TRUE(w->PromptForSave());
    EXPECT_EQ(msgbox.count(), 0);
    SetLineText(1, QStringLiteral("the only caption"));
    msgbox.Answer(vbCancel);
    EXPECT_FALSE(w->PromptForSave());
    EXPECT_EQ(msgbox.count(), 1);
}

TEST_F(MainWindowTest, CloseAndExitStopWhenTheSaveIsNotDone) {
    Make();
    Show();
    OpenModified(3);
    msgbox.Answer(vbCancel);
    w->mnuClose_Click();
    EXPECT_EQ(CaptionCount(), 3);
    EXPECT_FALSE(gSubFile.isEmpty());

    // Exit: the close is refused and nothing of the window's state is written.
    msgbox.Answer(vbCancel);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(ReadSetting(SettingKeys::WindowState, "none"), "none");

    // Yes, then a write that fails: still open.
    gSubFile = TempPath("no such folder/doc.srt");
    msgbox.Answer(vbYes).Answer(vbOK);
    EXPECT_FALSE(w->close());
    EXPECT_EQ(CaptionCount(), 3);

    // No: the window closes, saves its state and closes everything.
    player->setVolume(33);
    msgbox.Answer(vbNo);
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(gClosing);
    EXPECT_TRUE(gSubFile.isEmpty());
    EXPECT_EQ(ReadSetting(SettingKeys::Volume), "33");
    EXPECT_FALSE(ReadSetting(SettingKeys::WindowState).isEmpty());
    EXPECT_EQ(ReadSetting("M_INFOBAR"), gInfoBar ? "255" : "0");
    EXPECT_TRUE(player->URL().isEmpty());
}

TEST_F(MainWindowTest, CloseIsRefusedWhileTheDocumentIsBusy) {
    Make();
    Show();
    OpenModified(3);
    gModified = false;
    {
        DocumentBusyGuard busy;
        EXPECT_FALSE(w->close());
        // Nor does any command change the document meanwhile.
        w->mnuNew_Click();
        w->mnuClose_Click();
        grdSubs().SetRow(2);
        w->grdSubs_KeyDown(Qt::Key_Delete, Qt::NoModifier);
        w->mnuFormatBold_Click();
        EXPECT_FALSE(w->LoadTextFile(Srt("other.srt", 5)));
    }
    EXPECT_EQ(CaptionCount(), 3);
    EXPECT_EQ(GetLineText(2), "caption 2");
    EXPECT_EQ(msgbox.count(), 0);
    EXPECT_TRUE(w->close());
}

// --- Saving ---

TEST_F(MainWindowTest, SavingUntimedCaptions) {
    Make();
    const QString path = Srt("doc.srt", 4);
    ASSERT_TRUE(w->LoadTextFile(path));
    ClearLineTimes(3);
    gModified = true;

    // No: only the captions before the first untimed one are written, and the document stays
    // modified because the rest is in no file.
    msgbox.Answer(vbNo);
    EXPECT_TRUE(w->SaveTextFile());
    EXPECT_EQ(msgbox.last().text, LangText(80) + "\n\n" + LangText(81));
    QByteArray written = ReadFileBytes(path);
    EXPECT_TRUE(written.contains("caption 2"));
    EXPECT_FALSE(written.contains("caption 3"));
    EXPECT_FALSE(written.contains("caption 4"));
    EXPECT_TRUE(gModified);

    msgbox.Answer(vbYes);
    EXPECT_TRUE(w->SaveTextFile());
    written = ReadFileBytes(path);
    EXPECT_TRUE(written.contains("caption 4"));
    EXPECT_FALSE(gModified);

    // With the first caption untimed, No would write nothing: the file is left alone and the
    // user is told.
    ClearLineTimes(1);
    const QByteArray before = ReadFileBytes(path);
    msgbox.Answer(vbNo).Answer(vbOK);
    EXPECT_FALSE(w->SaveTextFile());
    EXPECT_EQ(msgbox.count(), 4);
    EXPECT_TRUE(msgbox.last().text.startsWith(LangText(80)));
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(gModified);
}

TEST_F(MainWindowTest, PlainTextKeepsUntimedCaptionsAndIsSavedWhole) {
    Make();
    const QString path = WriteFile("notes.txt", "first line\r\nsecond line\r\nthird line\r\n");
    ASSERT_TRUE(w->LoadTextFile(path));
    ASSERT_EQ(CurrentFormatId(), "PLAINTEXT");
    SetLineText(2, QStringLiteral("edited"));
    gModified = true;
    // Every caption is untimed; No still writes them all, so nothing is left unsaved.
    msgbox.Answer(vbNo);
    EXPECT_TRUE(w->SaveTextFile());
    EXPECT_EQ(ReadFileBytes(path), "first line\r\nedited\r\nthird line\r\n");
    EXPECT_FALSE(gModified);
}

TEST_F(MainWindowTest, SaveAsWritesInTheCurrentFormatWithItsExtension) {
    Make();
    Show();
    const QString path = Srt("film.srt", 2);
    ASSERT_TRUE(w->LoadTextFile(path));
    ASSERT_EQ(CurrentFormatId(), "SUBRIP");
    SetLineText(2, QStringLiteral("changed"));
    gModified = true;

    dialogs.paths.push_back(TempPath("out/copy"));
    QDir().mkpath(TempPath("out"));
    w->mnuSaveAs_Click();
    ASSERT_EQ(dialogs.calls.size(), 1);
    EXPECT_EQ(dialogs.calls[0].kind, "save");
    EXPECT_EQ(dialogs.calls[0].title, LangText(45).chopped(3));
    EXPECT_EQ(dialogs.calls[0].defaultText, "film.srt");
    EXPECT_EQ(dialogs.calls[0].folder, TempPath(""));
    EXPECT_EQ(gSubFile, TempPath("out/copy.srt"));
    EXPECT_TRUE(ReadFileBytes(gSubFile).contains("changed"));
    EXPECT_FALSE(gModified);
    EXPECT_EQ(ReadSetting(SettingKeys::LastFolder), TempPath("out/"));
    EXPECT_EQ(ReadSetting(SettingKeys::TFileName), gSubFile);
    EXPECT_TRUE(w->mnuTFileName->isVisible());
    EXPECT_EQ(w->lblTextFile->text(), gSubFile);

    // An extension in capitals is the format's own: nothing is appended.
    dialogs.paths.push_back(TempPath("out/LOUD.SRT"));
    w->mnuSaveAs_Click();
    EXPECT_EQ(gSubFile, TempPath("out/LOUD.SRT"));
    EXPECT_TRUE(QFile::exists(gSubFile));

    // A failed Save as leaves the document where it was.
    const QString before = gSubFile;
    dialogs.paths.push_back(TempPath("no such folder/x.srt"));
    msgbox.Answer(vbOK);
    gModified = true;
    w->mnuSaveAs_Click();
    EXPECT_EQ(gSubFile, before);
    EXPECT_TRUE(gModified);
    EXPECT_EQ(w->lblTextFile->text(), before);
}

TEST_F(MainWindowTest, SaveOfANewDocumentAsksForAName) {
    Make();
    w->mnuNew_Click();
    EXPECT_EQ(gSubFile, "NEW");
    EXPECT_EQ(CurrentFormatId(), "SUBRIP");
    SetLineText(1, QStringLiteral("hello"));
    SetLineStart(1, 1000);
    SetLineEnd(1, 2000);
    dialogs.paths.push_back(TempPath("fresh"));
    w->mnuSave_Click();
    EXPECT_EQ(gSubFile, TempPath("fresh.srt"));
    EXPECT_TRUE(ReadFileBytes(gSubFile).contains("00:00:01,000 --> 00:00:02,000"));
    // Saved once, Save writes to the same file without asking.
    SetLineText(1, QStringLiteral("again"));
    w->mnuSave_Click();
    EXPECT_TRUE(ReadFileBytes(gSubFile).contains("again"));
    EXPECT_EQ(dialogs.calls.size(), 1);
}

// --- Opening ---

TEST_F(MainWindowTest, OpenASubtitle) {
    Make();
    Show();
    const QString path = Srt("sub dir/film.srt", 3);
    dialogs.paths.push_back(path);
    w->mnuOpenText_Click();
    ASSERT_EQ(dialogs.calls.size(), 1);
    EXPECT_EQ(dialogs.calls[0].title, LangText(59).chopped(3));
    EXPECT_TRUE(dialogs.calls[0].filter.startsWith("All supported formats ("));
    EXPECT_TRUE(dialogs.calls[0].filter.contains("*.srt"));
    EXPECT_EQ(dialogs.calls[0].folder, gAppPath);

    EXPECT_EQ(gSubFile, path);
    EXPECT_EQ(CaptionCount(), 3);
    EXPECT_EQ(GetLineText(3), "caption 3");
    EXPECT_EQ(GetLineStart(2), 2000);
    EXPECT_FALSE(gModified);
    EXPECT_EQ(gCurrentRow, 1);
    EXPECT_TRUE(w->grdSubsView->isEnabled());
    EXPECT_TRUE(w->mnuSave->isEnabled());
    EXPECT_TRUE(w->mnuClose->isEnabled());
    EXPECT_EQ(ReadSetting(SettingKeys::LastFolder), TempPath("sub dir/"));
    EXPECT_EQ(ReadSetting(SettingKeys::TFileName), path);
    EXPECT_TRUE(w->mnuTFileName->isVisible());
    EXPECT_TRUE(w->mnuLine0b->isVisible());
    EXPECT_EQ(w->lblTextFile->text(), path);
    EXPECT_FALSE(w->lblVideoFile->text().contains("talk.mp4"));
    // No video: the timing modes stay off.
    EXPECT_FALSE(w->optPress->isEnabled());

    // A missing file changes nothing.
    msgbox.Answer(vbOK);
    EXPECT_FALSE(w->LoadTextFile(TempPath("gone.srt")));
    EXPECT_EQ(msgbox.last().text, LangText(157, TempPath("gone.srt")));
    EXPECT_EQ(msgbox.last().icon, vbCritical);
    EXPECT_EQ(gSubFile, path);
    EXPECT_EQ(CaptionCount(), 3);
}

TEST_F(MainWindowTest, AFileWithoutCaptionsLeavesNothingOpen) {
    Make();
    const QString path = WriteFile("empty.txt", "\r\n   \r\n");
    msgbox.AcceptAll(); // the reader reports the empty file itself
    EXPECT_FALSE(w->LoadTextFile(path));
    EXPECT_TRUE(gSubFile.isEmpty());
    EXPECT_FALSE(IsDocumentGrid());
    EXPECT_FALSE(w->mnuSave->isEnabled());
    EXPECT_FALSE(gModified);
}

TEST_F(MainWindowTest, OpeningPausesAPlayingVideoAndPlaysItAgain) {
    Make();
    const QString movie = WriteFile("movie.avi", "RIFF");
    w->LoadVideoFile(movie);
    ASSERT_EQ(player->playState(), kPlayStatePlaying);
    player->calls.clear();
    ASSERT_TRUE(w->LoadTextFile(Srt("doc.srt", 2)));
    EXPECT_EQ(player->calls.filter(QRegularExpression("^(play|pause|stop)$")),
              QStringList({"pause", "play"}));
    EXPECT_TRUE(w->cmdApply->isEnabled());
    EXPECT_TRUE(w->optPress->isEnabled());
    EXPECT_EQ(w->WMP->URL(), movie);
}

TEST_F(MainWindowTest, TheRulesRunOnLoadUnlessOnlyDuringTiming) {
    Make();
    // Caption 2 starts before caption 1 ends.
    const QString path = WriteFile("overlap.srt", "1\r\n00:00:01,000 --> 00:00:03,000\r\none\r\n\r\n"
                                                  "2\r\n00:00:02,000 --> 00:00:04,000\r\ntwo\r\n\r\n");
    gCollision = 1;
    gAutoJoin = 0;
    gAutoSplit = 0;
    gDurationMode = 0;
    gRemoveCredits = 0;
    gFixBreaks = 0;
    gApplyWhen = 1;
    ASSERT_TRUE(w->LoadTextFile(path));
    EXPECT_EQ(GetLineStart(2), 2000);
    EXPECT_EQ(ReportWindow(), nullptr);

    gApplyWhen = 0;
    ASSERT_TRUE(w->LoadTextFile(path));
    EXPECT_EQ(GetLineStart(2), 3000);
    EXPECT_NE(ReportWindow(), nullptr);

    // Opening another file closes the old report.
    ASSERT_TRUE(w->LoadTextFile(Srt("clean.srt", 2)));
    EXPECT_EQ(ReportWindow(), nullptr);
}

TEST_F(MainWindowTest, UserInputDuringALoadCannotChangeTheDocument) {
    Make();
    Show();
    const QString path = Srt("doc.srt", 300);
    bool fired = false;
    // Runs while the reader lets window events run.
    QTimer::singleShot(0, w.get(), [&] {
        fired = true;
        EXPECT_TRUE(IsDocumentBusy());
        w->mnuNew_Click();
        w->mnuClose_Click();
        w->grdSubs_KeyDown(Qt::Key_Delete, Qt::NoModifier);
        w->close();
    });
    ASSERT_TRUE(w->LoadTextFile(path));
    EXPECT_TRUE(fired);
    EXPECT_EQ(gSubFile, path);
    EXPECT_EQ(CaptionCount(), 300);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowTest, OpenVideoUrlAndAudio) {
    Make();
    Show();
    dialogs.paths.push_back(WriteFile("clips/movie.avi", "RIFF"));
    w->mnuOpenVideo_Click();
    EXPECT_EQ(dialogs.calls[0].title, LangText(60).chopped(3));
    EXPECT_TRUE(dialogs.calls[0].filter.startsWith("All media types (*.mpeg *.mpg"));
    EXPECT_EQ(gVideoFile, TempPath("clips/movie.avi"));
    EXPECT_EQ(player->URL(), gVideoFile);
    EXPECT_TRUE(player->enabled());
    EXPECT_TRUE(w->picPLogo->isHidden());
    EXPECT_TRUE(w->tmrTime->isActive());
    EXPECT_EQ(ReadSetting(SettingKeys::VFileName), gVideoFile);
    EXPECT_EQ(ReadSetting(SettingKeys::LastFolder), TempPath("clips/"));
    EXPECT_TRUE(w->mnuClose->isEnabled());
    EXPECT_FALSE(w->mnuSave->isEnabled());

    // An address is played as it is, and is no folder to remember.
    dialogs.inputs.push_back(QStringLiteral("  http://example.org/talk.mp4 "));
    w->mnuOpenURL_Click();
    EXPECT_EQ(dialogs.calls[1].title, LangText(353).chopped(3));
    EXPECT_EQ(gVideoFile, "http://example.org/talk.mp4");
    EXPECT_EQ(player->URL(), gVideoFile);
    EXPECT_EQ(ReadSetting(SettingKeys::LastFolder), TempPath("clips/"));

    // A video that cannot be played is reported, and is neither in the info bar nor the
    // recent entry: that is still the last video that opened.
    msgbox.Answer(vbOK);
    player->FailMedia();
    EXPECT_EQ(msgbox.last().text, LangText(50));
    EXPECT_TRUE(gVideoFile.isEmpty());
    EXPECT_FALSE(w->lblVideoFile->text().contains("talk.mp4"));
    EXPECT_EQ(ReadSetting(SettingKeys::VFileName), TempPath("clips/movie.avi"));
    EXPECT_TRUE(w->mnuVFileName->text().contains("movie.avi"));
    EXPECT_FALSE(w->tmrTime->isActive());

    // Audio for the player replaces the video; a missing file is reported.
    const QString song = WriteFile("song.mp3", "ID3");
    dialogs.paths.push_back(song);
    w->showAudioChooser = [] { gAudioChoice = 2; };
    w->mnuOpenWav_Click();
    EXPECT_EQ(dialogs.calls[2].filter, ConvertFilter(AudioOpenFilter(2)));
    EXPECT_EQ(gAudioChoice, 2);
    EXPECT_EQ(gVideoFile, song);
    EXPECT_EQ(player->URL(), song);
    EXPECT_EQ(ReadSetting(SettingKeys::AFileName), song);
    msgbox.Answer(vbOK);
    w->LoadAudioFile(TempPath("gone.mp3"));
    EXPECT_EQ(msgbox.last().text, LangText(157, TempPath("gone.mp3")));
    EXPECT_EQ(gVideoFile, song);

    // The audio chooser, once connected, can cancel.
    w->showAudioChooser = [] { gAudioChoice = 0; };
    w->mnuOpenWav_Click();
    EXPECT_EQ(dialogs.calls.size(), 3);
}

TEST_F(MainWindowTest, AppendNeedsTheVideoAndMarksTheDocumentModified) {
    Make();
    ASSERT_TRUE(w->LoadTextFile(Srt("part1.srt", 2)));
    msgbox.Answer(vbOK);
    w->mnuAppend_Click();
    EXPECT_EQ(msgbox.last().text, LangText(73));
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
    EXPECT_TRUE(dialogs.calls.isEmpty());

    player->SetMediaLength(600);
    w->LoadVideoFile(WriteFile("part1.avi", "RIFF"));
    dialogs.paths.push_back(Srt("more/part2.srt", 2));
    msgbox.AcceptAll(); // the reader tells the offset it used
    w->mnuAppend_Click();
    ASSERT_EQ(CaptionCount(), 4);
    EXPECT_EQ(GetLineText(3), "caption 1");
    EXPECT_EQ(GetLineStart(3), 601000);
    EXPECT_TRUE(gModified);
    EXPECT_EQ(ReadSetting(SettingKeys::LastFolder), TempPath("more/"));
}

// --- New ---

TEST_F(MainWindowTest, NewAndNewFromClipboard) {
    Make();
    OpenModified(3);
    // Cancelled at the prompt: New from clipboard stops with the document as it was.
    QApplication::clipboard()->setText(QStringLiteral("one\ntwo\n\nthree"));
    msgbox.Answer(vbCancel);
    w->mnuNewClip_Click();
    EXPECT_EQ(CaptionCount(), 3);
    EXPECT_EQ(GetLineText(1), "edited");

    msgbox.Answer(vbNo);
    w->mnuNewClip_Click();
    EXPECT_EQ(gSubFile, "NEW");
    ASSERT_EQ(CaptionCount(), 3);
    EXPECT_EQ(GetLineText(3), "three");
    EXPECT_FALSE(IsLineTimed(1));
    EXPECT_EQ(gCurrentRow, 1);
    EXPECT_TRUE(gModified);

    // New empties the document and it starts unmodified.
    msgbox.Answer(vbNo);
    w->mnuNew_Click();
    EXPECT_EQ(CaptionCount(), 1);
    EXPECT_EQ(GetLineText(1), "");
    EXPECT_FALSE(gModified);
    EXPECT_TRUE(w->mnuSaveAs->isEnabled());

    // An empty clipboard adds nothing and leaves the new document unmodified.
    QApplication::clipboard()->setText(QStringLiteral("\n  \n"));
    w->mnuNewClip_Click();
    EXPECT_FALSE(gModified);
    w->mnuFile_Click();
    EXPECT_TRUE(w->mnuNewClip->isEnabled());
    QApplication::clipboard()->clear();
    w->mnuFile_Click();
    EXPECT_FALSE(w->mnuNewClip->isEnabled());
}

TEST_F(MainWindowTest, NewFromClipboardStaysWithin32000Captions) {
    Make();
    QStringList lines;
    for (int i = 1; i <= 40000; ++i)
        lines << QStringLiteral("line %1").arg(i);
    QApplication::clipboard()->setText(lines.join('\n'));
    w->mnuNewClip_Click();
    EXPECT_EQ(CaptionCount(), 32000);
    EXPECT_EQ(GetLineText(32000), "line 32000");
}

// --- Close all ---

TEST_F(MainWindowTest, CloseAllPutsTheWindowBackToNothingLoaded) {
    Make();
    Show();
    w->LoadVideoFile(WriteFile("movie.avi", "RIFF"));
    ASSERT_TRUE(w->LoadTextFile(Srt("doc.srt", 3)));
    EXPECT_TRUE(w->optManual->isEnabled());
    ShowReportWindow(w.get());
    w->mnuClose_Click();
    EXPECT_TRUE(gSubFile.isEmpty());
    EXPECT_TRUE(gVideoFile.isEmpty());
    EXPECT_FALSE(IsDocumentGrid());
    EXPECT_TRUE(player->URL().isEmpty());
    EXPECT_FALSE(player->enabled());
    EXPECT_FALSE(w->picPLogo->isHidden());
    EXPECT_FALSE(w->tmrTime->isActive());
    EXPECT_EQ(ReportWindow(), nullptr);
    EXPECT_FALSE(w->mnuClose->isEnabled());
    EXPECT_FALSE(w->mnuSave->isEnabled());
    EXPECT_FALSE(w->optManual->isEnabled());
    EXPECT_FALSE(w->cmdApply->isEnabled());
    EXPECT_EQ(w->lblTextFile->text(), LangText(22));
    EXPECT_EQ(w->lblVideoFile->text(), LangText(23));
    EXPECT_EQ(w->txtTime[0]->text(), "00:00:00,000");
}

TEST_F(MainWindowTest, CloseAllClearsTheTimeBoxesWhateverRowWasCurrent) {
    Make();
    Show();
    ASSERT_TRUE(w->LoadTextFile(Srt("doc.srt", 3)));
    SelectLine(2, false);
    ASSERT_EQ(w->txtTime[0]->text(), "00:00:02,000");
    w->mnuClose_Click();
    EXPECT_EQ(w->txtTime[0]->text(), "00:00:00,000");
    EXPECT_EQ(w->txtTime[1]->text(), "00:00:00,000");
}

// --- Recent files ---

TEST_F(MainWindowTest, RecentFilesShowWhatStillExistsAndOpenIt) {
    const QString sub = Srt("recent.srt", 2);
    WriteSetting(SettingKeys::TFileName, sub);
    WriteSetting(SettingKeys::VFileName, TempPath("gone.avi"));
    const QString cached = WriteFile("Temporary Internet Files/a.mp3", "x");
    WriteSetting(SettingKeys::AFileName, cached);
    Make();
    EXPECT_TRUE(w->mnuTFileName->isVisible());
    EXPECT_TRUE(w->mnuLine0b->isVisible());
    EXPECT_FALSE(w->mnuVFileName->isVisible());
    EXPECT_FALSE(w->mnuAFileName->isVisible());

    w->mnuTFileName_Click();
    EXPECT_EQ(gSubFile, sub);
    EXPECT_EQ(CaptionCount(), 2);

    // Nothing recent at all: neither the entries nor their separator.
    w.reset();
    for (const QString& key : {SettingKeys::TFileName, SettingKeys::VFileName, SettingKeys::AFileName})
        DeleteSetting(kMainSection, key);
    Make();
    EXPECT_FALSE(w->mnuTFileName->isVisible());
    EXPECT_FALSE(w->mnuLine0b->isVisible());
}

// --- Start, activation, options ---

TEST_F(MainWindowTest, TheCommandLineFileOpensOnceOnTheFirstActivation) {
    gCmdFile = Srt("my.videos/cmd.srt", 4);
    Make();
    EXPECT_TRUE(gSubFile.isEmpty()); // not before the window shows
    Show();
    ASSERT_TRUE(WaitFor([] { return !gSubFile.isEmpty(); }));
    EXPECT_EQ(gSubFile, TempPath("my.videos/cmd.srt"));
    EXPECT_TRUE(gCmdFile.isEmpty());
    EXPECT_EQ(CaptionCount(), 4);
}

TEST_F(MainWindowTest, ACommandLineVideoOrAudioGoesToThePlayer) {
    gCmdFile = WriteFile("my.srt.files/clip.avi", "RIFF");
    Make();
    Show();
    ASSERT_TRUE(WaitFor([] { return !gVideoFile.isEmpty(); }));
    EXPECT_EQ(player->URL(), TempPath("my.srt.files/clip.avi"));
    EXPECT_TRUE(gSubFile.isEmpty());

    w.reset();
    gVideoFile.clear();
    gCmdFile = WriteFile("tone.WAV", "RIFF");
    Make();
    Show();
    ASSERT_TRUE(WaitFor([] { return !gVideoFile.isEmpty(); }));
    EXPECT_EQ(gAudioChoice, 2);
    EXPECT_EQ(player->URL(), TempPath("tone.WAV"));
}

TEST_F(MainWindowTest, ActivationRunsOnReturnFromOurOwnWindowsOnly) {
    gSubMode = 1;
    Make();
    Show();
    ASSERT_TRUE(WaitFor([&] { return w->optManual->isChecked(); }));
    EXPECT_EQ(gTimingMode, 1);
    EXPECT_EQ(ReadSetting("M_SUBMODE"), "1");
    EXPECT_EQ(w->cmdApply->text(), LangText(40));

    // Another window of the program takes the focus and gives it back: the mode saved in the
    // settings is selected again.
    gSubMode = 2;
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    ASSERT_TRUE(WaitFor([&] { return w->optPreview->isChecked(); }));
    EXPECT_EQ(gTimingMode, 2);
    EXPECT_EQ(w->lblMode->text(), LangText(38));

    // Coming back from another application (no window of ours had the focus meanwhile) does
    // not run it.
    gSubMode = 0;
    Q_EMIT qApp->focusWindowChanged(nullptr);
    Q_EMIT qApp->focusWindowChanged(w->windowHandle());
    QApplication::processEvents(); // where a queued activation would run
    EXPECT_TRUE(w->optPreview->isChecked());

    // Choosing a mode makes it the one the next activation selects.
    w->optPress->setChecked(true);
    w->optPress_Click();
    EXPECT_EQ(gSubMode, 0);
    w->Form_Activate();
    EXPECT_TRUE(w->optPress->isChecked());
}

TEST_F(MainWindowTest, TheNewVersionButton) {
    Make();
    w->Form_Activate();
    EXPECT_TRUE(w->cmdUpdate->isHidden());
    WriteSetting(SettingKeys::CheckedVersion, AppVersionText());
    w->Form_Activate();
    EXPECT_TRUE(w->cmdUpdate->isHidden());
    WriteSetting(SettingKeys::CheckedVersion, "99.0.0");
    w->Form_Activate();
    EXPECT_FALSE(w->cmdUpdate->isHidden());

    msgbox.Answer(vbCancel).Answer(vbOK);
    w->cmdUpdate_Click();
    EXPECT_TRUE(shell.opened.isEmpty());
    w->cmdUpdate_Click();
    EXPECT_EQ(msgbox.last().text, LangText(295, "99.0.0") + "\n" + LangText(297));
    EXPECT_EQ(msgbox.last().buttons, vbOKCancel);
    EXPECT_EQ(shell.opened.size(), 1);
}

TEST_F(MainWindowTest, OptionsFromTheSettings) {
    gInfoBar = false;
    gAudioBar = false;
    gStretch = 1;
    gUIMode = QStringLiteral("mini");
    gLineBreak = QStringLiteral("<&>");
    WriteSetting(SettingKeys::WindowState, "0");
    WriteSetting(SettingKeys::WindowWidth, QString::number(100000 * gTwipsX));
    WriteSetting(SettingKeys::WindowHeight, QString::number(580 * gTwipsY));
    WriteSetting(SettingKeys::Volume, "40");
    Make();
    Show();
    EXPECT_EQ(w->picStatus->height(), 10);
    EXPECT_FALSE(w->mnuInfoBar->isChecked());
    EXPECT_TRUE(w->picAudio->isHidden());
    EXPECT_EQ(player->volume(), 40);
    EXPECT_TRUE(player->stretchToFit());
    EXPECT_EQ(player->uiMode(), "mini");
    EXPECT_FALSE(w->isMaximized());
    EXPECT_EQ(w->width(), w->screen()->size().width());
    EXPECT_EQ(w->height(), 580);
    EXPECT_TRUE(w->mnuSeparator[3]->isChecked());
    EXPECT_EQ(w->mnuSeparator[3]->text(), LangText(164, "<&&>"));

    // The info bar toggled on and off again is 8 pixels high.
    w->mnuInfoBar->trigger();
    EXPECT_TRUE(gInfoBar);
    EXPECT_TRUE(w->mnuInfoBar->isChecked());
    EXPECT_EQ(w->picStatus->height(), 56);
    w->mnuInfoBar->trigger();
    EXPECT_FALSE(gInfoBar);
    EXPECT_FALSE(w->mnuInfoBar->isChecked());
    EXPECT_EQ(w->picStatus->height(), 8);

    // A stored state of 1 keeps the designed size.
    w.reset();
    WriteSetting(SettingKeys::WindowState, "1");
    Make();
    EXPECT_FALSE(w->isMaximized());
    EXPECT_EQ(w->size(), QSize(900, 640));
}

TEST_F(MainWindowTest, TheWindowIsCaptionedFromTheUiTexts) {
    Make();
    EXPECT_EQ(w->windowTitle(), AppTitle());
    EXPECT_EQ(w->mnuFile->title(), LangText(0));
    EXPECT_EQ(w->mnuOpenText->text(), LangText(59));
    EXPECT_EQ(w->mnuFind->text(), LangText(138) + "...");
    EXPECT_EQ(w->mnuSeparator[0]->text(), LangText(163));
    EXPECT_EQ(w->mnuSeparator[1]->text(), "/n");
    EXPECT_EQ(w->rmnuAdd->text(), LangText(9));
    EXPECT_EQ(w->lblPosition->text(), LangText(149));
    EXPECT_EQ(w->lblTextFile->text(), LangText(22));

    // Another language re-captions menus, buttons, labels and the grid headers, not the captions.
    ASSERT_TRUE(w->LoadTextFile(Srt("doc.srt", 2)));
    for (int k : {0, 17, 40, 41, 138, 149, 360})
        gLang[size_t(k)] = QStringLiteral("T%1").arg(k);
    gDurationMode = 1;
    gApplyWhen = 2;
    w->ApplyLanguageToMain();
    EXPECT_EQ(w->mnuFile->title(), "T0");
    EXPECT_EQ(w->mnuNew->text(), "T17");
    EXPECT_EQ(w->mnuFind->text(), "T138...");
    EXPECT_EQ(w->cmdNext->text(), "T41");
    EXPECT_EQ(w->lblPosition->text(), "T149");
    EXPECT_EQ(grdSubs().TextMatrix(0, kColStart), "T40");
    EXPECT_EQ(grdSubs().TextMatrix(0, kColText), "T360");
    EXPECT_EQ(GetLineText(2), "caption 2");
    EXPECT_EQ(w->optPress->text(), LangText(33) + " [auto]");

    // The timing button keeps the caption its mode gave it (the settings dialog re-captions the
    // window each time it opens): preview mode's is "Apply", as when the mode was chosen.
    // (The options are disabled without a video: the handlers are run as a click would.)
    struct Mode {
        QRadioButton* option;
        void (frmMain::*click)();
        int text;
    };
    const Mode modes[] = {{w->optManual, &frmMain::optManual_Click, 40},
                          {w->optPreview, &frmMain::optPreview_Click, 39},
                          {w->optPress, &frmMain::optPress_Click, 39}};
    for (const auto& [option, click, text] : modes) {
        option->setChecked(true);
        (w.get()->*click)();
        ASSERT_EQ(w->cmdApply->text(), LangText(text)) << text;
        w->ApplyLanguageToMain();
        EXPECT_EQ(w->cmdApply->text(), LangText(text)) << text;
    }
}

TEST_F(MainWindowTest, ToolsRulesAndTheReport) {
    Make();
    ASSERT_TRUE(w->LoadTextFile(Srt("doc.srt", 3)));
    msgbox.Answer(vbOK);
    w->mnuRules->trigger();
    EXPECT_EQ(msgbox.count(), 1);
    EXPECT_EQ(ReportWindow(), nullptr);
    w->mnuReport->trigger();
    EXPECT_NE(ReportWindow(), nullptr);
}

TEST_F(MainWindowTest, AVideoTheRealPlayerCannotPlayIsReportedOnce) {
    w = std::make_unique<frmMain>(); // with its own Qt player
    w->Form_Load();
    msgbox.Answer(vbOK);
    w->LoadVideoFile(WriteFile("broken.avi", "not a video at all"));
    // Qt tells of such media twice in the same turn of the event loop (an error, then the
    // media found invalid), and may add errors from the stream.
    ASSERT_TRUE(WaitFor([&] { return msgbox.count() >= 1; }));
    EXPECT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, LangText(50));
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
    EXPECT_EQ(w->WMP->playState(), kPlayStateStopped);
    EXPECT_TRUE(gVideoFile.isEmpty());
    EXPECT_FALSE(w->mnuVFileName->isVisible());
    EXPECT_EQ(ReadSetting(SettingKeys::VFileName, "none"), "none");
}

TEST_F(MainWindowTest, AMissingOrEmptyVideoIsSaidSoAndNotOpened) {
    Make();
    const QString good = WriteFile("good.avi", "RIFF");
    w->LoadVideoFile(good);
    const struct {
        QString path;
        QString message;
    } cases[] = {
        {TempPath("missing.avi"), LangText(157, TempPath("missing.avi"))},
        {WriteFile("empty.avi", ""), "The file " + TempPath("empty.avi") + " is empty."},
        {TempPath(""), LangText(157, TempPath(""))}, // a folder is no video either
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.path));
        msgbox.Answer(vbOK);
        w->LoadVideoFile(c.path);
        EXPECT_EQ(msgbox.last().text, c.message);
        EXPECT_EQ(msgbox.last().icon, vbCritical);
        EXPECT_EQ(gVideoFile, good);
        EXPECT_EQ(player->URL(), good);
        EXPECT_EQ(ReadSetting(SettingKeys::VFileName), good);
    }
}
