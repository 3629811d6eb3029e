// The rule run in the main window: its progress reaches the subtitle file label at most once per
// displayed frame, and the grid is painted once, after the run, not while it runs.
#include "base/settings.h"
#include "base/ui/pacedlabel.h"
#include "document/rules.h"
#include "mainwindow/GridView.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainwindow_fixture.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <cmath>
#include <map>

namespace {

class RulesProgress : public MainWindowFixture {
protected:
    // n captions that every rule leaves alone: one a second, shown half a second.
    QString Srt(int n) {
        QByteArray bytes;
        for (int i = 1; i <= n; ++i) {
            const QString t = QStringLiteral("%1:%2:%3")
                                  .arg(i / 3600, 2, 10, QLatin1Char('0'))
                                  .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                                  .arg(i % 60, 2, 10, QLatin1Char('0'));
            bytes += QByteArray::number(i) + "\n" + (t + ",000 --> " + t + ",500\n").toLatin1() + "caption " +
                     QByteArray::number(i) + "\n\n";
        }
        return WriteFile(QStringLiteral("doc.srt"), bytes);
    }
};

struct PaintCounter : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints[watched];
        return false;
    }
    std::map<QObject*, int> paints;
};

TEST_F(RulesProgress, TheLabelTakesProgressOncePerFrameAndTheGridIsPaintedAfterTheRun) {
    Make();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const QString path = Srt(2000); // 80 progress texts, one every 25 captions
    ASSERT_TRUE(w->LoadTextFile(path));
    QApplication::processEvents();
    auto* pacer = w->lblTextFile->findChild<PacedLabel*>();
    ASSERT_NE(pacer, nullptr);
    QLabel* label = w->lblTextFile;
    QWidget* grid = w->grdSubsView->viewport();
    const double frameMs = FrameIntervalNs(label->screen()->refreshRate()) / 1e6;

    // The driven clock moves this far each time a text is given. The label takes a text when a
    // frame has passed, so never more often than the run's length allows, and at the latest
    // with the first text after each frame. The first text waits its frame; a text the label
    // takes at the run's end is painted with the file label, after the run. A whole run within
    // one frame paints no progress at all; a slow one paints all texts between those two.
    const struct {
        int msPerText;
        int fewest, most; // progress paints of the label during the run
    } cases[] = {{0, 0, 0},
                 {1, 80 / int(std::ceil(frameMs)) - 1, int(80 / frameMs)},
                 {5, 80 / int(std::ceil(frameMs / 5)) - 1, int(400 / frameMs)},
                 {20, 78, 78}};
    const auto restore = gRulesHooks.restoreFileLabels;
    for (const auto& c : cases) {
        int64_t now = 0;
        pacer->SetClock([&] {
            const int64_t t = now;
            now += int64_t(c.msPerText) * 1000000;
            return t;
        });
        PaintCounter counter;
        label->installEventFilter(&counter);
        grid->installEventFilter(&counter);
        int labelPaintsInRun = -1, gridPaintsInRun = -1;
        gRulesHooks.restoreFileLabels = [&] {
            labelPaintsInRun = counter.paints[label];
            gridPaintsInRun = counter.paints[grid];
            restore();
        };
        msgbox.Answer(vbOK);
        w->mnuRules->trigger();
        gRulesHooks.restoreFileLabels = restore;
        EXPECT_EQ(msgbox.last().text, LangText(271)) << c.msPerText;

        EXPECT_GE(labelPaintsInRun, c.fewest) << c.msPerText << " ms per text";
        EXPECT_LE(labelPaintsInRun, c.most) << c.msPerText << " ms per text";
        EXPECT_EQ(gridPaintsInRun, 0) << c.msPerText << " ms per text";
        // After the run: the file label back and painted, the grid drawn again.
        EXPECT_EQ(label->text(), path);
        EXPECT_FALSE(pacer->Waiting());
        QApplication::processEvents();
        EXPECT_GT(counter.paints[label], labelPaintsInRun);
        EXPECT_GT(counter.paints[grid], 0);
        EXPECT_TRUE(w->grdSubsView->isEnabled());
        label->removeEventFilter(&counter);
        grid->removeEventFilter(&counter);
    }
}

} // namespace
