// The find, replace and time-shift windows, driven through their controls.
#include "base/settings.h"
#include "dialogs/frmDelay.h"
#include "dialogs/frmFind.h"
#include "dialogs/frmReplace.h"
#include "document/captions.h"
#include "language/lang.h"
#include "support/captionlines.h"
#include "support/drag.h"
#include "support/fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <vector>

namespace {

class SideWindows : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLangIndex = 0;
        LoadLanguageStrings();
        gLineBreak = QStringLiteral("|");
    }

    // Caption i runs from times[i].first to times[i].second.
    static void Make(const QStringList& texts, const std::vector<std::pair<int32_t, int32_t>>& times = {}) {
        FillCaptions(texts, times);
    }
    static QStringList Texts() { return CaptionTexts(); }
    static void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
};

} // namespace

TEST_F(SideWindows, TypingASearchTextEnablesTheSearchButtons) {
    Make({"a"});
    frmReplace* r = ShowReplaceWindow(nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(r));
    EXPECT_EQ(r->windowTitle(), "Replace");
    EXPECT_TRUE(r->txtFind->hasFocus() || QApplication::focusWidget() == r->txtFind);
    const auto enabled = [r] {
        return std::vector<bool>{r->cmdFind->isEnabled(), r->cmdReplace->isEnabled(),
                                 r->cmdReplaceAll->isEnabled()};
    };
    EXPECT_EQ(enabled(), std::vector<bool>({false, false, false}));
    EXPECT_TRUE(r->cmdClose->isEnabled());
    QTest::keyClick(r->txtFind, Qt::Key_A);
    EXPECT_EQ(enabled(), std::vector<bool>({true, true, true}));
    QTest::keyClick(r->txtFind, Qt::Key_Backspace);
    EXPECT_EQ(enabled(), std::vector<bool>({false, false, false}));
    EXPECT_FALSE(r->imgInfo->isVisible());

    // Opening the find window unloads the replace window; Esc closes it.
    frmFind* f = ShowFindWindow(nullptr);
    EXPECT_EQ(ReplaceWindow(), nullptr);
    EXPECT_EQ(FindWindow(), f);
    EXPECT_EQ(f->windowTitle(), "Find");
    QTest::keyClick(f->txtFind, Qt::Key_Escape);
    EXPECT_EQ(FindWindow(), nullptr);
}

TEST_F(SideWindows, ChoosingAnOpenWindowAgainBringsItForwardWithWhatWasTyped) {
    Make({"a teh b"});
    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    // As the window system does it: the window is asked to become the active one.
    const auto activate = [](QWidget* w) {
        w->activateWindow();
        return QTest::qWaitForWindowActive(w);
    };
    const struct {
        const char* name;
        std::function<FindWindowBase*()> show;
        std::function<FindWindowBase*()> showOther;
    } windows[] = {
        {"find", [&] { return ShowFindWindow(&owner); }, [&] { return ShowReplaceWindow(&owner); }},
        {"replace", [&] { return ShowReplaceWindow(&owner); }, [&] { return ShowFindWindow(&owner); }},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.name);
        QPointer<FindWindowBase> first = w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
        ASSERT_TRUE(activate(first));
        QTest::keyClicks(first->txtFind, "teh");
        first->chkCase->setChecked(true);
        first->chkEntire->setChecked(true);
        if (auto* r = qobject_cast<frmReplace*>(first.data())) QTest::keyClicks(r->txtReplace, "the");
        first->chkCase->setFocus();

        // Back in the main window, the user chooses the same command again.
        ASSERT_TRUE(activate(&owner));
        FindWindowBase* again = w.show();
        EXPECT_EQ(again, first.data()); // the same window, not an empty new one
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(first);
        EXPECT_TRUE(first->isVisible());
        EXPECT_EQ(first->txtFind->text(), "teh");
        EXPECT_TRUE(first->chkCase->isChecked());
        EXPECT_TRUE(first->chkEntire->isChecked());
        if (auto* r = qobject_cast<frmReplace*>(first.data())) {
            EXPECT_EQ(r->txtReplace->text(), "the");
        }
        EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == first->txtFind; }));

        // Every activation puts the focus in the search box, not only the first.
        for (QWidget* elsewhere : std::initializer_list<QWidget*>{first->chkEntire, first->cmdClose}) {
            elsewhere->setFocus();
            ASSERT_TRUE(activate(&owner));
            ASSERT_TRUE(activate(first));
            EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == first->txtFind; }))
                << elsewhere->objectName().toStdString();
        }

        // The other command unloads this window and opens its own, empty.
        FindWindowBase* other = w.showOther();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(first && first->isVisible());
        EXPECT_TRUE(other->txtFind->text().isEmpty());
        UnloadFindWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SideWindows, FindNextReportsTheLineItStoppedOn) {
    Make({"x", "y", "x", "z"});
    frmFind* f = ShowFindWindow(nullptr);
    QTest::keyClicks(f->txtFind, QStringLiteral("X"));
    SelectLine(3, false);
    // Enter presses Find Next. On the last caption holding the text it stays there, and says so
    // each time.
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(f->txtFind, Qt::Key_Return);
        EXPECT_EQ(f->lblInfo->text(), "String found on line 3");
        EXPECT_EQ(gCurrentRow, 3);
    }
    EXPECT_TRUE(f->imgInfo->isVisible());
    // From below the last occurrence: not found, the selection stays.
    SelectLine(4, false);
    Click(f->cmdFind);
    EXPECT_EQ(f->lblInfo->text(), "String not found beyond selection point.");
    EXPECT_EQ(gCurrentRow, 4);
    // Match case and whole word are read from the boxes.
    SelectLine(1, false);
    QTest::mouseClick(f->chkCase, Qt::LeftButton, {}, QPoint(5, f->chkCase->height() / 2));
    ASSERT_TRUE(f->chkCase->isChecked());
    Click(f->cmdFind);
    EXPECT_EQ(f->lblInfo->text(), "String not found beyond selection point.");
    EXPECT_EQ(f->LastCount(), 0);
}

TEST_F(SideWindows, ReplaceAndReplaceAllWorkFromTheCurrentCaptionDown) {
    Make({"a x", "b x", "c", "d x"});
    frmReplace* r = ShowReplaceWindow(nullptr);
    QTest::keyClicks(r->txtFind, QStringLiteral("x"));
    QTest::keyClicks(r->txtReplace, QStringLiteral("y"));
    SelectLine(2, false);
    Click(r->cmdReplace);
    EXPECT_EQ(r->lblInfo->text(), "String found on line 2");
    EXPECT_EQ(Texts(), QStringList({"a x", "b y", "c", "d x"}));
    EXPECT_TRUE(gModified);
    Click(r->cmdReplaceAll);
    EXPECT_EQ(r->lblInfo->text(), "Search finished with 1 replacement(s) made.");
    EXPECT_EQ(Texts(), QStringList({"a x", "b y", "c", "d y"}));
    EXPECT_EQ(gCurrentRow, 4);
    SelectLine(2, false);
    Click(r->cmdReplaceAll);
    EXPECT_EQ(r->lblInfo->text(), "Search finished with 0 replacement(s) made.");
}

TEST_F(SideWindows, TimeShiftBarsReadAsTheyShould) {
    Make({"a"});
    gSelStart = 1000;
    frmDelay d;
    EXPECT_EQ(d.lblMin->text(), "0 minutes");
    EXPECT_EQ(d.lblResult->text(), "No changes will be applied.");
    EXPECT_FALSE(d.cmdApply->isEnabled());
    EXPECT_EQ(d.lblDetail->text(), "Resulting appear time for selected caption:\n00:00:01,000");

    struct Case {
        int min, sec, ms;
        const char* lblMin;
        const char* lblSec;
        const char* lblMs;
        const char* result;
        const char* start;
    };
    const Case cases[] = {
        {-1, 0, 0, "-1 minute", "0 seconds", "0 milliseconds",
         "Subtitles will appear 60000 milliseconds earlier.", "00:00:00,000"},
        {1, -30, 0, "1 minute", "-30 seconds", "0 milliseconds",
         "Subtitles will appear 30000 milliseconds later.", "00:00:31,000"},
        {0, 1, -5, "0 minutes", "1 second", "-50 milliseconds",
         "Subtitles will appear 950 milliseconds later.", "00:00:01,950"},
        {0, 0, 0, "0 minutes", "0 seconds", "0 milliseconds", "No changes will be applied.", "00:00:01,000"},
    };
    for (const Case& c : cases) {
        d.sldMin->setValue(c.min);
        d.sldSec->setValue(c.sec);
        d.sldMs->setValue(c.ms);
        EXPECT_EQ(d.lblMin->text(), c.lblMin);
        EXPECT_EQ(d.lblSec->text(), c.lblSec);
        EXPECT_EQ(d.lblMs->text(), c.lblMs);
        EXPECT_EQ(d.lblResult->text(), c.result);
        EXPECT_EQ(d.lblDetail->text(),
                  QStringLiteral("Resulting appear time for selected caption:\n") + c.start);
        EXPECT_EQ(d.cmdApply->isEnabled(), c.min || c.sec || c.ms);
    }
    // The arrow keys move a bar.
    d.show();
    QTest::keyClick(d.sldSec, Qt::Key_Right);
    EXPECT_EQ(d.Delay(), 1000);
}

TEST_F(SideWindows, TimeShiftAsksBeforeClearingCaptions) {
    Make({"a", "b", "c", "d"}, {{500, 1500}, {1500, 2500}, {2500, 4500}, {0, 0}});
    frmDelay d;
    d.show();
    d.sldSec->setValue(-2);
    msgbox.Answer(vbNo);
    Click(d.cmdApply);
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().title, "Warning");
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
    EXPECT_EQ(msgbox.last().defaultIndex, 1); // No
    EXPECT_TRUE(msgbox.last().text.startsWith("You have chosen to reduce the subtitles delay in 2000 "
                                              "milliseconds, but this would cause 2 captions"));
    EXPECT_TRUE(msgbox.last().text.endsWith("reset the timing of 2 captions to zero?"));
    // No: the window stays with its values and nothing changes.
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(GetLineStart(1), 500);
    EXPECT_FALSE(gModified);

    msgbox.Answer(vbYes);
    Click(d.cmdApply);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(IsLineTimed(1));
    EXPECT_FALSE(IsLineTimed(2));
    EXPECT_EQ(GetLineStart(3), 500);
    EXPECT_EQ(GetLineEnd(3), 2500);
    EXPECT_FALSE(IsLineTimed(4));
    EXPECT_TRUE(gModified);

    // Cancel changes nothing.
    gModified = false;
    frmDelay d2;
    d2.show();
    d2.sldMin->setValue(5);
    Click(d2.cmdCancel);
    EXPECT_EQ(d2.result(), QDialog::Rejected);
    EXPECT_EQ(GetLineStart(3), 500);
    EXPECT_FALSE(gModified);
}

TEST_F(SideWindows, TimeShiftWindowMovesByItsTitleAndItsIcon) {
    Make({"a"});
    frmDelay d;
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    for (QWidget* handle : std::initializer_list<QWidget*>{d.imgDrag, d.picTop}) {
        SCOPED_TRACE(qPrintable(handle->objectName()));
        EXPECT_EQ(DragHandleBy(handle, QPoint(32, 20)), QPoint(32, 20));
    }
}
