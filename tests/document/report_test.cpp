#include "document/captions.h"
#include "document/report.h"
#include "language/lang.h"
#include "support/fixture.h"

#include <limits>
#include <ostream>


namespace {

// Every report text replaced by its number, with its placeholders, so the tests see which text
// went where without depending on any language's wording.
class Report : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        for (int k : {229, 230, 231, 233, 234, 236, 239, 241, 266})
            gLang[k] = u'<' + QString::number(k) + u'>';
        for (int k : {224, 225, 226, 227, 228, 232, 235, 237, 240, 242, 244, 267})
            gLang[k] = u'<' + QString::number(k) + QStringLiteral(":%1>");
        for (int k : {238, 243, 245, 268})
            gLang[k] = u'<' + QString::number(k) + QStringLiteral(":%1:%2>");
        gModified = false;
    }
};

} // namespace

TEST_F(Report, AResetLeavesOneEmptyEntryAndNoTotals) {
    LogCaptionIssue(3, QStringLiteral("x"), kReportSplit, 0, false);
    LogCaptionIssue(4, QStringLiteral("y"), kReportRemoved, 0, false);
    ResetReportLists();
    EXPECT_EQ(gReportDetail, QStringList({QString()}));
    EXPECT_EQ(gReportSummary, QStringList({QString()}));
    EXPECT_EQ(gReportCount, 0);
    EXPECT_EQ(gRepSplit + gRepCollisions + gRepDurations + gRepRemoved, 0);
}

TEST_F(Report, ANegativeDurationFindingHasFourDetailLinesAndASummary) {
    LogCaptionIssue(7, QStringLiteral("Hi"), kReportNegativeDuration, 1500, false);
    ASSERT_EQ(gReportCount, 1);
    EXPECT_EQ(gReportDetail[0].split(QStringLiteral("\r\n")),
              QStringList({"<228:4> [7]", "<229>\"Hi\"", "<266>", "<267:1500>"}));
    EXPECT_EQ(gReportSummary[0], "<268:7:1500>");
    EXPECT_EQ(gRepDurations, 1);
    EXPECT_TRUE(gModified);
}

TEST_F(Report, EachKindUsesItsOwnTextsAndTotal) {
    LogCaptionIssue(1, QStringLiteral("a|b|c"), kReportSplit, 0, false);
    LogCaptionIssue(2, QStringLiteral("b"), kReportCollision, 80, true);
    LogCaptionIssue(3, QStringLiteral("c"), kReportCollision, 90, false);
    LogCaptionIssue(4, QStringLiteral("d"), kReportDuration, 300, true);
    LogCaptionIssue(5, QStringLiteral("e"), kReportDuration, -2800, true);
    LogCaptionIssue(6, QStringLiteral("f"), kReportDuration, -2800, false);
    LogCaptionIssue(8, QStringLiteral("www"), kReportRemoved, 0, false);

    ASSERT_EQ(gReportCount, 7);
    const auto kindLines = [](int k) { return gReportDetail[k].split(QStringLiteral("\r\n")).mid(2); };
    EXPECT_EQ(kindLines(0), QStringList({"<233>", "<234>"}));
    EXPECT_EQ(kindLines(1), QStringList({"<236>", "<237:80>"}));
    EXPECT_EQ(kindLines(2), QStringList({"<236>", "<239>"}));
    EXPECT_EQ(kindLines(3), QStringList({"<241>", "<242:300>"}));
    // A reduction is shown as a positive amount.
    EXPECT_EQ(kindLines(4), QStringList({"<241>", "<244:2800>"}));
    EXPECT_EQ(kindLines(5), QStringList({"<241>", "<239>"}));
    EXPECT_EQ(kindLines(6), QStringList({"<230>", "<231>"}));
    EXPECT_EQ(gReportSummary.mid(0, 7), QStringList({"<235:1>", "<238:2:80>", "<240:3>", "<243:4:300>",
                                                     "<245:5:2800>", "", "<232:8>"}));
    EXPECT_EQ(gRepSplit, 1);
    EXPECT_EQ(gRepCollisions, 2);
    EXPECT_EQ(gRepDurations, 3);
    EXPECT_EQ(gRepRemoved, 1);
}

TEST_F(Report, CollisionsUnderFiftyMillisecondsAreDropped) {
    LogCaptionIssue(2, QStringLiteral("b"), kReportCollision, 49, true);
    EXPECT_EQ(gReportCount, 0);
    EXPECT_EQ(gReportSummary, QStringList({QString()}));
    EXPECT_FALSE(gModified);
    LogCaptionIssue(2, QStringLiteral("b"), kReportCollision, 50, true);
    EXPECT_EQ(gReportCount, 1);
    EXPECT_EQ(gRepCollisions, 1);
}

TEST_F(Report, AnyFindingMarksTheDocumentModified) {
    // Even one where nothing was changed.
    LogCaptionIssue(2, QStringLiteral("b"), kReportCollision, 500, false);
    EXPECT_TRUE(gModified);
}

TEST_F(Report, ExtremeAmountsAndTotalsStayInRange) {
    LogCaptionIssue(1, QString(), kReportDuration, std::numeric_limits<int32_t>::min(), true);
    EXPECT_EQ(gReportSummary[0], "<245:1:2147483648>");
    for (int i = 0; i < 32770; ++i)
        LogCaptionIssue(1, QString(), kReportRemoved, 0, false);
    EXPECT_EQ(gRepRemoved, std::numeric_limits<int16_t>::max());
    EXPECT_EQ(gReportCount, 32771);
}

TEST_F(Report, ViewsAreTheTotalsFollowedByEachFinding) {
    LogCaptionIssue(2, QStringLiteral("b"), kReportCollision, 80, true);
    LogCaptionIssue(7, QStringLiteral("Hi"), kReportNegativeDuration, 1500, false);
    const QString totals = QStringLiteral("<225:0>\r\n<226:1>\r\n<227:1>\r\n<224:0>\r\n\r\n");
    EXPECT_EQ(ReportTotalsText(), totals);
    EXPECT_EQ(StandardReportText(), totals + "<238:2:80>\r\n<268:7:1500>\r\n");
    EXPECT_EQ(DetailedReportText(),
              totals + gReportDetail[0] + "\r\n---\r\n" + gReportDetail[1] + "\r\n---\r\n");

    ResetReportLists();
    EXPECT_EQ(StandardReportText(), QStringLiteral("<225:0>\r\n<226:0>\r\n<227:0>\r\n<224:0>\r\n\r\n"));
}
