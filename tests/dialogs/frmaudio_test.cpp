// The audio target chooser: presets from the stored mode, the boxes, OK and Cancel, and the
// real modal dialog in front of Open audio.
#include "base/settings.h"
#include "base/settingsstore.h"
#include "dialogs/frmAudio.h"
#include "document/mediastate.h"
#include "language/lang.h"
#include "support/fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class AudioChooserTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLangIndex = 0;
        LoadLanguageStrings();
    }
};

TEST_F(AudioChooserTest, TheStoredModePresetsTheBoxes) {
    struct Case {
        const char* stored; // nullptr: never stored
        bool audio, player;
        const char* formats;
    };
    const Case cases[] = {
        {nullptr, true, false, "WAV (PCM)"},
        {"1", true, false, "WAV (PCM)"},
        {"2", false, true, "WAV, MP3, SND, AU, AIF, WMA"},
        {"3", true, true, "WAV (PCM)"},
        {" 2.0", false, true, "WAV, MP3, SND, AU, AIF, WMA"},
        // Outside what the boxes can show: the default.
        {"0", true, false, "WAV (PCM)"},
        {"7", true, false, "WAV (PCM)"},
        {"255", true, false, "WAV (PCM)"},
        {"-1", true, false, "WAV (PCM)"},
        {"player", true, false, "WAV (PCM)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        if (c.stored) WriteSetting(SettingKeys::AudioMode, QString::fromLatin1(c.stored));
        frmAudio dlg;
        dlg.Form_Load();
        EXPECT_EQ(dlg.chkAudio->isChecked(), c.audio);
        EXPECT_EQ(dlg.chkPlayer->isChecked(), c.player);
        EXPECT_EQ(dlg.lblFormats->text(), LangText(418) + QLatin1Char('\n') + QLatin1String(c.formats));
        EXPECT_TRUE(dlg.cmdOK->isEnabled());
    }
    frmAudio dlg;
    dlg.Form_Load();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Open audio file"));
    EXPECT_EQ(dlg.chkAudio->text(), LangText(356));
    EXPECT_EQ(dlg.chkPlayer->text(), LangText(417));
    EXPECT_EQ(dlg.lblTop->text(), LangText(416));
}

TEST_F(AudioChooserTest, BoxesMakeTheModeAndOkRemembersIt) {
    frmAudio dlg;
    dlg.Form_Load();
    // Both: the bar reads PCM WAV only.
    QTest::mouseClick(dlg.chkPlayer, Qt::LeftButton);
    EXPECT_EQ(dlg.Mode(), 3);
    EXPECT_TRUE(dlg.lblFormats->text().endsWith(QLatin1String("WAV (PCM)")));
    // Neither: "N/A" and no way out but Cancel.
    QTest::mouseClick(dlg.chkAudio, Qt::LeftButton);
    QTest::mouseClick(dlg.chkPlayer, Qt::LeftButton);
    EXPECT_EQ(dlg.Mode(), 0);
    EXPECT_TRUE(dlg.lblFormats->text().endsWith(QLatin1String("N/A")));
    EXPECT_FALSE(dlg.cmdOK->isEnabled());
    dlg.cmdOK_Click();
    EXPECT_EQ(gAudioChoice, 0);
    EXPECT_TRUE(ReadSetting(SettingKeys::AudioMode).isEmpty());

    QTest::mouseClick(dlg.chkPlayer, Qt::LeftButton);
    EXPECT_EQ(dlg.Mode(), 2);
    dlg.cmdOK->click();
    EXPECT_EQ(gAudioChoice, 2);
    EXPECT_EQ(ReadSetting(SettingKeys::AudioMode), QStringLiteral("2"));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(AudioChooserTest, ShownModalOkAndCancelDecideTheChoice) {
    WriteSetting(SettingKeys::AudioMode, QStringLiteral("3"));
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok);
        gAudioChoice = 9;
        QTimer::singleShot(0, [ok] {
            auto* dlg = qobject_cast<frmAudio*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            if (ok)
                QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
            else
                QTest::keyClick(dlg, Qt::Key_Escape);
        });
        ShowAudioChooser(nullptr);
        EXPECT_EQ(gAudioChoice, ok ? 3 : 0);
    }
}

} // namespace
