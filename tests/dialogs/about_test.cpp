#include "base/paths.h"
#include "dialogs/frmAbout.h"
#include "fixture.h"
#include "language/lang.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class AboutTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        LoadLanguageStrings();
    }
};

TEST_F(AboutTest, ShowsVersionsSystemAndMemory) {
    gFormatFile = WriteFile(QStringLiteral("formats.ini"), "[SFD_FILEINFO]\nversion=3.7\n");
    auto* box = new frmAbout;
    EXPECT_EQ(box->lblFormat->text(), QStringLiteral("Formats file version: 3.7"));
    EXPECT_TRUE(box->lblVersion->text().startsWith(QStringLiteral("Version 1.")));
    EXPECT_FALSE(box->lblOsName->text().isEmpty());
    EXPECT_TRUE(box->lblMemo->text().startsWith(QStringLiteral("Physical memory available to Windows: ")));
    EXPECT_TRUE(box->tmrMemo->isActive());
    EXPECT_EQ(box->tmrMemo->interval(), 1000);

    // The link opens the donation page on a left click only.
    QTest::mouseClick(box->lblWebsite, Qt::RightButton);
    EXPECT_TRUE(shell.opened.isEmpty());
    QTest::mouseClick(box->lblWebsite, Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList{kDonationPage});

    QPointer<frmAbout> alive(box);
    QTest::mouseClick(box->cmdOK, Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return alive.isNull(); }));
}

TEST_F(AboutTest, FormatFileWithoutItsSectionShowsOnePointZero) {
    for (const QByteArray& ini : {QByteArray("[SUBRIP]\nname=SubRip\n"), QByteArray()}) {
        gFormatFile =
            ini.isEmpty() ? TempPath(QStringLiteral("missing.ini")) : WriteFile(QStringLiteral("f.ini"), ini);
        frmAbout box;
        box.setAttribute(Qt::WA_DeleteOnClose, false);
        EXPECT_EQ(box.lblFormat->text(), QStringLiteral("Formats file version: 1.0"));
    }
}

} // namespace
