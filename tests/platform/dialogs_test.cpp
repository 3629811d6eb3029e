// The dialog procedures over a scripted dialog layer, and the real Qt dialogs driven headless.
#include "fixture.h"
#include "modal.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"
#include "platform/ui/QtDialogs.h"
#include "platform/ui/QtMsgBox.h"

#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class DialogProcs : public ScrivelleTest {};

TEST(FilterText, ConvertsPairsAndIgnoresTrailingBar) {
    EXPECT_EQ(ConvertFilter("SubRip (*.srt)|*.srt|All files|*.*"), "SubRip (*.srt) (*.srt);;All files (*.*)");
    EXPECT_EQ(ConvertFilter("SubRip (*.srt)|*.srt|All files|*.*|"),
              ConvertFilter("SubRip (*.srt)|*.srt|All files|*.*"));
    EXPECT_EQ(ConvertFilter("Video|*.avi;*.mpg; *.mkv|"), "Video (*.avi *.mpg *.mkv)");
    EXPECT_EQ(ConvertFilter("Lonely description"), "Lonely description (*)");
    EXPECT_EQ(ConvertFilter(""), "");
}

TEST(Colours, BgrRoundTripsThroughQColor) {
    EXPECT_EQ(BgrToColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(BgrToColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(BgrToColor(0x00FF00), QColor(0, 255, 0));
    for (int32_t c : {0x000000, 0xFFFFFF, 0x123456, 0xFFFF00, 0x0080FF})
        EXPECT_EQ(ColorToBgr(BgrToColor(c)), c);
    EXPECT_EQ(CustomColors()[0], 0xC0C0C0);
    EXPECT_EQ(CustomColors()[1], 0x0000FF);
    EXPECT_EQ(CustomColors()[15], 0xC000C0);
}

TEST(Nulls, StripNulls) {
    EXPECT_EQ(StripNulls(QString("abc") + QChar(0) + "def"), "abc");
    EXPECT_EQ(StripNulls("abc"), "abc");
    EXPECT_EQ(StripNulls(QString(QChar(0))), "");
}

TEST_F(DialogProcs, ColourCancelIsMinusOneAndBlackIsZero) {
    dialogs.colors = {-1, 0, 0x0080FF};
    EXPECT_EQ(ShowColor(nullptr, 0, 0xFFFFFF), -1);
    EXPECT_EQ(ShowColor(nullptr, 0, 0xFFFFFF), 0);
    EXPECT_EQ(ShowColor(nullptr, 0, 0xFFFFFF), 0x0080FF);
}

TEST_F(DialogProcs, FontChoiceIsLimitedAndCancelChangesNothing) {
    tFontSpec font{"Arial", 18, 700, true, false, false, false};
    int32_t color = 0xFFFFFF;
    dialogs.fonts.push_back(std::nullopt);
    EXPECT_FALSE(ShowFont(nullptr, kFontDialogFlags, font, color, 8, 48));
    EXPECT_EQ(font.name, "Arial");
    EXPECT_EQ(font.size, 18);

    dialogs.fonts.push_back(tFontSpec{"DejaVu Sans", 72, 400, false, true, false, false});
    EXPECT_TRUE(ShowFont(nullptr, kFontDialogFlags, font, color, 8, 48));
    EXPECT_EQ(font.name, "DejaVu Sans");
    EXPECT_EQ(font.size, 48);
    EXPECT_FALSE(font.bold); // the weight decides
    EXPECT_TRUE(font.italic);

    dialogs.fonts.push_back(tFontSpec{"Tiny", 2, 700, false, false, false, false});
    EXPECT_TRUE(ShowFont(nullptr, kFontDialogFlags, font, color, 8, 24));
    EXPECT_EQ(font.size, 8);
    EXPECT_TRUE(font.bold);

    dialogs.fonts.push_back(tFontSpec{"Any", 200, 400, false, false, false, false});
    EXPECT_TRUE(ShowFont(nullptr, kFontDialogFlags, font, color, 0, 0));
    EXPECT_EQ(font.size, 200); // no limits asked
}

TEST(FontRecord, HalfPointSizesSurviveQFont) {
    const tFontSpec record{"DejaVu Sans", 10.5, 400, false, false, true, false};
    const tFontSpec back = FromQFont(ToQFont(record));
    EXPECT_DOUBLE_EQ(back.size, 10.5);
    EXPECT_TRUE(back.underline);
    EXPECT_EQ(back.weight, 400);
    EXPECT_TRUE(FromQFont(ToQFont({"X", 12, 700, true, false, false, false})).bold);
}

TEST_F(DialogProcs, OpenAndSavePassConvertedFiltersAndStripNulls) {
    dialogs.paths = {"/x/a.srt", "", QString("/x/b.srt") + QChar(0) + "junk", "/x/c"};
    EXPECT_EQ(ShowOpen(nullptr, "SubRip|*.srt", "Open", "/x"), "/x/a.srt");
    EXPECT_EQ(dialogs.calls.last().filter, "SubRip (*.srt)");
    EXPECT_EQ(dialogs.calls.last().folder, "/x");
    EXPECT_EQ(ShowOpen(nullptr, "SubRip|*.srt|", "Open", "/x"), "");
    EXPECT_EQ(dialogs.calls.last().filter, "SubRip (*.srt)");
    const QString longName(254, 'n');
    EXPECT_EQ(ShowSave(nullptr, "SubRip|*.srt", "Save", "/x", longName), "/x/b.srt");
    EXPECT_EQ(dialogs.calls.last().defaultText, longName);
    EXPECT_EQ(BrowseForFolder(nullptr, "Pick"), "/x/c/");
}

TEST_F(DialogProcs, WithoutADialogLayerEverythingIsCancelled) {
    SetDialogs(nullptr);
    tFontSpec f;
    int32_t c = 0;
    EXPECT_EQ(ShowColor(nullptr, 0, 5), -1);
    EXPECT_FALSE(ShowFont(nullptr, 0, f, c, 0, 0));
    EXPECT_EQ(ShowOpen(nullptr, "a|*", "t", "/"), "");
    EXPECT_EQ(BrowseForFolder(nullptr, "t"), "");
    SetDialogs(&dialogs);
}

TEST(QtDialogsLive, ColourDialogOffersTheCustomColoursAndReturnsBgr) {
    QtDialogs d;
    QColor custom1;
    OnModal<QColorDialog>([&](QColorDialog* dlg) {
        custom1 = QColorDialog::customColor(1);
        dlg->setCurrentColor(QColor(0x10, 0x20, 0x30));
        dlg->accept();
    });
    EXPECT_EQ(d.ShowColor(nullptr, 0, 0xFFFFFF), 0x302010);
    EXPECT_EQ(custom1, QColor(255, 0, 0)); // 0x0000FF in the program's order
    OnModal<QColorDialog>([](QColorDialog* dlg) { dlg->reject(); });
    EXPECT_EQ(d.ShowColor(nullptr, 0, 0xFFFFFF), -1);
}

class RealMsgBox : public ::testing::Test {
protected:
    void SetUp() override { InstallQtMsgBox(); }
    void TearDown() override { SetMsgBoxHandler(nullptr); }
};

TEST_F(RealMsgBox, ShowsPlainTextWithTheAskedButtonsAndDefault) {
    QMessageBox::StandardButtons buttons;
    QAbstractButton* def = nullptr;
    QMessageBox* seen = nullptr;
    Qt::TextFormat format = Qt::AutoText;
    QString title;
    OnModal<QMessageBox>([&](QMessageBox* box) {
        seen = box;
        buttons = box->standardButtons();
        def = box->defaultButton();
        format = box->textFormat();
        title = box->windowTitle();
        box->button(QMessageBox::No)->click();
    });
    const int answer = MsgBox("<b>not bold</b>", vbYesNo + vbExclamation + vbDefaultButton2);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(answer, vbNo);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(title, "Quenlark Scrivelle");
    EXPECT_NE(def, nullptr);
}

TEST_F(RealMsgBox, EscapeAnswersCancelOrNo) {
    OnModal<QMessageBox>([](QMessageBox* box) { box->reject(); });
    EXPECT_EQ(MsgBox("q", vbYesNoCancel + vbQuestion), vbCancel);
    OnModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(MsgBox("q", vbYesNoCancel + vbQuestion, "Title"), vbYes);
}

TEST(MsgBoxStyle, AnswersOfEachButtonSet) {
    EXPECT_EQ(MsgBoxAnswers(vbOKOnly + vbCritical), (QList<int>{vbOK}));
    EXPECT_EQ(MsgBoxAnswers(vbOKCancel + vbInformation), (QList<int>{vbOK, vbCancel}));
    EXPECT_EQ(MsgBoxAnswers(vbYesNoCancel), (QList<int>{vbYes, vbNo, vbCancel}));
    EXPECT_EQ(MsgBoxAnswers(vbAbortRetryIgnore), (QList<int>{vbAbort, vbRetry, vbIgnore}));
    EXPECT_EQ(MsgBoxEscapeAnswer(vbYesNo), vbNo);
    EXPECT_EQ(MsgBoxEscapeAnswer(vbOKOnly), vbOK);
    EXPECT_EQ(MsgBoxDefaultIndex(vbYesNo + vbExclamation + vbDefaultButton2), 1);
    EXPECT_EQ(MsgBoxIcon(vbYesNo + vbExclamation + vbDefaultButton2), vbExclamation);
}

} // namespace

TEST(QtDialogsLive, TheInputBoxShowsItsWholeTitleAndIsNoLargerThanItsContent) {
    QtDialogs d;
    const QString title = "Go to line number, a title far longer than its prompt";
    QSize size, hint;
    OnModal<QDialog>([&](QDialog* box) {
        size = box->size();
        hint = box->sizeHint();
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), "12");
        QTest::keyClicks(edit, "7");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    bool ok = false;
    EXPECT_EQ(d.InputBox(nullptr, "Line:", title, "12", &ok), "7");
    EXPECT_TRUE(ok);
    EXPECT_GE(size.width(), InputBoxTitleWidth(title));
    EXPECT_EQ(size, hint);

    OnModal<QDialog>([](QDialog* box) { QTest::keyClick(box->findChild<QLineEdit*>(), Qt::Key_Escape); });
    EXPECT_EQ(d.InputBox(nullptr, "Line:", "Go to", "12", &ok), "");
    EXPECT_FALSE(ok);
}
