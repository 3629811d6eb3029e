#include "base/processstate.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "dialogs/frmSettings.h"
#include "fixture.h"
#include "language/lang.h"
#include "platform/RegistryAccess.h"
#include "platform/SubtitleFilter.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

TEST(SettingsRules, CreditKeywordsAndSeconds) {
    const std::pair<const char*, const char*> credits[] = {
        {",a,,b,c,", "a,b,c"}, {"a,,,b", "a,,b"}, {" , ", ""}, {"@,http,www", "@,http,www"}, {",,", ""}};
    for (auto [in, out] : credits)
        EXPECT_EQ(NormalizeCreditsText(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
    const std::pair<const char*, int> seconds[] = {
        {"0", 2}, {"", 2}, {"1000", 600}, {"45", 45}, {"600", 600}, {"2", 2}, {"99999999999999999999", 600}};
    for (auto [in, out] : seconds)
        EXPECT_EQ(ClampSeconds(QString::fromLatin1(in)), out) << in;
}

class SettingsDialogTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLangIndex = 0;
        InitLanguageTable();
        LoadLanguageStrings();
        LoadSettings();
        gSettingsHooks.applyCaptionFont = [this] { ++fontCalls; };
        gSettingsHooks.placeCaption = [this] { ++placeCalls; };
        gSettingsHooks.setStretch = [this](bool on) { stretch.push_back(on); };
    }
    void TearDown() override {
        gSettingsHooks = SettingsHooks{};
        delete d.data();
        ScrivelleTest::TearDown();
    }
    frmSettings* Open() {
        d = new frmSettings;
        d->setAttribute(Qt::WA_DeleteOnClose, false);
        d->show();
        QApplication::setActiveWindow(d);
        EXPECT_TRUE(QTest::qWaitForWindowActive(d));
        return d;
    }
    void Hover(QWidget* w) {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(w, &enter);
    }
    void Page(int i) { QTest::mouseClick(d->lblMenu[i], Qt::LeftButton); }
    static void Type(QWidget* w, const QString& text) {
        for (QChar c : text)
            QTest::keyClick(w, c.toLatin1());
    }

    QPointer<frmSettings> d;
    int fontCalls = 0, placeCalls = 0;
    std::vector<bool> stretch;
};

TEST_F(SettingsDialogTest, PagesMenuDetailsAndTheFirstPageOnce) {
    Open();
    EXPECT_EQ(d->VisiblePage(), 0);
    EXPECT_EQ(d->lblTop->text(), LangText(189));
    QTest::mouseClick(d->lblMenu[2], Qt::RightButton);
    EXPECT_EQ(d->VisiblePage(), 0);
    Page(3);
    EXPECT_EQ(d->VisiblePage(), 3);
    EXPECT_EQ(d->lblTop->text(), LangText(15));
    // Back from its own colour dialog the dialog is activated again, and stays where it was.
    dialogs.colors.push_back(0x0000FF);
    QTest::mouseClick(d->cmdColor, Qt::LeftButton);
    d->Form_Activate();
    EXPECT_EQ(d->VisiblePage(), 3);

    Hover(d->lblMenu[3]);
    EXPECT_EQ(d->lblDetails->text(), LangText(194));
    Hover(d->picOptions[3]);
    EXPECT_EQ(d->lblDetails->text(), LangText(222));
    Hover(d->cmdReset);
    EXPECT_EQ(d->lblDetails->text(), LangText(250));
    Hover(d->picMenu);
    EXPECT_TRUE(d->lblDetails->text().isEmpty());
}

TEST_F(SettingsDialogTest, HighlightsCoverTheirOptionAndNoOther) {
    Open();
    const struct {
        QCheckBox* frmSettings::*check;
        QFrame* frmSettings::*box;
        QWidget* inside;
        QWidget* next;
    } rows[] = {{&frmSettings::chkAutoJoin, &frmSettings::picAutoJoin, d->sldAutoJoin, d->chkDuration},
                {&frmSettings::chkDuration, &frmSettings::picDuration, d->sldTolerance[2], d->chkCredits},
                {&frmSettings::chkCredits, &frmSettings::picCredits, d->txtCredits, d->chkBreaks}};
    for (const auto& r : rows) {
        Hover(d->*r.check);
        QFrame* box = d->*r.box;
        ASSERT_TRUE(box->isVisible());
        EXPECT_TRUE(box->geometry().contains(r.inside->geometry()));
        EXPECT_FALSE(box->geometry().intersects(r.next->geometry()));
    }
    Hover(d->chkAutoSplit);
    EXPECT_FALSE(d->picCredits->isVisible());
}

TEST_F(SettingsDialogTest, RulesPageWritesItsVariablesAtOnce) {
    Open();
    d->sldAutoJoin->setValue(d->sldAutoJoin->maximum());
    EXPECT_EQ(gNear, 400);
    EXPECT_EQ(d->lblAutoJoin->text(), LangText(103) + QStringLiteral(" 400 ms"));
    d->sldDuration[1]->setValue(7);
    EXPECT_EQ(gRuleDuration[1], 70);
    EXPECT_EQ(d->lblDuration[1]->text(), LangText(207, QStringLiteral("70")));

    d->chkDuration->click();
    EXPECT_EQ(gDurationMode, 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(d->sldTolerance[i]->isEnabled());
    EXPECT_FALSE(d->lblShort->isEnabled());
    EXPECT_TRUE(d->cmbApply->isEnabled());

    d->chkCredits->setChecked(true);
    d->txtCredits->setFocus();
    d->txtCredits->selectAll();
    Type(d->txtCredits, QStringLiteral(" ,a,,b,c, "));
    EXPECT_EQ(gCreditsText, QStringLiteral(",a,,b,c,"));
    d->chkBreaks->setFocus();
    EXPECT_EQ(gCreditsText, QStringLiteral("a,b,c"));
    EXPECT_EQ(d->txtCredits->text(), QStringLiteral("a,b,c"));

    // The list commits when it loses the focus, and OK from the keyboard counts as that.
    d->cmbApply->setFocus();
    d->cmbApply->setCurrentIndex(2);
    EXPECT_EQ(gApplyWhen, 0);
    QTest::keyClick(d->cmbApply, Qt::Key_Return);
    EXPECT_EQ(gApplyWhen, 2);
    EXPECT_EQ(ReadSetting(QStringLiteral("ApplyWhen")), QStringLiteral("2"));
}

TEST_F(SettingsDialogTest, AStoredValueBetweenSliderStepsStaysUntilTheSliderMoves) {
    gNear = 205;
    gRuleDuration[0] = 255;
    Open();
    EXPECT_EQ(gNear, 205);
    EXPECT_EQ(gRuleDuration[0], 255);
    EXPECT_EQ(d->sldAutoJoin->value(), 20);
    d->sldAutoJoin->setValue(21);
    EXPECT_EQ(gNear, 210);
}

TEST_F(SettingsDialogTest, HotKeyBoxesTakeOneLetterOnly) {
    Open();
    Page(1);
    QLineEdit* play = d->txtHotkey[0];
    // Only the box being typed in has its letter selected.
    for (QLineEdit* box : d->txtHotkey)
        EXPECT_FALSE(box->hasSelectedText());
    play->setFocus();
    QTest::keyClick(play, Qt::Key_Q, Qt::NoModifier);
    EXPECT_EQ(play->text(), QStringLiteral("Q"));
    EXPECT_EQ(play->selectedText(), QStringLiteral("Q"));
    EXPECT_EQ(gHkPlay, 81);

    msgbox.Answer(vbOK);
    QTest::keyClick(play, Qt::Key_5);
    EXPECT_EQ(msgbox.shown().back().text, LangText(133));
    EXPECT_EQ(play->text(), QStringLiteral("Q"));
    // Deleting, pasting and the context menu do nothing.
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    QTest::keyClick(play, Qt::Key_Delete);
    QTest::keyClick(play, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(play->text(), QStringLiteral("Q"));
    EXPECT_EQ(play->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_EQ(msgbox.shown().size(), 1);

    // Two actions may share a letter.
    d->txtHotkey[3]->setFocus();
    QTest::keyClick(d->txtHotkey[3], Qt::Key_Q);
    EXPECT_EQ(gHkStart, 81);

    const std::pair<const char*, int16_t> seconds[] = {{"0", 2}, {"1000", 600}, {"45", 45}};
    for (auto [typed, value] : seconds) {
        QLineEdit* box = d->txtPosition[0];
        box->setFocus();
        box->selectAll();
        Type(box, QString::fromLatin1(typed));
        QTest::keyClick(box, Qt::Key_Backspace); // dropped
        d->chkKeys->setFocus();
        EXPECT_EQ(gRewindSecs, value) << typed;
        EXPECT_EQ(box->text(), QString::number(value));
    }
    d->chkKeys->click();
    EXPECT_EQ(gHotKeys, 0);
    EXPECT_FALSE(d->txtHotkey[5]->isEnabled());
    EXPECT_FALSE(d->txtPosition[1]->isEnabled());
}

TEST_F(SettingsDialogTest, ResetOfOnePageAndOkWritesEveryKey) {
    gHkPlay = 81;
    WriteSetting(QStringLiteral("kPlay"), QStringLiteral("Q"));
    gStretch = 0;
    gNear = 300;
    Open();
    Page(1);
    d->cmdReset->click();
    EXPECT_EQ(gHkPlay, 90);
    EXPECT_EQ(d->txtHotkey[0]->text(), QStringLiteral("Z"));
    EXPECT_EQ(gStretch, 0); // other pages untouched
    EXPECT_EQ(gNear, 300);
    Page(2);
    d->cmdReset->click();
    EXPECT_EQ(gStretch, 1);
    EXPECT_EQ(gNear, 300);

    d->cmdOK->click();
    const std::pair<const char*, const char*> stored[] = {{"kPlay", "Z"},
                                                          {"hkPlay", "90"},
                                                          {"kForward", "E"},
                                                          {"hkForward", "69"},
                                                          {"Near", "300"},
                                                          {"P_STRETCH", "1"},
                                                          {"F_FONTBOLD", "255"},
                                                          {"F_OPAQUE", "0"},
                                                          {"F_FOLLOW", "255"},
                                                          {"P_UIMODE", "full"},
                                                          {"T_CREDITSTEXT", "@,http,www"},
                                                          {"Language", "ENGLISH"},
                                                          {"kRewindSecs", "5"},
                                                          {"Duration0", "250"}};
    for (auto [key, value] : stored)
        EXPECT_EQ(ReadSetting(QString::fromLatin1(key)), QString::fromLatin1(value)) << key;
}

// Every key OK writes comes from its own variable: each variable holds a value no other one does,
// so a key written from the wrong variable shows.
TEST_F(SettingsDialogTest, OkWritesEachKeyFromItsOwnVariable) {
    gHotKeys = 1;
    gRewindSecs = 7;
    gForwardSecs = 11;
    for (int i = 0; i < 10; ++i) {
        *kHotKeySettings[i].variable = uint8_t('A' + i);
        // The letters come from the store, each unlike every code's letter.
        WriteSetting(QString::fromLatin1(kHotKeySettings[i].letterKey), QString(QChar('P' + i)));
    }
    gAutoSplit = 1;
    gCollision = 0;
    gAutoJoin = 1;
    gNear = 333;
    gDurationMode = 1;
    const int16_t durations[3] = {41, 52, 63}, tolerances[3] = {14, 25, 36};
    for (int i = 0; i < 3; ++i) {
        gRuleDuration[i] = durations[i];
        gRuleTolerance[i] = tolerances[i];
    }
    gApplyWhen = 2;
    gRemoveCredits = 0;
    gCreditsText = QStringLiteral("@,credits");
    gFixBreaks = 1;
    gCapFontName = QStringLiteral("DejaVu Serif");
    gCapFontSize = 17;
    gCapFontBold = false;
    gCapFontColor = 0x00123456;
    gCapOpaque = true;
    gCapShadow = 3;
    gCapPlacement = 77;
    gFollow = false;
    gStretch = 0;
    gUIMode = QStringLiteral("mini");
    gVSFilterMode = 1;
    Open();
    d->cmdOK->click();
    QList<std::pair<QString, QString>> stored = {
        {"HotKeys", "1"},          {"kRewindSecs", "7"},   {"kForwardSecs", "11"},   {"AutoSplit", "1"},
        {"Collision", "0"},        {"AutoJoin", "1"},      {"Near", "333"},          {"Duration", "1"},
        {"ApplyWhen", "2"},        {"T_CREDITS", "0"},     {"T_CREDITSTEXT", "@,credits"},
        {"T_BREAKS", "1"},         {"F_FONTNAME", "DejaVu Serif"}, {"F_FONTSIZE", "17"},
        {"F_FONTBOLD", "0"},       {"F_FONTCOLOR", QString::number(0x00123456)}, {"F_OPAQUE", "255"},
        {"F_SHADOWVAL", "3"},      {"F_SUBHEIGHT", "77"},  {"F_FOLLOW", "0"},        {"P_STRETCH", "0"},
        {"P_UIMODE", "mini"},      {"P_VSFILTERMODE", "1"},
    };
    for (int i = 0; i < 3; ++i) {
        stored.append({QStringLiteral("Duration%1").arg(i), QString::number(durations[i])});
        stored.append({QStringLiteral("Tolerance%1").arg(i), QString::number(tolerances[i])});
    }
    for (int i = 0; i < 10; ++i) {
        stored.append({QString::fromLatin1(kHotKeySettings[i].codeKey), QString::number('A' + i)});
        stored.append({QString::fromLatin1(kHotKeySettings[i].letterKey), QString(QChar('P' + i))});
    }
    ASSERT_EQ(stored.size(), 49);
    for (const auto& [key, value] : stored)
        EXPECT_EQ(ReadSetting(key), value) << key.toStdString();
}

TEST_F(SettingsDialogTest, ClosingWithoutOkKeepsChangesOnlyForThisRun) {
    Open();
    d->chkAutoSplit->click();
    const uint8_t changed = gAutoSplit;
    d->close();
    EXPECT_EQ(gAutoSplit, changed);
    EXPECT_TRUE(ReadSetting(QStringLiteral("AutoSplit")).isEmpty());
    EXPECT_EQ(ReadSetting(QStringLiteral("Language")), QStringLiteral("ENGLISH"));
}

TEST_F(SettingsDialogTest, PlayerPage) {
    gUIMode = QStringLiteral("zzzz");
    Open();
    EXPECT_EQ(gUIMode, QStringLiteral("full"));
    EXPECT_EQ(d->cmbUImode->currentIndex(), 2);
    Page(2);
    stretch.clear();
    d->cmbUImode->setCurrentIndex(0);
    EXPECT_EQ(gUIMode, QStringLiteral("full")); // only OK takes the list's choice
    d->chkStretch->click();
    EXPECT_EQ(stretch, std::vector<bool>{false});
    // Without the subtitle filter its controls are disabled, the mode still shown.
    EXPECT_FALSE(d->optVSHide->isEnabled());
    EXPECT_TRUE(d->optVSDisable->isChecked());
    d->close();
    EXPECT_EQ(gUIMode, QStringLiteral("full"));

    ASSERT_TRUE(gReg.CreateKey(kFilterKeyAlternative));
    gVSFilterMode = 1;
    Open();
    EXPECT_TRUE(d->optVSHide->isEnabled());
    EXPECT_TRUE(d->optVSHide->isChecked());
    d->cmbUImode->setCurrentIndex(1);
    d->cmdOK->click();
    EXPECT_EQ(gUIMode, QStringLiteral("mini"));
    EXPECT_EQ(ReadSetting(QStringLiteral("P_VSFILTERMODE")), QStringLiteral("1"));
}

TEST_F(SettingsDialogTest, AChoiceInThePlayerControlsListWaitsForOkThroughEveryRefresh) {
    // What may refresh the pages while the dialog is open.
    const struct {
        const char* name;
        std::function<void()> refresh;
        bool resetsTheList; // the player page's own Reset shows its reset value
    } refreshes[] = {
        {"Reset on the rules page", [this] { Page(0), d->cmdReset->click(); }, false},
        {"Reset on the hot keys page", [this] { Page(1), d->cmdReset->click(); }, false},
        {"Reset on the player page", [this] { Page(2), d->cmdReset->click(); }, true},
        {"Reset on the preview page", [this] { Page(3), d->cmdReset->click(); }, false},
        {"Reset on the language page", [this] { Page(4), d->cmdReset->click(); }, false},
        {"the font dialog confirmed",
         [this] {
             tFontSpec font;
             font.name = QStringLiteral("DejaVu Sans");
             font.size = 20;
             dialogs.fonts.push_back(font);
             Page(3), d->cmdFont->click();
         },
         false},
        {"the colour dialog confirmed",
         [this] {
             dialogs.colors.push_back(0x00FF00);
             Page(3), d->cmdColor->click();
         },
         false},
        {"another language chosen",
         [this] {
             Page(4);
             d->cboLanguage->setCurrentIndex(d->cboLanguage->findText(gLangInfo[21][kLangName]));
         },
         false},
    };
    for (const auto& r : refreshes) {
        for (const bool ok : {true, false}) {
            SCOPED_TRACE(std::string(r.name) + (ok ? ", then OK" : ", then closed"));
            QFile::remove(SettingsFilePath());
            processstate::ResetAll();
            gLangIndex = 0;
            InitLanguageTable();
            LoadLanguageStrings();
            LoadSettings(); // "full"
            delete d.data();
            Open();
            Page(2);
            // The user picks "Show basic controls only" from the keyboard.
            d->cmbUImode->setFocus();
            QTest::keyClick(d->cmbUImode, Qt::Key_Up);
            ASSERT_EQ(d->cmbUImode->currentIndex(), 1);
            r.refresh();
            r.refresh();
            EXPECT_EQ(d->cmbUImode->currentIndex(), r.resetsTheList ? 2 : 1);
            EXPECT_EQ(gUIMode, QStringLiteral("full")); // still only pending
            if (ok)
                d->cmdOK->click();
            else
                d->close();
            const char* expected = ok && !r.resetsTheList ? "mini" : "full";
            EXPECT_EQ(gUIMode, QString::fromLatin1(expected));
            EXPECT_EQ(ReadSetting(QStringLiteral("P_UIMODE"), QStringLiteral("<none>")),
                      ok ? QString::fromLatin1(expected) : QStringLiteral("<none>"));
        }
    }
}

TEST_F(SettingsDialogTest, PreviewPageFollowsLive) {
    gCapOpaque = true;
    Open();
    Page(3);
    EXPECT_FALSE(d->sldShadow->isEnabled());
    d->optShadow->click();
    EXPECT_FALSE(gCapOpaque);
    EXPECT_TRUE(d->sldShadow->isEnabled());

    const QPoint before = d->lblSampleShadow->pos();
    const int fonts = fontCalls;
    d->sldShadow->setValue(4);
    EXPECT_EQ(gCapShadow, 4);
    EXPECT_EQ(d->lblSampleShadow->pos() - d->lblSample->pos(), QPoint(4, 4));
    EXPECT_NE(d->lblSampleShadow->pos(), before);
    EXPECT_GT(fontCalls, fonts);
    d->sldHeight->setValue(20);
    EXPECT_EQ(gCapPlacement, 20);
    EXPECT_GE(placeCalls, 1);

    // A cancelled font dialog changes nothing; a chosen size beyond the range is clamped.
    const QString name = gCapFontName;
    dialogs.fonts.push_back(std::nullopt);
    d->cmdFont->click();
    EXPECT_EQ(gCapFontName, name);
    tFontSpec big;
    big.name = QStringLiteral("DejaVu Sans");
    big.size = 96;
    dialogs.fonts.push_back(big);
    d->cmdFont->click();
    EXPECT_EQ(gCapFontName, QStringLiteral("DejaVu Sans"));
    EXPECT_LE(gCapFontSize, 48);
    EXPECT_FALSE(gCapFontBold);

    // Reset keeps the background choice.
    d->optOpaque->click();
    d->cmdReset->click();
    EXPECT_TRUE(gCapOpaque);
    EXPECT_EQ(gCapFontName, QStringLiteral("Arial"));
    EXPECT_EQ(gCapPlacement, 90);
    EXPECT_EQ(d->sldHeight->value(), 90);
}

} // namespace
