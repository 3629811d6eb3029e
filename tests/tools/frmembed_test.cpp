// The burn-in wizard driven through its buttons, with the fake tool in the tool folder.
#include "document/captions.h"
#include "formats/reader.h"
#include "language/lang.h"
#include "platform/RegistryAccess.h"
#include "tools/jobscript.h"
#include "tools/ui/frmEmbed.h"
#include "wizard_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

class EmbedTest : public WizardFixture {
protected:
    frmEmbed* Open() {
        frmEmbed* dlg = ShowEmbedWindow(w.get());
        EXPECT_EQ(dlg->m_Step, 0);
        return dlg;
    }
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static void LeaveBox(QLineEdit* box) {
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(box, &out);
    }
    static void Choose(QComboBox* combo, int index) {
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    // From page 0 to the ready page; false when a page stayed.
    static bool ToReadyPage(frmEmbed* dlg) {
        for (int step = dlg->m_Step; step < 3; ++step) {
            Click(dlg->cmdNext);
            if (dlg->m_Step != step + 1) return false;
        }
        return true;
    }
    QStringList ScriptLines() const {
        return QString::fromLatin1(ReadFileBytes(gTempDir + "embedsub.vcf"))
            .split("\r\n", Qt::SkipEmptyParts);
    }
};

} // namespace

TEST_F(EmbedTest, CanEmbedRefusesWhatCannotBeBurntIn) {
    const QString upper = WriteFile("media/MOVIE.SSA", "x");
    const QString ass = WriteFile("media/clip.ass", "x");
    const QString wav = WriteFile("media/clip.WAV", "x");
    struct Case {
        QString sub;
        QString video;
        int text; // 0: accepted
    } cases[] = {
        {subtitle, video, 0},
        {upper, video, 0},
        {QString(), video, 363},
        {QStringLiteral("NEW"), video, 364},
        {ass, video, 364},
        {subtitle, QString(), 365},
        {subtitle, wav, 365},
        {subtitle, TempPath("media/gone.avi"), 406},
        {TempPath("media/gone.ssa"), video, 406},
    };
    for (const Case& c : cases) {
        gSubFile = c.sub;
        gVideoFile = c.video;
        msgbox.AcceptAll();
        const int before = msgbox.count();
        EXPECT_EQ(CanEmbed(), c.text == 0) << c.sub.toStdString() << " + " << c.video.toStdString();
        if (c.text == 0) {
            EXPECT_EQ(msgbox.count(), before);
        } else {
            ASSERT_EQ(msgbox.count(), before + 1);
            EXPECT_TRUE(msgbox.last().text.startsWith(LangText(c.text)));
            EXPECT_EQ(msgbox.last().title, LangText(362));
        }
    }
}

TEST_F(EmbedTest, TheMenuCommandOpensOneModelessWizard) {
    OpenFiles();
    w->mnuEmbed->trigger();
    frmEmbed* first = EmbedWindow();
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(first->txtSave->text(), TempPath("media/clip[sub].avi"));
    w->mnuEmbed->trigger();
    EXPECT_NE(EmbedWindow(), first);
}

TEST_F(EmbedTest, TheCodecIsFoundInTheSystemFolderOrBesideTheTool) {
    OpenFiles();
    QFile::remove(gSysDir + kCodecLibrary);
    w->mnuEmbed->trigger();
    frmEmbed* wizard = EmbedWindow();
    ASSERT_TRUE(wizard);
    msgbox.Answer(vbNo);
    wizard->cmdNext_Click();
    EXPECT_EQ(wizard->m_Step, 0);
    EXPECT_EQ(msgbox.shown().back().text, LangText(404));
    WriteFile("vd/xvidvfw.dll", "codec");
    wizard->cmdNext_Click();
    EXPECT_EQ(wizard->m_Step, 1);
}

TEST_F(EmbedTest, SizeBoxesTakeDigitsOnlyAndKeepAClampedSize) {
    OpenFiles();
    frmEmbed* dlg = Open();
    EXPECT_FALSE(dlg->txtWidth->isEnabled());
    EXPECT_FALSE(dlg->cmbMode->isEnabled());
    Choose(dlg->cmbResolution, 9);
    ASSERT_TRUE(dlg->txtWidth->isEnabled());
    EXPECT_TRUE(dlg->cmbMode->isEnabled());
    // Custom right after opening keeps the boxes' first sizes.
    EXPECT_EQ(dlg->txtWidth->text(), "352");
    EXPECT_EQ(dlg->txtHeight->text(), "288");

    struct Case {
        const char* typed;
        const char* shown;
        const char* kept;
    } cases[] = {
        {"1x2;", "12", "32"},   {"0640", "0640", "640"}, {"30000", "3000", "2048"},
        {"100;", "100", "100"}, {"", "", "32"},
    };
    for (const Case& c : cases) {
        dlg->txtWidth->clear();
        QTest::keyClicks(dlg->txtWidth, QString::fromLatin1(c.typed));
        EXPECT_EQ(dlg->txtWidth->text(), c.shown) << c.typed;
        LeaveBox(dlg->txtWidth);
        EXPECT_EQ(dlg->txtWidth->text(), c.kept) << c.typed;
    }
    // Backspace edits like anywhere else.
    QTest::keyClick(dlg->txtWidth, Qt::Key_End);
    QTest::keyClick(dlg->txtWidth, Qt::Key_Backspace);
    EXPECT_EQ(dlg->txtWidth->text(), "3");

    // Each preset writes its own size, the same English text in every language; the first and
    // the last item leave the boxes as they are.
    const struct {
        int item;
        const char* text;
        const char* width;
        const char* height;
    } presets[] = {
        {1, "352x240 - VCD NTSC", "352", "240"},  {2, "352x288 - VCD PAL", "352", "288"},
        {3, "480x480 - SVCD NTSC", "480", "480"}, {4, "480x576 - SVCD PAL", "480", "576"},
        {5, "704x480 - DVD NTSC", "704", "480"},  {6, "704x576 - DVD PAL", "704", "576"},
        {7, "640x480 - VGA 4:3", "640", "480"},   {8, "1024x768 - XGA 4:3", "1024", "768"},
        {0, nullptr, "1024", "768"},              {9, nullptr, "1024", "768"},
    };
    ASSERT_EQ(dlg->cmbResolution->count(), 10);
    for (const auto& p : presets) {
        Choose(dlg->cmbResolution, p.item);
        if (p.text) {
            EXPECT_EQ(dlg->cmbResolution->itemText(p.item), p.text);
        }
        EXPECT_EQ(dlg->txtWidth->text(), p.width) << p.item;
        EXPECT_EQ(dlg->txtHeight->text(), p.height) << p.item;
        EXPECT_EQ(dlg->txtWidth->isEnabled(), p.item == 9) << p.item;
    }
}

TEST_F(EmbedTest, PreviewNeedsAMediaLengthOfTwoMinutes) {
    struct Case {
        double seconds;
        int text;    // the message, 0 none
        int maximum; // the slider's maximum when accepted
    } cases[] = {{119, 400, 0}, {120, 0, 2}, {179, 0, 2}, {600, 0, 10}};
    OpenFiles();
    for (const Case& c : cases) {
        player->SetMediaLength(c.seconds);
        frmEmbed* dlg = Open();
        if (c.text) msgbox.Answer(vbOK);
        dlg->chkPreview->click();
        EXPECT_EQ(dlg->chkPreview->isChecked(), c.text == 0) << c.seconds;
        EXPECT_EQ(dlg->sldPreview->isEnabled(), c.text == 0);
        if (c.text) {
            ASSERT_GT(msgbox.count(), 0);
            EXPECT_EQ(msgbox.last().text, LangText(c.text));
        } else {
            EXPECT_EQ(dlg->sldPreview->maximum(), c.maximum);
            dlg->sldPreview->setValue(2);
            EXPECT_EQ(dlg->lblPreview->text(), "2 " + LangText(173));
        }
        UnloadEmbedWindow();
    }
    // A player that cannot tell the length.
    w->WMP->setURL(QString());
    frmEmbed* dlg = Open();
    msgbox.Answer(vbOK);
    dlg->chkPreview->click();
    EXPECT_EQ(msgbox.last().text, LangText(399));
    EXPECT_FALSE(dlg->chkPreview->isChecked());
}

TEST_F(EmbedTest, ARunStartsTheToolWithTheScriptAndOnlyThenClosesTheEditorsFiles) {
    OpenFiles(150);
    gModified = true;
    frmEmbed* dlg = Open();
    dlg->chkPreview->click();
    dlg->sldPreview->setValue(2);
    Choose(dlg->cmbResolution, 7);
    Choose(dlg->cmbMode, 2);
    ASSERT_TRUE(ToReadyPage(dlg));
    EXPECT_EQ(dlg->cmdNext->text(), LangText(66));
    EXPECT_EQ(dlg->txtTFileName->text(), subtitle);
    EXPECT_TRUE(dlg->lblNotice->isVisibleTo(dlg)); // an AVI: the audio notice shows
    const QStringList script = ScriptLines();
    ASSERT_EQ(script.size(), 25);
    EXPECT_EQ(script[17], "VirtualDub.video.SetRange(0,30000);");
    EXPECT_EQ(script[22], "VirtualDub.video.filters.instance[1].Config(640,480,2);");
    const QString target = TempPath("media/clip[sub].avi");
    EXPECT_EQ(script[23], "VirtualDub.SaveAVI(\"" + target + "\");");

    // The unsaved edits are asked about; Cancel leaves everything as it is.
    msgbox.Answer(vbCancel);
    Click(dlg->cmdNext);
    EXPECT_EQ(EmbedWindow(), dlg);
    EXPECT_EQ(gSubFile, subtitle);
    EXPECT_FALSE(QFile::exists(TempPath("tool.log")));
    EXPECT_EQ(gReg.ReadDWORD(kToolPreferencesKey, kToolStatusWindowValue, 0), 0);

    msgbox.Answer(vbNo);
    Click(dlg->cmdNext);
    const QStringList log = ToolLog();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(ToolArgs(log), (QStringList{"/s", gTempDir + "embedsub.vcf", "/x"}));
    EXPECT_TRUE(log.contains("cwd " + toolFolder.chopped(1)));
    EXPECT_TRUE(ReadFileBytes(TempPath("tool.log"))
                    .contains("script-begin\n" + ReadFileBytes(gTempDir + "embedsub.vcf")));
    EXPECT_EQ(gReg.ReadDWORD(kToolPreferencesKey, kToolStatusWindowValue, 0), 1);
    EXPECT_TRUE(WaitFor([&] { return QFile::exists(target); }));
    // The tool has the files: the editor let go of them, and the wizard is gone.
    EXPECT_TRUE(gSubFile.isEmpty());
    EXPECT_TRUE(gVideoFile.isEmpty());
    EXPECT_FALSE(gModified);
    EXPECT_TRUE(WaitFor([] { return EmbedWindow() == nullptr; }));
}

// Saving before the run may have to go through Save as (the file lost something on reading): the
// wizard that asked stays open through it, and burns in the file just saved.
TEST_F(EmbedTest, ASaveAsBeforeTheRunKeepsTheWizardAndBurnsInTheFileSaved) {
    OpenFiles(150);
    gModified = true;
    gImportLeftOut = true;
    frmEmbed* dlg = Open();
    ASSERT_TRUE(ToReadyPage(dlg));
    w->showExportDialog = [] { return true; };
    const QString saved = TempPath("media/saved.ssa");
    dialogs.paths.push_back(saved);
    msgbox.Answer(vbYes);
    Click(dlg->cmdNext);
    ASSERT_TRUE(QFile::exists(saved));
    const QStringList log = ToolLog();
    ASSERT_FALSE(log.isEmpty()) << "the wizard closed instead of running the tool";
    EXPECT_TRUE(ReadFileBytes(gTempDir + "embedsub.vcf").contains(saved.toUtf8()));
    EXPECT_TRUE(WaitFor([] { return EmbedWindow() == nullptr; }));
}

TEST_F(EmbedTest, AFailedStartLeavesTheEditorAsItWas) {
    OpenFiles();
    frmEmbed* dlg = Open();
    ASSERT_TRUE(ToReadyPage(dlg));
    BreakTool();
    msgbox.Answer(vbOK);
    Click(dlg->cmdNext);
    EXPECT_EQ(msgbox.last().text, LangText(462) + "\r\n\r\n" + toolFolder + "VirtualDub.exe");
    EXPECT_EQ(gSubFile, subtitle);
    EXPECT_EQ(gVideoFile, video);
    EXPECT_EQ(w->WMP->URL(), video);
    EXPECT_EQ(CaptionCount(), 2);
}

TEST_F(EmbedTest, TheOutputFileIsCheckedBeforeTheScriptIsWritten) {
    OpenFiles();
    const QString existing = WriteFile("out/old.avi", "old");
    struct Case {
        QString typed;
        bool viaDialog; // chosen through the save dialog first
        int answer;     // to the question that comes, 0 when a refusal comes
        bool advances;
    } cases[] = {
        {existing, false, vbNo, false},
        {existing, false, vbYes, true},
        {TempPath("media/clip.ssa"), false, 0, false},
        {TempPath("media/clip.avi"), false, 0, false},
        {TempPath("nowhere/x.avi"), false, 0, false},
        {QString(), false, 0, false},
        {TempPath("out/a\"b.avi"), false, 0, false},
        {TempPath("out/a\nb.avi"), false, 0, false},
        {existing, true, -1, true}, // asked already when it was chosen
    };
    for (const Case& c : cases) {
        frmEmbed* dlg = Open();
        Click(dlg->cmdNext);
        Click(dlg->cmdNext);
        ASSERT_EQ(dlg->m_Step, 2);
        if (c.viaDialog) {
            dialogs.paths.push_back(c.typed);
            msgbox.Answer(vbYes);
            Click(dlg->cmdSave);
        } else {
            // A line break cannot be typed, only pasted.
            dlg->txtSave->selectAll();
            if (!c.typed.contains('\n')) QTest::keyClicks(dlg->txtSave, c.typed);
            dlg->txtSave->setText(c.typed);
        }
        const int shown = msgbox.count();
        if (c.answer >= 0) msgbox.Answer(c.answer ? c.answer : vbOK);
        Click(dlg->cmdNext);
        EXPECT_EQ(msgbox.count(), shown + (c.answer >= 0 ? 1 : 0)) << c.typed.toStdString();
        EXPECT_EQ(dlg->m_Step, c.advances ? 3 : 2) << c.typed.toStdString();
        EXPECT_EQ(QFile::exists(gTempDir + "embedsub.vcf"), c.advances);
        UnloadEmbedWindow();
    }

    // A name typed after the save dialog was used is asked about again.
    frmEmbed* dlg = Open();
    Click(dlg->cmdNext);
    Click(dlg->cmdNext);
    dialogs.paths.push_back(TempPath("out/new.avi"));
    Click(dlg->cmdSave);
    dlg->txtSave->selectAll();
    QTest::keyClicks(dlg->txtSave, existing);
    msgbox.Answer(vbNo);
    Click(dlg->cmdNext);
    EXPECT_EQ(msgbox.last().text, LangText(414, existing));
    EXPECT_EQ(dlg->m_Step, 2);
}

TEST_F(EmbedTest, TheScriptIsWrittenOnEveryEntryToTheReadyPageAndAFailureKeepsThePage) {
    OpenFiles(150);
    WriteFile("scratch/embedsub.vcf", "stale");
    frmEmbed* dlg = Open();
    EXPECT_FALSE(QFile::exists(gTempDir + "embedsub.vcf")); // a stale script goes at once
    ASSERT_TRUE(ToReadyPage(dlg));
    EXPECT_EQ(ScriptLines().size(), 22);

    Click(dlg->cmdBack);
    Click(dlg->cmdBack);
    Click(dlg->cmdBack);
    ASSERT_EQ(dlg->m_Step, 0);
    EXPECT_EQ(dlg->lblTop2->text(), LangText(367));
    dlg->chkPreview->click();
    ASSERT_TRUE(ToReadyPage(dlg));
    EXPECT_EQ(ScriptLines().size(), 23);

    // The media's length is asked again: unknown now, so no script and no ready page.
    Click(dlg->cmdBack);
    w->WMP->setURL(QString());
    msgbox.Answer(vbOK);
    Click(dlg->cmdNext);
    EXPECT_EQ(msgbox.last().text, LangText(399));
    EXPECT_EQ(dlg->m_Step, 2);
    EXPECT_FALSE(QFile::exists(gTempDir + "embedsub.vcf"));

    // A script that cannot be written is reported; the wizard goes on working.
    dlg->chkPreview->click(); // off again (the page is hidden, the box is not)
    dlg->chkPreview->setChecked(false);
    WriteFile("blocked", "x");
    dlg->m_ScriptPath = TempPath("blocked/embedsub.vcf");
    msgbox.Answer(vbOK);
    Click(dlg->cmdNext);
    EXPECT_TRUE(msgbox.last().text.startsWith("Failed to create script file:\r\n\r\n" + dlg->m_ScriptPath));
    EXPECT_EQ(dlg->m_Step, 2);
}
