// The settings dialog's language page, driven through its widgets with made-up translations.
#include "base/paths.h"
#include "base/settings.h"
#include "dialogs/frmSettings.h"
#include "fixture.h"
#include "language/lang.h"
#include "language/stringtable.h"
#include "language/translationfiles.h"
#include "scoped.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kGerman = 21, kFinnish = 12, kRussian = 23;

class LanguagePage : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLangIndex = 0;
        InitLanguageTable();
        LoadSettings();
        LoadLanguageStrings();
        gTempDir = TempPath("scratch/");
        QDir().mkpath(gTempDir);
        // Made-up translations only, whatever the shipped ones hold.
        for (int b = 1; b < kLangRows; ++b)
            ReplaceStringTableBlock(b, {});
        MakeBlock(kGerman, {});
        MakeBlock(6, {});
        MakeBlock(kFinnish, Range(300, 31)); // 437 of 468: 93%
        MakeBlock(7, Range(100, 209));       // 259 of 468: 55%
        gSettingsHooks.applyLanguageToMain = [this] { mainTexts << LangText(0); };
    }
    void TearDown() override {
        gSettingsHooks = SettingsHooks{};
        delete d.data();
        ScrivelleTest::TearDown();
    }
    static void MakeBlock(int block, const QList<int>& lacking) {
        QHash<int, QString> texts;
        for (int k = 0; k < kLangTextCount; ++k)
            if (!lacking.contains(k))
                texts.insert(block * 1000 + k, QStringLiteral("b%1 t%2").arg(block).arg(k));
        ReplaceStringTableBlock(block, texts);
    }
    void Open() {
        d = new frmSettings;
        d->setAttribute(Qt::WA_DeleteOnClose, false);
        d->show();
        QApplication::setActiveWindow(d);
        ASSERT_TRUE(QTest::qWaitForWindowActive(d));
        QTest::mouseClick(d->lblMenu[4], Qt::LeftButton);
    }
    static QList<int> Range(int first, int count) {
        QList<int> r;
        for (int i = 0; i < count; ++i)
            r << first + i;
        return r;
    }
    // Chooses list entry i as a pick from the open list does.
    void Choose(int i) { d->cboLanguage->setCurrentIndex(i); }
    bool Shown(QWidget* w) const { return w->isVisibleTo(d->picOptions[4]); }

    UserLocale british{QLocale(QLocale::English, QLocale::UnitedKingdom)};
    EnvVar westernCodePage{"SCRIVELLE_ANSI_CODEPAGE", "1252"};
    QPointer<frmSettings> d;
    QStringList mainTexts; // text 0 as the main window saw it each time it was re-captioned
};

TEST_F(LanguagePage, OpensOnTheCurrentLanguageOfTheTable) {
    gLangIndex = 7;
    gLanguage = QStringLiteral("../whatever"); // the row decides, not the stored text
    Open();
    ASSERT_EQ(d->cboLanguage->count(), kLangRows);
    for (int i = 0; i < kLangRows; ++i)
        EXPECT_EQ(d->cboLanguage->itemText(i), gLangInfo[i][kLangName]);
    EXPECT_EQ(d->cboLanguage->currentIndex(), 7);
    EXPECT_EQ(gLanguage, "PORTUGUESE");
    EXPECT_EQ(gLangIndex, 7);
    EXPECT_FALSE(mainTexts.isEmpty());
    EXPECT_EQ(d->fraLanguage->title(), "b7 t62");
    EXPECT_EQ(d->txtCharset->text(), gCharsetName + " - " + QString::number(gCharset));
}

TEST_F(LanguagePage, ChoosingALanguageTranslatesTheDialogAndTheMainWindowAtOnce) {
    const struct {
        int row;
        const char* key;
        bool completeLink;
        const char* linkText;
        const char* okText;
    } cases[] = {
        {kGerman, "GERMAN", false, nullptr, "b21 t66"},
        {kFinnish, "FINNISH", true, "Complete this translation (93%)...", "b12 t66"},
        {3, "GREEK", true, "Complete this translation (0%)...", "&OK"}, // nothing shipped: all English
        // Both Portuguese rows, one after the other.
        {6, "PORTUGUESE_BR", false, nullptr, "b6 t66"},
        {7, "PORTUGUESE", true, "Complete this translation (55%)...", "b7 t66"},
        {0, "ENGLISH", false, nullptr, "&OK"},
    };
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        mainTexts.clear();
        Choose(c.row);
        EXPECT_EQ(d->cboLanguage->currentIndex(), c.row);
        EXPECT_EQ(gLanguage, c.key);
        EXPECT_EQ(gLangIndex, c.row);
        EXPECT_EQ(d->cmdOK->text(), c.okText);
        EXPECT_EQ(mainTexts, QStringList{LangText(0)});
        EXPECT_EQ(Shown(d->lblComplete), c.completeLink);
        if (c.linkText) {
            EXPECT_EQ(d->lblComplete->text(), c.linkText);
        }
    }
}

TEST_F(LanguagePage, RowsTheSystemNamesAlikeAreStillToldApart) {
    gLangInfo[7][kLangName] = gLangInfo[6][kLangName];
    gLangIndex = 7;
    Open();
    EXPECT_EQ(d->cboLanguage->currentIndex(), 7);
    EXPECT_EQ(gLanguage, "PORTUGUESE");
    Choose(6);
    EXPECT_EQ(gLanguage, "PORTUGUESE_BR");
    Choose(7);
    EXPECT_EQ(gLanguage, "PORTUGUESE");
}

TEST_F(LanguagePage, CodePageNoticeNamesTheRequiredLanguage) {
    Open();
    EXPECT_FALSE(Shown(d->fraNotice));
    Choose(kRussian);
    EXPECT_TRUE(Shown(d->fraNotice));
    EXPECT_EQ(d->lblWarning->text(), "Warning");
    EXPECT_EQ(d->lblCurrLang->text(), "Current language for non-Unicode programs: English");
    EXPECT_EQ(d->lblReqLang->text(), QStringLiteral("Required language: Russian (русский)"));
    Choose(kFinnish);
    EXPECT_FALSE(Shown(d->fraNotice));
    EXPECT_EQ(d->lblReqLang->text(), LangText(93) + QStringLiteral(" Finnish (suomi)"));
}

TEST_F(LanguagePage, LinksWriteTheFilesAndOpenThemInTheEditor) {
    Open();
    Choose(kFinnish);
    QTest::mouseClick(d->lblComplete, Qt::RightButton);
    EXPECT_EQ(msgbox.count(), 0);

    msgbox.Answer(vbOK).Answer(vbOK);
    QTest::mouseClick(d->lblComplete, Qt::LeftButton);
    const QString completion = gTempDir + CompletionFileName(kFinnish, RunningVersion());
    QTest::mouseClick(d->imgAddLanguage, Qt::LeftButton);
    const QString fresh = gTempDir + NewLanguageFileName(RunningVersion());

    ASSERT_EQ(msgbox.count(), 2);
    EXPECT_EQ(msgbox.shown()[0].text, LoadResString(653).value());
    EXPECT_EQ(msgbox.shown()[1].text, LoadResString(654).value());
    for (const auto& box : msgbox.shown()) {
        EXPECT_EQ(box.icon, vbInformation);
        EXPECT_EQ(box.title, "Quenlark Scrivelle");
    }
    EXPECT_EQ(shell.opened, (QStringList{completion, fresh}));
    EXPECT_EQ(ReadFileBytes(completion), CompletionFileText(kFinnish, RunningVersion()));
    // The template is English whatever the UI language.
    EXPECT_EQ(ReadFileBytes(fresh), NewLanguageFileText(RunningVersion()));
    EXPECT_TRUE(d->lblComplete->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LanguagePage, AFileThatCannotBeWrittenIsReportedAndNotOpened) {
    Open();
    Choose(kFinnish);
    gTempDir = TempPath("gone/");
    msgbox.Answer(vbOK).Answer(vbOK);
    QTest::mouseClick(d->lblComplete, Qt::LeftButton);
    QTest::mouseClick(d->imgAddLanguage, Qt::LeftButton);
    ASSERT_EQ(msgbox.count(), 2);
    for (const auto& box : msgbox.shown()) {
        EXPECT_EQ(box.text, "The language file could not be created.\n\n" + gTempDir);
        EXPECT_EQ(box.icon, vbExclamation);
    }
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(d->lblComplete->isEnabled());
}

TEST_F(LanguagePage, ResetChoosesTheUsersLanguageOrEnglishInFull) {
    const struct {
        QLocale locale;
        const char* codePage;
        const char* key;
        int row;
        const char* charset;
    } cases[] = {
        {QLocale(QLocale::German, QLocale::Austria), "1252", "GERMAN", kGerman, "WESTERN_EUROPEAN_LATIN - 0"},
        // No row for Korean: English, in the name, the row, the list and the texts.
        {QLocale(QLocale::Korean, QLocale::SouthKorea), "949", "ENGLISH", 0, "KOREAN_HANGUL - 129"},
        {QLocale(QLocale::Russian, QLocale::Russia), "1251", "RUSSIAN", kRussian, "CYRILLIC_CHARSET - 204"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        gLangIndex = kFinnish;
        Open();
        QTest::mouseClick(d->lblMenu[4], Qt::LeftButton);
        UserLocale user(c.locale);
        EnvVar codePage("SCRIVELLE_ANSI_CODEPAGE", c.codePage);
        mainTexts.clear();
        d->cmdReset->click();
        EXPECT_EQ(gLanguage, c.key);
        EXPECT_EQ(gLangIndex, c.row);
        EXPECT_EQ(d->cboLanguage->currentIndex(), c.row);
        EXPECT_EQ(LangText(66), c.row == kGerman ? "b21 t66" : "&OK");
        EXPECT_EQ(d->cmdOK->text(), LangText(66));
        EXPECT_EQ(mainTexts, QStringList{LangText(0)});
        EXPECT_EQ(d->txtCharset->text(), c.charset);
        delete d.data();
    }
}

} // namespace
