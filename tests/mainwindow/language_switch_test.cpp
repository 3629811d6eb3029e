// Choosing another UI language in the settings dialog re-captions the main window while the
// dialog is still open.
#include "base/settingsstore.h"
#include "dialogs/frmSettings.h"
#include "language/stringtable.h"
#include "mainwindow/mainwindow_fixture.h"
#include "support/modal.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace {

class LanguageSwitch : public MainWindowFixture {};

TEST_F(LanguageSwitch, TheMainWindowFollowsTheLanguagePageAtOnce) {
    QHash<int, QString> german;
    for (int k = 0; k < kLangTextCount; ++k)
        german.insert(21000 + k, QStringLiteral("de %1").arg(k));
    ReplaceStringTableBlock(21, german);
    InitLanguageTable();
    Make();
    ASSERT_EQ(w->mnuFile->title(), "&File");

    QStringList seenWhileOpen;
    OnModal<frmSettings>([&](frmSettings* d) {
        d->cboLanguage->setCurrentIndex(21);
        seenWhileOpen << w->mnuFile->title() << w->lblPosition->text() << d->cmdOK->text();
        d->close();
    });
    w->mnuGSettings->trigger();
    EXPECT_EQ(seenWhileOpen, (QStringList{"de 0", "de 149", "de 66"}));
    EXPECT_TRUE(w->optPress->text().startsWith("de 33"));
    EXPECT_EQ(ReadSetting("Language"), "GERMAN");

    // Once the window is gone, the dialog has nobody to re-caption.
    w.reset();
    EXPECT_FALSE(gSettingsHooks.applyLanguageToMain);
}

} // namespace
