#include "base/settings.h"
#include "document/captions.h"
#include "document/report.h"
#include "document/rules.h"
#include "document/ui/frmReport.h"
#include "language/lang.h"
#include "support/fixture.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWidget>

#include <memory>
#include <ostream>


namespace {

class ReportWindowTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        LoadSettings();
        for (int k : {66, 117, 183, 185, 186, 187, 249, 257, 258, 271, 31})
            gLang[k] = QStringLiteral("T") + QString::number(k);
        gLang[188] = QStringLiteral("TOTAL %1");
        gLang[232] = QStringLiteral("REMOVED %1");
        gLang[230] = QStringLiteral("CREDIT");
    }

    // Lets deferred deletions happen.
    static void Settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static QString Shown(const frmReport& w) { return w.txtReport->toPlainText(); }
};

} // namespace

TEST_F(ReportWindowTest, LoadTakesItsTextsFromTheLanguageAndSaysWhatWasFound) {
    {
        frmReport w;
        EXPECT_EQ(w.cmdOK->text(), "T66");
        EXPECT_EQ(w.optStandard->text(), "T257");
        EXPECT_EQ(w.optDetailed->text(), "T258");
        EXPECT_EQ(w.lblDefine->text(), "T183");
        EXPECT_EQ(w.windowTitle(), "T185");
        EXPECT_EQ(w.lblTop->text(), "T249"); // no subtitle open
        EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    }
    gSubFile = QStringLiteral("/tmp/a.srt");
    {
        frmReport w;
        EXPECT_EQ(w.lblTop->text(), "T186");
    }
    LogCaptionIssue(3, QStringLiteral("www"), kReportRemoved, 0, false);
    {
        frmReport w;
        EXPECT_EQ(w.lblTop->text(), "T187");
    }
}

TEST_F(ReportWindowTest, ShowsTheStandardViewOnActivationAndTheDetailedOneOnRequest) {
    LogCaptionIssue(3, QStringLiteral("www"), kReportRemoved, 0, false);
    LogCaptionIssue(5, QStringLiteral("@x"), kReportRemoved, 0, false);
    frmReport w;
    w.show();
    QCoreApplication::processEvents();
    QString standard = StandardReportText();
    standard.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(Shown(w), standard);
    EXPECT_EQ(w.lblTotal->text(), "TOTAL 2");
    EXPECT_TRUE(w.optStandard->isChecked());

    QTest::mouseClick(w.optDetailed, Qt::LeftButton);
    EXPECT_TRUE(Shown(w).contains(QStringLiteral("\"@x\"\nCREDIT")));
    EXPECT_EQ(Shown(w).count(QStringLiteral("\n---\n")), 2);
    EXPECT_EQ(w.lblTotal->text(), "TOTAL 2");

    // Activation again keeps the chosen view.
    w.Form_Activate();
    EXPECT_EQ(Shown(w).count(QStringLiteral("\n---\n")), 2);
    QTest::mouseClick(w.optStandard, Qt::LeftButton);
    EXPECT_EQ(Shown(w), standard);
}

TEST_F(ReportWindowTest, OkUnloadsTheWindow) {
    QPointer<frmReport> w = ShowReportWindow(nullptr);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    QTest::mouseClick(w->cmdOK, Qt::LeftButton);
    EXPECT_EQ(ReportWindow(), nullptr);
    Settle();
    EXPECT_TRUE(w.isNull());
}

TEST_F(ReportWindowTest, DefiningTheRulesUnloadsTheReportAndOpensTheSettings) {
    int settingsShown = 0;
    gShowRulesSettings = [&] {
        ++settingsShown;
        EXPECT_EQ(ReportWindow(), nullptr);
    };
    QPointer<frmReport> w = ShowReportWindow(nullptr);
    EXPECT_EQ(w->lblDefine->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(w->lblDefine, Qt::RightButton);
    EXPECT_EQ(settingsShown, 0);
    EXPECT_EQ(ReportWindow(), w.data());
    QTest::mouseClick(w->lblDefine, Qt::LeftButton);
    EXPECT_EQ(settingsShown, 1);
    Settle();
    EXPECT_TRUE(w.isNull());
}

TEST_F(ReportWindowTest, TheRulesCommandOpensTheReportOwnedByTheMainWindowWhenThereAreFindings) {
    auto owner = std::make_unique<QWidget>();
    gRemoveCredits = 1;
    ResetCaptionGrid(true);
    AddLine(1000, 2000, QStringLiteral("www.example"));
    AddLine(3000, 4000, QStringLiteral("Hello there"));

    ApplyRulesAndReport(owner.get());
    QPointer<frmReport> first = ReportWindow();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->parentWidget(), owner.get());
    EXPECT_TRUE(first->isVisible());
    QCoreApplication::processEvents();
    EXPECT_TRUE(Shown(*first).contains(QStringLiteral("REMOVED 1")));

    // The next run closes the old window before it starts; with nothing found it says so instead.
    msgbox.Answer(vbOK);
    ApplyRulesAndReport(owner.get());
    EXPECT_EQ(ReportWindow(), nullptr);
    Settle();
    EXPECT_TRUE(first.isNull());
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, "T271");

    // Silent: neither window nor message.
    ApplyRulesAndReport(owner.get(), true);
    EXPECT_EQ(msgbox.count(), 1);
    EXPECT_EQ(ReportWindow(), nullptr);
}

TEST_F(ReportWindowTest, EscapeClosesTheWindowForGood) {
    QPointer<frmReport> w = ShowReportWindow(nullptr);
    QTest::keyClick(w.data(), Qt::Key_Escape);
    Settle();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(ReportWindow(), nullptr);
}

TEST_F(ReportWindowTest, TheTitleAndItsIconMoveTheWindowWhereNoWindowManagerDoes) {
    QPointer<frmReport> w = ShowReportWindow(nullptr);
    ASSERT_TRUE(w);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    for (QLabel* title : {w->imgDrag, w->picTop}) {
        SCOPED_TRACE(qPrintable(title->objectName()));
        const QPoint before = w->pos();
        const QPoint grab = title->mapToGlobal(QPoint(5, 5));
        QCursor::setPos(grab);
        QTest::mousePress(title, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        for (const QPoint step : {QPoint(10, 4), QPoint(40, 25)}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(title->mapFromGlobal(grab + step)), QPointF(grab + step),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(title, &move);
        }
        QTest::mouseRelease(title, Qt::LeftButton, Qt::NoModifier, title->mapFromGlobal(grab + QPoint(40, 25)));
        EXPECT_EQ(w->pos(), before + QPoint(40, 25));
        // Once the button is up, the mouse moves no window.
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(grab + QPoint(90, 90)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(title, &move);
        Settle();
        EXPECT_EQ(w->pos(), before + QPoint(40, 25));
    }
    UnloadReportWindow();
}
