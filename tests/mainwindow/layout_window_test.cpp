// The main window laid out by its own arithmetic: resizing, the splitter, the bars, the size
// limits from the window's hook and the waveform drawn once per burst of resizes.
#include "base/settings.h"
#include "dialogs/frmAbout.h"
#include "document/captions.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/frmMain.h"
#include "platform/IMediaPlayer.h"
#include "support/FakeMediaPlayer.h"
#include "support/fakes.h"
#include "support/fixture.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

class LayoutWindow : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLangIndex = 0;
        LoadLanguageStrings();
        w = std::make_unique<frmMain>(new FakeMediaPlayer);
        w->wavePlaced = [this] { ++waveDrawn; };
        // The waveform's redraw after resizing waits for the test to say that time has passed:
        // a busy machine may take longer between two resizes than the real pause.
        redraw = w->findChild<QTimer*>(QStringLiteral("tmrWaveRedraw"));
        ASSERT_NE(redraw, nullptr);
        redraw->setInterval(24 * 3600 * 1000);
        w->resize(900, 650);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QApplication::processEvents();
        redraw->stop();
        waveDrawn = 0;
    }
    // The pause after the last resize is over.
    void PauseEnds() {
        if (!redraw->isActive()) return;
        redraw->start(0);
        ASSERT_TRUE(WaitFor([&] { return !redraw->isActive(); }));
    }
    void TearDown() override {
        w.reset();
        ScrivelleTest::TearDown();
    }
    QWidget* Area() const { return w->centralWidget(); }
    void DragSplitter(Qt::MouseButtons buttons, int x) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 20), w->imgSize->mapToGlobal(QPointF(x, 20)),
                         Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(w->imgSize, &move);
    }

    std::unique_ptr<frmMain> w;
    QTimer* redraw = nullptr;
    int waveDrawn = 0;
};

TEST_F(LayoutWindow, ControlsTakeTheirPlacesForTheWindowsSize) {
    const MainLayout& g = w->Layout();
    EXPECT_EQ(g.lastWidth, Area()->width());
    EXPECT_EQ(w->grdSubsView->geometry(), g.grdSubs);
    EXPECT_EQ(w->WMP->Widget()->geometry(), g.WMP);
    EXPECT_EQ(w->picBottom->geometry().bottom(), Area()->height() - 1);
    EXPECT_EQ(w->imgSize->geometry().left(), w->grdSubsView->geometry().right() + 1);
    EXPECT_FALSE(w->imgLogo->isVisibleTo(w.get())); // 900 pixels: no logo
    // The nothing-loaded grid is one cell as wide as the grid.
    EXPECT_EQ(w->grdSubsView->columnWidth(0), w->grdSubsView->viewport()->width());

    w->resize(1200, 700);
    QApplication::processEvents();
    EXPECT_EQ(w->Layout().lastWidth, Area()->width());
    EXPECT_TRUE(w->imgLogo->isVisibleTo(w.get()));
    EXPECT_EQ(w->WMP->Widget()->geometry().right(), Area()->width() - 24 - 1);
}

TEST_F(LayoutWindow, ABurstOfResizesDrawsTheWaveformOnce) {
    for (int i = 1; i <= 20; ++i) {
        w->resize(900 + 7 * i, 650);
        QApplication::processEvents();
    }
    EXPECT_EQ(w->Layout().lastWidth, Area()->width()); // every step was laid out at once
    EXPECT_EQ(waveDrawn, 0);
    EXPECT_TRUE(redraw->isActive());
    PauseEnds();
    EXPECT_EQ(waveDrawn, 1);

    // Heights alone never redraw it.
    for (int i = 1; i <= 5; ++i) {
        w->resize(w->width(), 650 + 9 * i);
        QApplication::processEvents();
    }
    EXPECT_FALSE(redraw->isActive());
    PauseEnds();
    EXPECT_EQ(waveDrawn, 1);
}

TEST_F(LayoutWindow, TheSplitterFollowsTheLeftButtonWithinItsLimits) {
    const int before = w->grdSubsView->width();
    DragSplitter(Qt::RightButton, 50);
    EXPECT_EQ(w->grdSubsView->width(), before);
    DragSplitter(Qt::LeftButton, 50);
    EXPECT_EQ(w->grdSubsView->width(), before + 50);
    EXPECT_EQ(w->WMP->Widget()->geometry().left(), w->imgSize->geometry().right() + 1);
    // Past the player's room: ignored.
    DragSplitter(Qt::LeftButton, Area()->width());
    EXPECT_EQ(w->grdSubsView->width(), before + 50);
}

TEST_F(LayoutWindow, TheInfoBarAndTheAudioBarReflowTheHeight) {
    w->picAudio->hide();
    w->ArrangeMainForm(true);
    const int gridHeight = w->grdSubsView->height();
    gInfoBar = true;
    w->ToggleInfoBar(); // hidden: 8 pixels
    EXPECT_EQ(w->grdSubsView->geometry().top(), 8);
    EXPECT_EQ(w->grdSubsView->height(), gridHeight + 48);

    w->picAudio->show();
    w->ArrangeMainForm(true);
    EXPECT_EQ(w->grdSubsView->height(), gridHeight + 48 - (w->picWave->height() + 4));
    EXPECT_GT(w->picAudio->geometry().top(), w->grdSubsView->geometry().bottom());
    EXPECT_LT(w->picAudio->geometry().bottom(), w->picBottom->geometry().top());
}

TEST_F(LayoutWindow, TheHookGivesTheSizeLimits) {
    const QSize screen = w->screen()->size();
    EXPECT_EQ(w->minimumSize(), QSize(700, 570));
    EXPECT_EQ(w->maximumSize(), QSize(2 * screen.width(), screen.height()));
    w->resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(w->size(), QSize(700, 570));
    // Minimised and restored, the layout is as it was.
    const QRect grid = w->grdSubsView->geometry();
    w->showMinimized();
    QApplication::processEvents();
    w->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(w->grdSubsView->geometry(), grid);
}

TEST_F(LayoutWindow, TheWheelOverOtherControlsLeavesTheGridAlone) {
    grdSubs().SetTopRow(1);
    bool cancel = false;
    w->m_MW_MouseWheel(w->txtSub->viewport(), -120, 0, 0, 0, 0, cancel);
    EXPECT_EQ(grdSubs().TopRow(), 1);
    EXPECT_FALSE(cancel);
}

TEST_F(LayoutWindow, TheLogoOpensTheDonationPageOnALeftClick) {
    FakeShell shell;
    w->resize(1200, 700);
    QApplication::processEvents();
    QTest::mouseClick(w->imgLogo, Qt::RightButton);
    EXPECT_TRUE(shell.opened.isEmpty());
    QTest::mouseClick(w->imgLogo, Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList{kDonationPage});
}

} // namespace
