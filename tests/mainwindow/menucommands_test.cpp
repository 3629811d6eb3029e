// The main window's texts and its small menu commands: find and replace windows, the time shift,
// Convert from UTF-8, help, and the commands that hand over to windows of their own.
#include "base/paths.h"
#include "base/settings.h"
#include "base/toolbox.h"
#include "dialogs/frmDelay.h"
#include "dialogs/frmFind.h"
#include "dialogs/frmReplace.h"
#include "document/captions.h"
#include "document/ui/frmReport.h"
#include "language/lang.h"
#include "mainwindow/mainstate.h"
#include "mainwindow/mainwindow_fixture.h"
#include "platform/MsgBox.h"
#include "support/scoped.h"
#include "tools/ui/frmEmbed.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <functional>
#include <vector>

namespace {

class MenuCommands : public MainWindowFixture {
protected:
    // A document of the given texts, caption i (from 1) from i s to i s + 500 ms.
    void Open(const QStringList& texts) {
        w->ResetGrid(true);
        std::vector<tSubtitleLine> lines;
        for (int i = 0; i < texts.size(); ++i)
            lines.push_back({(i + 1) * 1000, (i + 1) * 1000 + 500, texts[i]});
        ASSERT_TRUE(FillLines(0, lines));
        gSubFile = QStringLiteral("doc.srt");
        w->ResetControls();
        SelectLine(1, false);
        gModified = false;
    }
    QStringList Texts() const {
        QStringList out;
        for (int i = 1; i <= CaptionCount(); ++i)
            out << GetLineText(i);
        return out;
    }
    // Runs work on the modal window that the next command opens.
    template <typename Dialog> void OnModal(std::function<void(Dialog*)> work) {
        QTimer::singleShot(0, [work] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            work(d);
            // A window left open would hold the test up.
            if (d->isVisible()) d->reject();
        });
    }
};

} // namespace

TEST_F(MenuCommands, ButtonsSeparatorAndFileLabelsFollowTheState) {
    Make();
    gLineBreak = QStringLiteral("<br>");
    gDurationMode = 0;
    w->optManual->setChecked(true);
    w->ApplyLanguageToMain();
    EXPECT_EQ(w->cmdApply->text(), "Start");
    EXPECT_EQ(w->lblMode->text(), LangText(37));
    EXPECT_EQ(w->mnuSeparator[3]->text(), "Custom: <br>");
    w->optPress->setChecked(true);
    w->ApplyLanguageToMain();
    EXPECT_EQ(w->cmdApply->text(), "Apply");
    EXPECT_EQ(w->optPress->text(), LangText(33));

    struct Case {
        const char* sub;
        const char* video;
        bool icon;
        const char* textLabel;
        const char* videoLabel;
        bool textIcon, videoIcon;
    };
    const Case cases[] = {
        {"", "", false, "Welcome to Quenlark Scrivelle.",
         "Use the File menu to create or load a text or subtitle file.", false, false},
        {"NEW", "", false, "New subtitle", "No video file loaded.", true, false},
        {"", "/v/film.avi", false, "No text or subtitle file loaded.", "/v/film.avi", false, true},
        {"/s/a.srt", "/v/film.avi", false, "/s/a.srt", "/v/film.avi", true, true},
    };
    for (const Case& c : cases) {
        gSubFile = QString::fromUtf8(c.sub);
        gVideoFile = QString::fromUtf8(c.video);
        w->UpdateFileLabels(c.icon);
        EXPECT_EQ(w->lblTextFile->text(), c.textLabel) << c.sub << c.video;
        EXPECT_EQ(w->lblVideoFile->text(), c.videoLabel) << c.sub << c.video;
        EXPECT_EQ(w->imgText->isVisibleTo(w.get()), c.textIcon) << c.sub << c.video;
        EXPECT_EQ(w->imgVideo->isVisibleTo(w.get()), c.videoIcon) << c.sub << c.video;
        EXPECT_EQ(w->lblTextFile->x(), c.textIcon || c.videoIcon ? 32 : 8);
    }
    // While a subtitle loads: its icon, and the video label says there is none.
    gSubFile = QStringLiteral("/s/a.srt");
    gVideoFile.clear();
    w->UpdateFileLabels(true);
    EXPECT_TRUE(w->imgText->isVisibleTo(w.get()));
    EXPECT_EQ(w->lblVideoFile->text(), "No video file loaded.");
}

TEST_F(MenuCommands, FindAndReplaceWindowsBelongToTheMainWindowOneAtATime) {
    Make();
    w->show();
    Open({"a x", "b x"});
    w->mnuFind->trigger();
    ASSERT_NE(FindWindow(), nullptr);
    EXPECT_EQ(FindWindow()->parentWidget(), w.get());
    EXPECT_FALSE(FindWindow()->isModal());
    w->mnuReplace->trigger();
    EXPECT_EQ(FindWindow(), nullptr);
    frmReplace* r = ReplaceWindow();
    ASSERT_NE(r, nullptr);

    // A replacement shows in the caption box at once and marks the document modified.
    QTest::keyClicks(r->txtFind, QStringLiteral("x"));
    QTest::keyClicks(r->txtReplace, QStringLiteral("y"));
    QTest::mouseClick(r->cmdReplace, Qt::LeftButton);
    EXPECT_EQ(w->txtSub->toPlainText(), "a y");
    EXPECT_TRUE(gModified);
    // The next keystroke in the caption box goes on from the replaced text.
    w->txtSub->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->txtSub, QStringLiteral("!"));
    EXPECT_EQ(GetLineText(1), "a y!");
    QTest::mouseClick(r->cmdReplaceAll, Qt::LeftButton);
    EXPECT_EQ(Texts(), QStringList({"a y!", "b y"}));
    EXPECT_EQ(w->txtSub->toPlainText(), "b y");

    // The rules and closing the document unload it.
    msgbox.Answer(vbOK);
    w->mnuRules->trigger();
    EXPECT_EQ(ReplaceWindow(), nullptr);
    w->mnuFind->trigger();
    ASSERT_NE(FindWindow(), nullptr);
    gModified = false;
    w->mnuClose->trigger();
    EXPECT_EQ(FindWindow(), nullptr);
}

TEST_F(MenuCommands, TimeShiftPausesThePlayerAndShowsTheNewTimes) {
    Make();
    w->show();
    Open({"a", "b", "c"});
    gVideoFile = QStringLiteral("film.avi");
    player->setURL(gVideoFile);
    player->play();
    SelectLine(2, false);
    int stateMeanwhile = 0;
    QString detail;
    OnModal<frmDelay>([&](frmDelay* d) {
        stateMeanwhile = player->playState();
        detail = d->lblDetail->text();
        d->sldSec->setValue(-1);
        QTest::mouseClick(d->cmdApply, Qt::LeftButton);
    });
    w->mnuDelay->trigger();
    EXPECT_EQ(stateMeanwhile, kPlayStatePaused);
    EXPECT_TRUE(detail.endsWith("00:00:02,000"));
    EXPECT_EQ(player->playState(), kPlayStatePlaying);
    // Every caption moved, those above the selected one too; an exact 0 stays timed.
    EXPECT_EQ(GetLineStart(1), 0);
    EXPECT_EQ(GetLineEnd(1), 500);
    EXPECT_EQ(GetLineStart(2), 1000);
    EXPECT_EQ(GetLineEnd(3), 2500);
    EXPECT_EQ(gCurrentRow, 2);
    EXPECT_EQ(w->txtTime[0]->text(), "00:00:01,000");
    EXPECT_TRUE(gModified);
}

TEST_F(MenuCommands, ConvertFromUtf8AsksAndConvertsEveryCaption) {
    EnvVar ansi("SCRIVELLE_ANSI_CODEPAGE", "1252");
    Make();
    const QString misread = QString::fromUtf8("Ã©tÃ©");
    Open({misread, QString::fromUtf8("日本"), misread});
    SelectLine(3, false);
    msgbox.Answer(vbNo);
    w->mnuUTF8->trigger();
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().title, "Convert from UTF-8");
    EXPECT_TRUE(msgbox.last().text.startsWith(
        "Do you want to convert the captions of the loaded subtitle file from UTF-8?"));
    EXPECT_EQ(Texts().first(), misread);
    msgbox.Answer(vbYes);
    w->mnuUTF8->trigger();
    EXPECT_EQ(Texts(),
              QStringList({QString::fromUtf8("été"), QString::fromUtf8("日本"), QString::fromUtf8("été")}));
    EXPECT_EQ(w->txtSub->toPlainText(), QString::fromUtf8("été"));
    EXPECT_TRUE(gModified);
}

TEST_F(MenuCommands, HelpOpensTheLanguagesFileTheEnglishOneOrTheWebPage) {
    struct Case {
        const char* language;
        QStringList files;
        bool message;
        const char* opened; // a file name in the program folder, or "" for the web page
    };
    const Case cases[] = {
        {"GERMAN", {"zrv_german.chm", "zrv_english.chm"}, false, "zrv_german.chm"},
        {"GERMAN", {"zrv_english.chm"}, true, "zrv_english.chm"},
        {"GERMAN", {}, false, ""},
        {"ENGLISH", {}, false, ""},
    };
    Make();
    for (const Case& c : cases) {
        QDir(gAppPath).removeRecursively();
        QDir().mkpath(gAppPath);
        for (const QString& f : c.files)
            WriteFile(QStringLiteral("app/") + f, "help");
        gLanguage = QString::fromUtf8(c.language);
        shell.opened.clear();
        const int before = msgbox.count();
        if (c.message) msgbox.Answer(vbOK);
        w->mnuHelpTopics->trigger();
        EXPECT_EQ(msgbox.count() - before, c.message ? 1 : 0)
            << c.language << c.files.join(',').toStdString();
        if (c.message) {
            EXPECT_EQ(msgbox.last().text, LangText(160));
            EXPECT_EQ(msgbox.last().title, "Help Topics");
        }
        const QString expected = *c.opened ? gAppPath + QString::fromUtf8(c.opened) : kProductWebPage;
        EXPECT_EQ(shell.opened, QStringList{expected}) << c.language << c.files.join(',').toStdString();
    }
    // The other web entries.
    shell.opened.clear();
    w->mnuSuggest->trigger();
    w->mnuWebsite->trigger();
    EXPECT_EQ(shell.opened, QStringList({kProductWebPage, kProductWebPage}));
}

TEST_F(MenuCommands, GeneralSettingsUnloadsTheSideWindowsAndTakesTheNewOptionsOver) {
    Make();
    Open({"a"});
    int shown = 0;
    w->showSettingsDialog = [&] {
        ++shown;
        gDurationMode = 1;
        gApplyWhen = 2;
        gUIMode = QStringLiteral("mini");
    };
    w->mnuFind->trigger();
    w->mnuGSettings->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(FindWindow(), nullptr);
    EXPECT_EQ(w->optPress->text(), LangText(33) + " [auto]");
    EXPECT_EQ(player->uiMode(), "mini");
    // Close all unloads the same four side windows: none is left working on a document that is gone.
    ShowFindWindow(w.get()), ShowReplaceWindow(w.get());
    ShowReportWindow(w.get()), ShowEmbedWindow(w.get());
    w->mnuClose->trigger();
    EXPECT_FALSE(FindWindow() || ReplaceWindow() || ReportWindow() || EmbedWindow());
}
