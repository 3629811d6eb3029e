// Timing through the real main window: the Apply button pressed and released with the mouse
// and the space bar, the hot keys through the window's key preview, and where the focus goes.
#include "base/paths.h"
#include "base/settings.h"
#include "document/captions.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/keyrepeat.h"
#include "mainwindow/mainwindow_fixture.h"
#include "support/FakeMediaPlayer.h"
#include "support/fixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

namespace {

using Span2 = std::pair<int32_t, int32_t>;

class TimingWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        gDurationMode = 0; // no automatic end unless a test asks
        Make();
        player->SetMediaLength(600);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QByteArray srt;
        for (int i = 1; i <= 4; ++i)
            srt += QByteArray::number(i) + "\r\n00:0" + QByteArray::number(i) + ":00,000 --> 00:0" +
                   QByteArray::number(i) + ":00,500\r\ncaption " + QByteArray::number(i) + "\r\n\r\n";
        ASSERT_TRUE(w->LoadTextFile(WriteFile("doc.srt", srt)));
        w->LoadVideoFile(WriteFile("movie.avi", "RIFF"));
        w->optPress->setChecked(true);
        w->optPress_Click();
        ASSERT_TRUE(w->cmdApply->isEnabled());
    }

    void At(int ms) { player->Advance(int(ms - player->positionMs())); }
    static Span2 Span(int row) { return {GetLineStart(row), GetLineEnd(row)}; }
    // What X11 sends while a key is held: a release and a press, both marked auto-repeat.
    static void Repeat(QWidget* target, Qt::Key key, const QString& text) {
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text, true);
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text, true);
        QApplication::sendEvent(target, &up);
        QApplication::sendEvent(target, &down);
    }
    // What X11 often sends instead: the same pair, not marked as a repeat.
    static void UnmarkedRepeat(QWidget* target, Qt::Key key, const QString& text) {
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text, false);
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text, false);
        QApplication::sendEvent(target, &up);
        QApplication::sendEvent(target, &down);
    }
    // A release is acted on once no press of the same key followed it.
    static void Settle() { QTest::qWait(kRepeatGapMs * 3); }
};

} // namespace

TEST_F(TimingWindow, TheApplyButtonTimesWithTheMouseAndTheSpaceBar) {
    At(1000);
    QTest::mousePress(w->cmdApply, Qt::LeftButton);
    EXPECT_TRUE(w->Timing()->InProgress());
    At(2500);
    QTest::mouseRelease(w->cmdApply, Qt::LeftButton);
    EXPECT_EQ(Span(1), Span2(1000, 2500));
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(w->lblTime->text(), "2500");

    // The next press comes quickly: Qt delivers it as a double click.
    At(2600);
    QTest::mouseDClick(w->cmdApply, Qt::LeftButton);
    EXPECT_EQ(GetLineStart(2), 2500); // joined to the previous end
    At(2800);
    QTest::mouseRelease(w->cmdApply, Qt::LeftButton);
    EXPECT_EQ(Span(2), Span2(2500, 2800));

    w->cmdApply->setFocus();
    At(4000);
    QTest::keyPress(w->cmdApply, Qt::Key_Space);
    for (int t = 4100; t < 5000; t += 100) {
        At(t);
        Repeat(w->cmdApply, Qt::Key_Space, " ");
    }
    At(5000);
    QTest::keyRelease(w->cmdApply, Qt::Key_Space);
    Settle();
    EXPECT_EQ(Span(3), Span2(4000, 5000));
    EXPECT_EQ(grdSubs().Row(), 4);
    EXPECT_EQ(QApplication::focusWidget(), w->cmdApply);
}

TEST_F(TimingWindow, HotKeysReachTheTimingWhereverTheFocusIsButNotWhileTyping) {
    w->grdSubsView->setFocus();
    At(1000);
    QTest::keyPress(w->grdSubsView, Qt::Key_B);
    At(1500);
    Repeat(w->grdSubsView, Qt::Key_B, "b");
    At(1900);
    QTest::keyRelease(w->grdSubsView, Qt::Key_B);
    Settle();
    EXPECT_EQ(Span(1), Span2(1000, 1900));
    EXPECT_FALSE(w->cmdApply->font().underline());

    w->txtSub->setFocus();
    const QString before = w->txtSub->toPlainText();
    At(3000);
    QTest::keyClick(w->txtSub, Qt::Key_B);
    EXPECT_FALSE(w->Timing()->InProgress());
    EXPECT_EQ(w->txtSub->toPlainText(), "b" + before);
    EXPECT_EQ(Span(2), Span2(120000, 120500));
}

TEST_F(TimingWindow, TheFocusStaysWithTheTimingButtons) {
    // Manual mode on the keyboard: Start hands the focus to Next, End back to Start.
    w->optManual->setChecked(true);
    w->optManual_Click();
    w->cmdApply->setFocus();
    At(1000);
    QTest::keyClick(w->cmdApply, Qt::Key_Space);
    EXPECT_EQ(QApplication::focusWidget(), w->cmdNext);
    At(1500);
    QTest::keyClick(w->cmdNext, Qt::Key_Space);
    EXPECT_EQ(Span(1), Span2(1000, 1500));
    At(1800);
    QTest::keyClick(w->cmdEnd, Qt::Key_Space);
    EXPECT_EQ(Span(2), Span2(1500, 1800));
    EXPECT_EQ(QApplication::focusWidget(), w->cmdApply);

    // Press-and-hold with the automatic end: Apply is off while the caption runs, and has the
    // focus back for the next caption once the end has passed.
    gDurationMode = 1;
    w->optPress->setChecked(true);
    w->optPress_Click();
    w->cmdApply->setFocus();
    At(3000);
    QTest::keyPress(w->cmdApply, Qt::Key_Space);
    EXPECT_FALSE(w->cmdApply->isEnabled());
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_FALSE(w->optPress->hasFocus());
    At(4200);
    w->Timing()->tmrTime_Timer();
    EXPECT_EQ(Span(3), Span2(3000, 4080));
    EXPECT_TRUE(w->cmdApply->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), w->cmdApply);
}

TEST_F(TimingWindow, AHeldKeyIsOneCaptionEvenWhenItsRepeatsAreNotMarked) {
    struct Hold {
        const char* name;
        Qt::Key key;
        const char* text;
        bool onApply;
    };
    const Hold holds[] = {{"Start hot key", Qt::Key_B, "b", false}, {"space bar on Apply", Qt::Key_Space, " ", true}};
    int row = 1;
    for (const Hold& h : holds) {
        SCOPED_TRACE(h.name);
        QWidget* target = h.onApply ? static_cast<QWidget*>(w->cmdApply) : w->grdSubsView;
        target->setFocus();
        const int t0 = 10000 * row;
        At(t0);
        QTest::keyPress(target, h.key, Qt::NoModifier);
        // 660 ms until the key repeats, then 25 pairs a second.
        for (int t = t0 + 660; t < t0 + 1500; t += 40) {
            At(t);
            UnmarkedRepeat(target, h.key, h.text);
        }
        At(t0 + 1500);
        QTest::keyRelease(target, h.key, Qt::NoModifier);
        // The video plays on while the release waits: the end is where the key came up.
        At(t0 + 1530);
        Settle();
        EXPECT_EQ(Span(row), Span2(t0, t0 + 1500));
        EXPECT_EQ(grdSubs().Row(), row + 1);
        EXPECT_EQ(Span(row + 1), Span2((row + 1) * 60000, (row + 1) * 60000 + 500)) << "untouched";
        ++row;
    }

    // Pressed again once the release went through: a caption of its own.
    w->grdSubsView->setFocus();
    At(30000);
    QTest::keyPress(w->grdSubsView, Qt::Key_B);
    At(30600);
    QTest::keyRelease(w->grdSubsView, Qt::Key_B);
    Settle();
    At(31000);
    QTest::keyPress(w->grdSubsView, Qt::Key_B);
    At(31300);
    QTest::keyRelease(w->grdSubsView, Qt::Key_B);
    Settle();
    EXPECT_EQ(Span(3), Span2(30000, 30600));
    EXPECT_EQ(Span(4), Span2(31000, 31300));
}

TEST_F(TimingWindow, HotKeysThatActOnPressActOncePerHold) {
    w->grdSubsView->setFocus();
    QTest::keyPress(w->grdSubsView, Qt::Key_F); // Jump: the next caption
    for (int i = 0; i < 10; ++i)
        UnmarkedRepeat(w->grdSubsView, Qt::Key_F, "f");
    QTest::keyRelease(w->grdSubsView, Qt::Key_F);
    Settle();
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(player->positionMs(), 120000); // the caption's start

    // Manual timing on hot keys, each pressed while the last release is still held back.
    w->optManual->setChecked(true);
    w->optManual_Click();
    At(121000);
    QTest::keyPress(w->grdSubsView, Qt::Key_B);
    At(121200);
    QTest::keyRelease(w->grdSubsView, Qt::Key_B);
    At(121500);
    QTest::keyClick(w->grdSubsView, Qt::Key_N);
    At(121800);
    QTest::keyClick(w->grdSubsView, Qt::Key_M);
    Settle();
    EXPECT_EQ(Span(2), Span2(121000, 121500));
    EXPECT_EQ(Span(3), Span2(121500, 121800));
}
