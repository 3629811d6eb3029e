// The settings dialog's texts in every UI language: the heading made of a menu's text, and the
// unit after a number of milliseconds.
#include "base/settings.h"
#include "dialogs/frmSettings.h"
#include "fixture.h"
#include "language/lang.h"

#include <QLabel>
#include <QPointer>

namespace {

class SettingsTexts : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        InitLanguageTable();
        gLangIndex = 0;
        LoadLanguageStrings();
        LoadSettings();
        d = new frmSettings;
    }
    void TearDown() override {
        delete d.data();
        gLangIndex = 0;
        LoadLanguageStrings();
        ScrivelleTest::TearDown();
    }
    QPointer<frmSettings> d;
};

TEST_F(SettingsTexts, TheHeadingIsTheMenuTextWithoutItsAccelerator) {
    struct Case {
        int language;
        const char* heading;
    };
    // Inside the word, after it in brackets, and a language of each kind.
    const Case known[] = {{0, "Settings"},   {2, "Instellingen"}, {22, "設定"},
                          {14, "الإعدادات"}, {25, "设置"},        {9, "Поставке"}};
    for (const Case& c : known) {
        gLangIndex = uint8_t(c.language);
        ASSERT_TRUE(LoadLanguageStrings());
        d->ApplyLanguage();
        EXPECT_EQ(d->lblSettingsTitle->text(), QString::fromUtf8(c.heading)) << c.language;
    }
    // Every language: no accelerator left in any form, and nothing else lost.
    for (int language = 0; language < int(gLangInfo.size()); ++language) {
        gLangIndex = uint8_t(language);
        ASSERT_TRUE(LoadLanguageStrings());
        d->ApplyLanguage();
        const QString heading = d->lblSettingsTitle->text();
        EXPECT_FALSE(heading.contains(u'&') || heading.contains(u'(') || heading.trimmed() != heading)
            << language << " " << heading.toStdString();
        QString menu = LangText(5);
        EXPECT_TRUE(menu.remove(u'&').startsWith(heading)) << language << " " << heading.toStdString();
    }
}

TEST_F(SettingsTexts, MillisecondsAreWrittenAsTheLanguageWritesThem) {
    gNear = 200;
    struct Case {
        int language;
        const char* label; // after the "nearby" text
    };
    const Case cases[] = {
        {0, " 200 ms"}, {23, " 200 мс"}, {17, " 200 мс"}, {18, " 200 md"}, {25, " 200 毫秒"}};
    for (const Case& c : cases) {
        gLangIndex = uint8_t(c.language);
        ASSERT_TRUE(LoadLanguageStrings());
        d->ApplyLanguage();
        EXPECT_EQ(d->lblAutoJoin->text(), LangText(103) + QString::fromUtf8(c.label)) << c.language;
    }
    // Every language: the same unit as the time per character beside it.
    for (int language = 0; language < int(gLangInfo.size()); ++language) {
        gLangIndex = uint8_t(language);
        ASSERT_TRUE(LoadLanguageStrings());
        d->ApplyLanguage();
        const QString perCharacter = LangText(207, QStringLiteral("200"));
        const QString unit = perCharacter.mid(perCharacter.indexOf(QStringLiteral("200")) + 3);
        EXPECT_TRUE(d->lblAutoJoin->text().endsWith(QStringLiteral("200") + unit))
            << language << " " << d->lblAutoJoin->text().toStdString();
    }
}

} // namespace
