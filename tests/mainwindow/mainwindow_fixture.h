#pragma once
// The main window's test environment: English texts, the shipped format files, the settings
// defaults with no rule run on load, and a window over the fake player.
#include "base/paths.h"
#include "base/settings.h"
#include "language/lang.h"
#include "mainwindow/frmMain.h"
#include "support/FakeMediaPlayer.h"
#include "support/fixture.h"

#include <memory>

class MainWindowFixture : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLangIndex = 0;
        LoadLanguageStrings();
        UseSourceFormatFiles();
        gAppPath = TempPath("app/");
        LoadSettings();
        // The rules run on load only in the test that asks for them.
        gApplyWhen = 1;
    }
    void TearDown() override {
        w.reset();
        ScrivelleTest::TearDown();
    }

    // A loaded main window over a new fake player.
    void Make() {
        player = new FakeMediaPlayer;
        w = std::make_unique<frmMain>(player);
        w->Form_Load();
        // Save as keeps the document's format unless a test drives the real export dialog
        // (ShowExportDialog): a modal dialog nobody answers would stop the test.
        w->showExportDialog = [] { return true; };
    }

    FakeMediaPlayer* player = nullptr; // owned by the window
    std::unique_ptr<frmMain> w;
};
