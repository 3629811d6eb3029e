// The audio extraction wizard driven through its buttons, with the fake tool in the tool folder.
#include "language/lang.h"
#include "tools/ui/frmAudioWizard.h"
#include "wizard_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

class AudioWizardTest : public WizardFixture {
protected:
    void SetUp() override {
        WizardFixture::SetUp();
        OpenFiles();
        target = TempPath("media/clip.wav");
    }
    void TearDown() override {
        wiz.reset();
        WizardFixture::TearDown();
    }
    frmAudioWizard* Open() {
        wiz = std::make_unique<frmAudioWizard>(w.get());
        wiz->show();
        return wiz.get();
    }
    void Next() { QTest::mouseClick(wiz->cmdNext, Qt::LeftButton); }
    // Pages 0 to 3 with their defaults; the last Next starts the work.
    void RunThrough() {
        for (int i = 0; i < 4; ++i)
            Next();
    }
    QList<int> Tasks() const { return {wiz->TaskStateOf(0), wiz->TaskStateOf(1), wiz->TaskStateOf(2)}; }
    QStringList ScriptLines() const {
        return QString::fromLatin1(ReadFileBytes(gTempDir + "aext.vcf")).split("\r\n", Qt::SkipEmptyParts);
    }

    std::unique_ptr<frmAudioWizard> wiz;
    QString target;
};

} // namespace

TEST_F(AudioWizardTest, AWavRunExtractsThroughTheToolAndHandsTheFileOn) {
    Open();
    EXPECT_EQ(Tasks(), (QList<int>{kTaskIdle, kTaskIdle, kTaskIdle}));
    Next();
    wiz->cmbSampleRate->setCurrentText("22050");
    RunThrough();
    ASSERT_EQ(wiz->m_Step, 4);
    EXPECT_EQ(Tasks(), (QList<int>{kTaskDone, kTaskDone, kTaskDone}));
    EXPECT_EQ(ScriptLines(),
              (QStringList{"VirtualDub.Open(\"" + video + "\",0,0);", "VirtualDub.audio.SetMode(1);",
                           "VirtualDub.audio.SetConversion(22050,0,0);",
                           "VirtualDub.SaveWAV(\"" + target + "\");"}));
    EXPECT_EQ(ToolArgs(ToolLog()), (QStringList{"/s", gTempDir + "aext.vcf", "/x"}));
    EXPECT_TRUE(ReadFileBytes(target).startsWith("RIFF"));
    EXPECT_EQ(gExtractedWav, target);
    EXPECT_EQ(wiz->lblStep5->text(), LangText(466));
    EXPECT_EQ(wiz->lblStep5b->text(), LangText(467) + "\r\n\r\n" + target);
    EXPECT_EQ(wiz->cmdNext->text(), LangText(53));
    EXPECT_FALSE(wiz->cmdCancel->isEnabled());
    Next();
    EXPECT_FALSE(wiz->isVisible());
}

TEST_F(AudioWizardTest, KeepingTheSourceFormatGivesNothingToTheAudioBar) {
    Open();
    wiz->optOriginal->click();
    EXPECT_FALSE(wiz->chkAudioBar->isEnabled());
    EXPECT_TRUE(wiz->chkAudioBar->isChecked());
    Next();
    EXPECT_FALSE(wiz->cmbSampleRate->isEnabled());
    Next();
    Next();
    Next();
    EXPECT_EQ(Tasks(), (QList<int>{kTaskDone, kTaskDone, kTaskDone}));
    EXPECT_EQ(ScriptLines().size(), 2);
    EXPECT_TRUE(gExtractedWav.isEmpty());
}

TEST_F(AudioWizardTest, OnlyAFileThisRunWroteCountsAsSuccess) {
    // Replacing the old file was agreed to when it was chosen, so Next does not ask and does not
    // remove it: it stays until the run.
    WriteFile("media/clip.wav", "old");
    EnvVar mode("SCRIVELLE_FAKETOOL_MODE", "none");
    Open();
    Next();
    Next();
    Next();
    dialogs.paths.push_back(target);
    msgbox.Answer(vbYes);
    QTest::mouseClick(wiz->cmdSave, Qt::LeftButton);
    Next();
    EXPECT_EQ(msgbox.count(), 1);
    EXPECT_EQ(Tasks(), (QList<int>{kTaskDone, kTaskDone, kTaskFailed}));
    EXPECT_EQ(wiz->lblStep5->text(), LangText(463));
    EXPECT_EQ(wiz->lblStep5b->text(), LangText(464));
    EXPECT_TRUE(gExtractedWav.isEmpty());
    EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(AudioWizardTest, AReplacedFileIsRemovedBeforeTheToolStarts) {
    WriteFile("media/clip.wav", "old");
    EnvVar mode("SCRIVELLE_FAKETOOL_MODE", "fail");
    Open();
    Next();
    Next();
    Next();
    msgbox.Answer(vbYes);
    Next();
    EXPECT_EQ(msgbox.last().text, LangText(414, target));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(Tasks(), (QList<int>{kTaskDone, kTaskDone, kTaskFailed}));
}

TEST_F(AudioWizardTest, AToolThatCannotStartFailsTheStartTask) {
    BreakTool();
    Open();
    RunThrough();
    EXPECT_EQ(Tasks(), (QList<int>{kTaskDone, kTaskFailed, kTaskIdle}));
    EXPECT_EQ(wiz->lblStep5b->text(), LangText(462) + "\r\n" + toolFolder + "VirtualDub.exe");
    EXPECT_EQ(wiz->cmdNext->text(), LangText(53));
}

TEST_F(AudioWizardTest, AMissingSourceVideoIsFoundBeforeAnythingIsReplaced) {
    WriteFile("media/clip.wav", "old");
    QFile::remove(video);
    Open();
    Next();
    Next();
    Next();
    msgbox.Answer(vbOK);
    Next();
    EXPECT_TRUE(msgbox.last().text.startsWith(LangText(406)));
    EXPECT_EQ(wiz->m_Step, 3);
    EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(AudioWizardTest, PagesRefuseAMissingToolAndABadTarget) {
    Open();
    Next();
    Next();
    wiz->m_ToolExe = TempPath("nowhere/VirtualDub.exe");
    msgbox.Answer(vbOK);
    Next();
    EXPECT_EQ(msgbox.last().text, "The file " + wiz->m_ToolExe + " was not found, please correct the path.");
    EXPECT_EQ(wiz->m_Step, 2);
    wiz->m_ToolExe = toolFolder + "VirtualDub.exe";
    Next();
    for (const QString& bad : {video, TempPath("nowhere/a.wav"), TempPath("media/a\"b.wav"), QString()}) {
        wiz->txtSave->setText(bad);
        msgbox.Answer(vbOK);
        Next();
        EXPECT_EQ(wiz->m_Step, 3) << bad.toStdString();
    }
    EXPECT_TRUE(ReadFileBytes(video).startsWith("RIFF"));
}

TEST_F(AudioWizardTest, CancellingTheWaitLeavesTheToolRunning) {
    EnvVar mode("SCRIVELLE_FAKETOOL_MODE", "hang");
    Open();
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (wiz->cmdCancel->isEnabled() && ReadFileBytes(TempPath("tool.log")).contains("script-end")) {
            cancel.stop();
            QTest::mouseClick(wiz->cmdCancel, Qt::LeftButton);
        }
    });
    cancel.start(20);
    RunThrough(); // returns once the wait has been given up
    EXPECT_TRUE(wiz->m_Cancelled);
    EXPECT_FALSE(wiz->isVisible());
    EXPECT_EQ(Tasks(), (QList<int>{kTaskDone, kTaskRunning, kTaskIdle}));
    qint64 pid = 0;
    for (const QString& line : ToolLog())
        if (line.startsWith("pid ")) pid = line.mid(4).toLongLong();
    EXPECT_TRUE(IsRunningFakeTool(pid));
    EndFakeTool(pid);
}

TEST_F(AudioWizardTest, TheMenuCommandRefusesOtherVideosAndLoadsTheWavOntoTheAudioBar) {
    struct Case {
        QString video;
        int text;
    } cases[] = {{QString(), 438}, {TempPath("media/clip.mkv"), 366}};
    for (const Case& c : cases) {
        gVideoFile = c.video;
        msgbox.Answer(vbOK);
        w->mnuAudioExtract->trigger();
        EXPECT_EQ(msgbox.last().text, LangText(c.text));
        EXPECT_EQ(msgbox.last().title, LangText(437));
    }

    // ".MPEG" ends in "peg": accepted.
    gVideoFile = WriteFile("media/clip.MPEG", "x");
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* shown = qobject_cast<frmAudioWizard*>(QApplication::activeModalWidget())) {
            opened = true;
            shown->close();
        }
    });
    w->mnuAudioExtract->trigger();
    EXPECT_TRUE(opened);

    // A run that closes by itself hands its WAV to the audio bar.
    gVideoFile = video;
    player->play();
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<frmAudioWizard*>(QApplication::activeModalWidget());
        if (!shown) return;
        shown->chkClose->setChecked(true);
        for (int i = 0; i < 4 && shown->isVisible(); ++i)
            QTest::mouseClick(shown->cmdNext, Qt::LeftButton);
    });
    w->mnuAudioExtract->trigger();
    EXPECT_EQ(player->playState(), kPlayStatePaused);
    EXPECT_EQ(gExtractedWav, target);
    EXPECT_EQ(gAudioChoice, 1);
    EXPECT_EQ(ReadSetting(SettingKeys::AFileName), target);
    EXPECT_EQ(gVideoFile, video); // the audio bar only: the video stays in the player
}
