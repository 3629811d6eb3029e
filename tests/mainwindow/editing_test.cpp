// Caption editing and the preview caption in the real main window: the caption box, the time
// boxes driven by keys and mouse, the bulk commands, the line-break marker, the labels over the
// player's picture and the grid font command.
#include "base/settingsstore.h"
#include "document/captions.h"
#include "document/timecode.h"
#include "formats/formatdefs.h"
#include "mainwindow/GridView.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/mainpreview.h"
#include "mainwindow/mainstate.h"
#include "mainwindow_fixture.h"
#include "platform/MsgBox.h"
#include "timing_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

class EditingWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        gLineBreak = QStringLiteral("|");
        Make();
        w->showNormal();
        w->resize(1000, 700);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QApplication::processEvents();
    }

    // A subtitle of the given captions, caption i from i s to i s + 500 ms, nothing modified.
    void Open(const std::vector<QString>& texts) {
        w->ResetGrid(true);
        std::vector<tSubtitleLine> lines;
        int i = 0;
        for (const QString& t : texts) {
            ++i;
            lines.push_back({i * 1000, i * 1000 + 500, t});
        }
        ASSERT_TRUE(FillLines(0, lines));
        gSubFile = QStringLiteral("test.srt");
        SelectLine(1, false);
        w->ResetControls();
        gModified = false;
        QApplication::processEvents();
    }
    void OpenVideo() {
        gVideoFile = QStringLiteral("/v/movie.avi");
        w->ResetControls();
    }

    QString Cell(int row) const {
        const GridView* v = w->grdSubsView;
        return v->model()->data(v->model()->index(row - 1, kColText)).toString();
    }
    QLineEdit* Box(int i) const { return w->txtTime[i]; }
    void FocusBox(int i, int digit) {
        Box(i)->setFocus();
        QApplication::processEvents();
        Box(i)->setSelection(digit, 1);
    }
    int Sel(int i) const { return Box(i)->hasSelectedText() ? Box(i)->selectionStart() : -1; }
};

// --- Caption box ---

TEST_F(EditingWindow, TheCaptionBoxWritesBackEveryChangeAndMarksTheDocument) {
    Open({QStringLiteral("one"), QStringLiteral("two")});
    w->txtSub->setFocus();
    w->txtSub->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->txtSub, QStringLiteral("X"));
    EXPECT_EQ(GetLineText(1), "oneX");
    EXPECT_EQ(Cell(1), "oneX"); // the grid shows it at once
    EXPECT_TRUE(gModified);

    // A line break is the marker; the line being typed is written with its first character.
    QTest::keyClick(w->txtSub, Qt::Key_Return);
    EXPECT_EQ(GetLineText(1), "oneX");
    QTest::keyClicks(w->txtSub, QStringLiteral("y"));
    EXPECT_EQ(GetLineText(1), "oneX|y");
    EXPECT_EQ(w->txtSub->toPlainText(), "oneX\ny"); // the caret stayed where the user types

    // A paste (as the context menu and the middle button do it) writes too.
    QApplication::clipboard()->setText(QStringLiteral("P\nQ"));
    w->txtSub->paste();
    EXPECT_EQ(GetLineText(1), "oneX|yP|Q");

    // A style tag typed in shows in the grid's font and the Format menu.
    w->txtSub->moveCursor(QTextCursor::Start);
    QTest::keyClicks(w->txtSub, QStringLiteral("<i>"));
    EXPECT_TRUE(grdSubs().CellStyle(1, kColText) & FlexGrid::kItalic);
    EXPECT_TRUE(w->mnuFormatItalic->isChecked());

    // In preview mode the caption over the video follows the typing.
    OpenVideo();
    gTimingMode = 2;
    gPreviewRow = 2;
    SelectLine(2, false);
    w->txtSub->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->txtSub, QStringLiteral("s"));
    EXPECT_EQ(w->lblSub->text(), "twos");
    EXPECT_EQ(GetLineText(2), "twos");

    // Selecting other captions fills the box without writing or marking anything.
    gModified = false;
    SelectLine(1, false);
    EXPECT_FALSE(gModified);

    // Even the only caption: otherwise closing would drop its edit without asking.
    Open({QStringLiteral("only")});
    w->txtSub->setFocus();
    QTest::keyClicks(w->txtSub, QStringLiteral("!"));
    EXPECT_EQ(GetLineText(1), "!only");
    EXPECT_TRUE(gModified);
}

TEST_F(EditingWindow, TheCaptionHoldsWhatTheBoxShows) {
    // The last line of a two-line caption deleted from the keyboard, then the box left in each
    // way there is: the caption (grid, preview, file) never keeps the deleted line, and the box
    // ends up showing exactly the caption.
    enum class Then { Leave, OtherCaption, Save, TypeOn };
    for (const Then then : {Then::Leave, Then::OtherCaption, Then::Save, Then::TypeOn}) {
        SCOPED_TRACE(int(then));
        Open({QStringLiteral("Line one|Line two"), QStringLiteral("next")});
        OpenVideo();
        gTimingMode = 2;
        gPreviewRow = 1;
        w->ShowCaption(1);
        w->txtSub->setFocus();
        QApplication::processEvents();
        w->txtSub->moveCursor(QTextCursor::End);
        QTest::keyClick(w->txtSub, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(w->txtSub, Qt::Key_Delete);
        EXPECT_EQ(w->txtSub->toPlainText(), "Line one\n"); // the caret stays on the empty line
        EXPECT_EQ(GetLineText(1), "Line one");
        EXPECT_EQ(Cell(1), "Line one");
        EXPECT_EQ(w->lblSub->text(), "Line one");
        EXPECT_TRUE(gModified);
        switch (then) {
        case Then::Leave:
            QTest::keyClick(w->txtSub, Qt::Key_Tab);
            EXPECT_EQ(w->txtSub->toPlainText(), "Line one");
            break;
        case Then::OtherCaption:
            w->grdSubsView->setFocus(Qt::MouseFocusReason);
            SelectLine(2, false);
            SelectLine(1, false);
            EXPECT_EQ(w->txtSub->toPlainText(), "Line one");
            break;
        case Then::Save: {
            gSubFile = TempPath("saved.srt");
            gFormatIndex = int(gFormatIds.indexOf(QStringLiteral("SUBRIP")));
            w->mnuSave->trigger();
            EXPECT_EQ(ReadFileBytes(gSubFile), "1\r\n00:00:01,000 --> 00:00:01,500\r\nLine one\r\n\r\n"
                                               "2\r\n00:00:02,000 --> 00:00:02,500\r\nnext\r\n\r\n");
            break;
        }
        case Then::TypeOn:
            // Typing on the new line makes it a line of the caption again.
            QTest::keyClicks(w->txtSub, QStringLiteral("3"));
            EXPECT_EQ(GetLineText(1), "Line one|3");
            break;
        }
        w->txtSub->clearFocus();
    }
}

TEST_F(EditingWindow, TabLeavesTheCaptionBox) {
    Open({QStringLiteral("one"), QStringLiteral("two")});
    w->txtSub->setFocus();
    QApplication::processEvents();
    w->txtSub->moveCursor(QTextCursor::End);
    QTest::keyClick(w->txtSub, Qt::Key_Tab);
    EXPECT_TRUE(Box(0)->hasFocus());
    QTest::keyClick(Box(0), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(w->txtSub->hasFocus());
    QTest::keyClick(w->txtSub, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_FALSE(w->txtSub->hasFocus());
    EXPECT_EQ(w->txtSub->toPlainText(), "one");
    EXPECT_EQ(GetLineText(1), "one");
    EXPECT_FALSE(gModified);
}

TEST_F(EditingWindow, TextPastedOrGivenInAnInputBoxIsTakenAsTyped) {
    // No key types a tab or a control character (a right-to-left mark is no control); a caption never
    // ends with the marker.
    const std::pair<const char*, const char*> cases[] = {
        {"\ta\tb", " a b"},
        {"\x01g\x1bh\x7fi\x0bj\xc2\x85k\xe2\x80\x8fl", "ghijk\xe2\x80\x8fl"},
        {"one\r\ntwo|", "one|two"},
    };
    for (QAction* path : {static_cast<QAction*>(nullptr), w->mnuEditSelected, w->mnuAddBelow}) {
        for (const auto& [given, caption] : cases) {
            SCOPED_TRACE(testing::Message() << given << (path ? " in an input box" : " pasted"));
            Open({QStringLiteral("x"), QStringLiteral("y")});
            dialogs.inputs = {QString::fromUtf8(given)};
            QApplication::clipboard()->setText(*dialogs.inputs.front());
            w->txtSub->setFocus();
            w->txtSub->selectAll();
            path ? path->trigger() : QTest::keyClick(w->txtSub, Qt::Key_V, Qt::ControlModifier);
            dialogs.inputs.clear();
            EXPECT_EQ(GetLineText(path == w->mnuAddBelow ? 2 : 1), QString::fromUtf8(caption));
            EXPECT_FALSE(w->txtSub->toPlainText().contains(QLatin1Char('\t')));
        }
    }
}

// --- Time boxes ---

TEST_F(EditingWindow, TimeBoxesLeftWithoutEnterShowTheCaptionsTimesAgain) {
    // Caption 1 is 1,000 .. 1,500 ms. A time typed and then left in one way or another.
    enum class Leave { Tab, BackTab, ClickGrid, ClickCaptionBox, TabOnAndOut, Menu, OtherProgram };
    struct Case {
        int box;
        Leave leave;
        bool kept; // the typed time is still shown (the user is still on it)
    };
    const Case cases[] = {
        {0, Leave::BackTab, false},
        {1, Leave::Tab, false},
        {0, Leave::ClickGrid, false},
        {1, Leave::ClickGrid, false},
        {0, Leave::ClickCaptionBox, false},
        {0, Leave::TabOnAndOut, false},
        {0, Leave::Tab, true}, // on to the duration: Enter there writes both
        {1, Leave::BackTab, true},
        {0, Leave::Menu, true},
        {1, Leave::OtherProgram, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.box << " " << int(c.leave));
        Open({QStringLiteral("one"), QStringLiteral("two")});
        FocusBox(c.box, 6);
        QTest::keyClicks(Box(c.box), QStringLiteral("07"));
        const QString typed = Box(c.box)->text();
        ASSERT_EQ(typed, c.box == 0 ? "00:00:07,000" : "00:00:07,500");
        switch (c.leave) {
        case Leave::Tab:
            QTest::keyClick(Box(c.box), Qt::Key_Tab);
            break;
        case Leave::BackTab:
            QTest::keyClick(Box(c.box), Qt::Key_Backtab, Qt::ShiftModifier);
            break;
        case Leave::ClickGrid: {
            const QRect cell = w->grdSubsView->GridRowRect(1);
            QTest::mouseClick(w->grdSubsView->viewport(), Qt::LeftButton, {}, cell.center());
            break;
        }
        case Leave::ClickCaptionBox:
            QTest::mouseClick(w->txtSub->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
            break;
        case Leave::TabOnAndOut:
            QTest::keyClick(Box(0), Qt::Key_Tab);
            ASSERT_TRUE(Box(1)->hasFocus());
            QTest::keyClick(Box(1), Qt::Key_Tab);
            break;
        case Leave::Menu:
        case Leave::OtherProgram: {
            // A menu or another program takes the focus for a while; it comes back to the box.
            QFocusEvent out(QEvent::FocusOut,
                            c.leave == Leave::Menu ? Qt::PopupFocusReason : Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(Box(c.box), &out);
            break;
        }
        }
        QApplication::processEvents();
        EXPECT_EQ(Box(c.box)->text(), c.kept ? typed : QString(c.box == 0 ? "00:00:01,000" : "00:00:00,500"));
        EXPECT_EQ(Box(1 - c.box)->text(), 1 - c.box == 0 ? "00:00:01,000" : "00:00:00,500");
        EXPECT_EQ(GetLineStart(1), 1000);
        EXPECT_EQ(GetLineEnd(1), 1500);
        EXPECT_FALSE(gModified);
    }
}

TEST_F(EditingWindow, TimeBoxesTypeOverTheirShapeAndEnterWritesBoth) {
    Open({QStringLiteral("a caption of some length"), QStringLiteral("two")});
    FocusBox(0, 0);
    QTest::keyClicks(Box(0), QStringLiteral("000100"));
    EXPECT_EQ(Box(0)->text(), "00:01:00,000");
    EXPECT_EQ(GetLineStart(1), 1000); // nothing is written before Enter
    FocusBox(1, 6);
    QTest::keyClicks(Box(1), QStringLiteral("02500"));
    QTest::keyClick(Box(1), Qt::Key_Return);
    EXPECT_EQ(GetLineStart(1), 60000);
    EXPECT_EQ(GetLineEnd(1), 62500);
    EXPECT_TRUE(gModified);
    EXPECT_EQ(Box(1)->text(), "00:00:02,500");
    EXPECT_EQ(Sel(1), 11); // the selection is where it was

    // A zero duration takes the one the text asks for, and shows it.
    Box(1)->setText(QStringLiteral("00:00:00,000"));
    QTest::keyClick(Box(1), Qt::Key_Return);
    EXPECT_GT(GetLineEnd(1), 60000);
    EXPECT_EQ(Box(1)->text(), MsToTime(GetLineEnd(1) - 60000));

    // Keys that would break the shape are swallowed; arrows walk over the separators.
    FocusBox(0, 3);
    Box(0)->setText(QStringLiteral("11:22:33,444"));
    Box(0)->setSelection(3, 1);
    struct Step {
        Qt::Key key;
        const char* expected;
        int sel;
    };
    const Step steps[] = {
        {Qt::Key_Backspace, "11:02:33,444", 1}, // writes 0, steps back over the colon
        {Qt::Key_Delete, "11:02:33,444", 1},    {Qt::Key_A, "11:02:33,444", 1},
        {Qt::Key_Comma, "11:02:33,444", 1},     {Qt::Key_Right, "11:02:33,444", 3},
        {Qt::Key_Left, "11:02:33,444", 1},      {Qt::Key_9, "19:02:33,444", 3},
    };
    for (const Step& st : steps) {
        QTest::keyClick(Box(0), st.key);
        EXPECT_EQ(Box(0)->text(), st.expected) << st.key;
        EXPECT_EQ(Sel(0), st.sel) << st.key;
    }
}

TEST_F(EditingWindow, ATimeTypedWithItsSeparatorsIsTheTimeWritten) {
    // What a user types over the whole box: the separators are passed over, not written.
    struct Case {
        const char* typed;
        int expectedMs;
    };
    const Case cases[] = {{"00:00:20,000", 20000}, {"01:02:03,456", 3723456}, {"00;00;07.5", 7500}};
    for (const Case& c : cases) {
        Open({QStringLiteral("one"), QStringLiteral("two")});
        FocusBox(0, 0);
        QTest::keyClick(Box(0), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Box(0), QLatin1String(c.typed));
        QTest::keyClick(Box(0), Qt::Key_Return);
        EXPECT_EQ(GetLineStart(1), c.expectedMs) << c.typed;
        EXPECT_EQ(GetLineEnd(1), c.expectedMs + 500) << c.typed;
    }
}

TEST_F(EditingWindow, AClickSelectsADigitAndABrokenShapeGoesBackOnLeaving) {
    Open({QStringLiteral("one")});
    FocusBox(0, 0);
    // A click on the first minute digit, and one just before the second colon.
    for (const auto& [caret, selected] : {std::pair{3, 3}, std::pair{5, 6}}) {
        int x = 0;
        while (x < Box(0)->width() && Box(0)->cursorPositionAt(QPoint(x, 5)) < caret)
            ++x;
        QTest::mouseClick(Box(0), Qt::LeftButton, Qt::NoModifier, QPoint(x + 1, Box(0)->height() / 2));
        EXPECT_EQ(Sel(0), selected) << caret;
        EXPECT_EQ(Box(0)->selectedText().size(), 1);
    }
    // A paste can break the shape; leaving the box brings back what it had.
    QApplication::clipboard()->setText(QStringLiteral("12345"));
    Box(0)->selectAll();
    Box(0)->paste();
    EXPECT_EQ(Box(0)->text(), "12345");
    w->txtSub->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Box(0)->text(), "00:00:01,000");
    EXPECT_EQ(GetLineStart(1), 1000);
}

// --- Bulk commands ---

TEST_F(EditingWindow, ResetOfAllTimesAndRemovalOfAllTagsAskFirst) {
    Open({QStringLiteral("<b>one"), QStringLiteral("<i><u>two"), QStringLiteral("three")});
    SelectLine(2, false);
    msgbox.Answer(vbNo).Answer(vbNo);
    w->mnuReset->trigger();
    EXPECT_EQ(msgbox.last().defaultIndex, 1); // No
    w->mnuRemoveTags->trigger();
    EXPECT_TRUE(IsLineTimed(1));
    EXPECT_EQ(GetLineText(1), "<b>one");
    EXPECT_FALSE(gModified);

    msgbox.Answer(vbYes).Answer(vbYes);
    w->mnuReset->trigger();
    w->mnuRemoveTags->trigger();
    EXPECT_EQ(msgbox.last().text, LangText(77));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_FALSE(IsLineTimed(i)) << i;
        EXPECT_EQ(grdSubs().CellStyle(i, kColText), 0) << i;
    }
    EXPECT_EQ(GetLineText(2), "two");
    EXPECT_TRUE(gModified);
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(Box(0)->text(), "00:00:00,000");
    EXPECT_FALSE(w->mnuFormatItalic->isChecked());
    EXPECT_TRUE(grdSubs().Enabled());
}

TEST_F(EditingWindow, AnEditThroughTheInputBoxShowsItsTagsInTheGrid) {
    Open({QStringLiteral("a"), QStringLiteral("<b>b")});
    for (const auto& [text, style] : {std::pair{"<u>d", int(FlexGrid::kUnderline)}, std::pair{"plain", 0},
                                      std::pair{"<i><b>x", FlexGrid::kItalic | FlexGrid::kBold}}) {
        dialogs.inputs.push_back(QString::fromLatin1(text));
        w->mnuEditSelected->trigger();
        EXPECT_EQ(grdSubs().CellStyle(1, kColText), style) << text;
    }
}

// --- Line-break marker ---

TEST_F(EditingWindow, AMarkerChangeConvertsEveryLineBreakOfEveryCaption) {
    Open({QStringLiteral("a|b|c"), QStringLiteral("plain"), QStringLiteral("p|q")});
    w->mnuSeparator[2]->trigger();
    EXPECT_EQ(gLineBreak, "[br]");
    EXPECT_EQ(GetLineText(1), "a[br]b[br]c");
    EXPECT_EQ(GetLineText(3), "p[br]q");
    EXPECT_EQ(w->txtSub->toPlainText(), "a\nb\nc");
    EXPECT_FALSE(gModified); // the captions mean what they meant

    struct Case {
        std::optional<QString> answer;
        const char* marker; // in use afterwards
        int checked;
    };
    const Case cases[] = {
        {QStringLiteral("##"), "##", 3},
        {QStringLiteral("   "), "##", 3}, // blanks are refused
        {std::nullopt, "##", 3},          // Cancel keeps it too
        {QStringLiteral("/n"), "/n", 1},  // a custom answer that is a listed marker checks its item
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.marker);
        dialogs.inputs.push_back(c.answer);
        w->mnuSeparator[3]->trigger();
        EXPECT_EQ(gLineBreak, c.marker);
        EXPECT_TRUE(w->mnuSeparator[c.checked]->isChecked());
        EXPECT_EQ(ReadSetting(QStringLiteral("LBREAK")), c.marker);
        EXPECT_EQ(GetLineText(1), QStringLiteral("a%1b%1c").arg(QLatin1String(c.marker)));
    }
    EXPECT_EQ(w->mnuSeparator[3]->text(), LangText(164, QStringLiteral("##")));
}

// --- Preview caption ---

TEST_F(EditingWindow, TheCaptionShowsOverThePictureAsTheSettingsSay) {
    gCapFontBold = false;
    // A damaged settings file: no font name, size 0.
    gCapFontName.clear();
    gCapFontSize = 0;
    Open({QStringLiteral("<b><i>Hello|World"), QStringLiteral("<u>x")});
    EXPECT_EQ(w->lblSub->parentWidget(), w->WMP->PictureWidget());
    EXPECT_TRUE(w->lblSub->testAttribute(Qt::WA_TransparentForMouseEvents));

    // No video: the text is set, nothing shows.
    w->ShowCaption(1);
    EXPECT_EQ(w->lblSub->text(), "Hello\nWorld");
    EXPECT_TRUE(w->lblSub->isHidden());
    EXPECT_TRUE(w->lblSubShadow->isHidden());

    OpenVideo();
    w->ShowCaption(1);
    EXPECT_TRUE(w->lblSub->isVisible());
    EXPECT_TRUE(w->lblSubShadow->isVisible());
    EXPECT_EQ(w->lblSubShadow->text(), "Hello\nWorld");
    EXPECT_TRUE(w->lblSub->font().italic());
    EXPECT_FALSE(w->lblSub->font().bold()); // the caption's bold tag is not shown
    EXPECT_EQ(w->lblSub->font().family(), "Arial");
    EXPECT_EQ(w->lblSub->font().pointSize(), 18);
    EXPECT_FALSE(w->lblSub->font().underline());
    w->ShowCaption(2);
    EXPECT_FALSE(w->lblSub->font().italic());
    EXPECT_TRUE(w->lblSubShadow->font().underline());

    // Placed by the placement setting, shadow offset by its depth.
    const QWidget* picture = w->WMP->PictureWidget();
    const auto expectPlaced = [&] {
        const CaptionPlace p = PlaceCaptionIn(picture->width(), picture->height(), w->lblSub->height(),
                                              gCapPlacement, gCapShadow);
        EXPECT_EQ(w->lblSub->geometry(), p.caption);
        EXPECT_EQ(w->lblSubShadow->geometry(), p.shadow);
    };
    expectPlaced();
    w->resize(760, 600); // the picture's size changes: the caption follows
    QApplication::processEvents();
    expectPlaced();
    gCapPlacement = 100;
    gCapShadow = 0;
    w->PlaceCaption();
    expectPlaced();
    EXPECT_EQ(w->lblSub->geometry().bottom(), picture->height() - 1);

    // Bold, colour and the opaque box from the settings.
    gCapFontBold = true;
    gCapFontColor = 0x0000FF; // red in 0x00BBGGRR
    gCapOpaque = true;
    w->ShowCaption(1);
    EXPECT_TRUE(w->lblSub->font().bold());
    EXPECT_EQ(w->lblSub->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(w->lblSub->autoFillBackground());
    EXPECT_TRUE(w->lblSubShadow->isHidden());

    // Cleared, no box is left over the video.
    w->ResetControls(); // as every load and close does
    EXPECT_EQ(w->lblSub->text(), "");
    EXPECT_EQ(w->lblSubShadow->text(), "");
    EXPECT_FALSE(w->lblSub->autoFillBackground());
}

TEST_F(EditingWindow, CaptionTextIsNeverMarkup) {
    Open({QStringLiteral("<img src=x>"), QStringLiteral("a<b")});
    OpenVideo();
    for (int row : {1, 2}) {
        w->ShowCaption(row);
        EXPECT_EQ(w->lblSub->textFormat(), Qt::PlainText);
        EXPECT_EQ(w->lblSub->text(), GetLineText(row));
        EXPECT_EQ(Cell(row), GetLineText(row));
    }
    // Shown as plain text, the tag takes room on screen; as markup it would be an empty image.
    w->ShowCaption(1);
    EXPECT_GT(w->lblSub->sizeHint().width(),
              w->lblSub->fontMetrics().horizontalAdvance(QStringLiteral("<img")));
}

// --- Grid font ---

TEST_F(EditingWindow, TheGridFontCommandKeepsSizesFrom8To24) {
    gGridFontName.clear();
    gGridFontSize = 0; // a damaged settings file
    tFontSpec chosen;
    chosen.name = QStringLiteral("DejaVu Sans");
    chosen.size = 40;
    chosen.weight = 700;
    chosen.bold = true;
    dialogs.fonts.push_back(chosen);
    w->mnuFont->trigger();
    EXPECT_FALSE(dialogs.calls.last().defaultText.isEmpty()); // the dialog starts from a real font
    EXPECT_EQ(gGridFontName, "DejaVu Sans");
    EXPECT_EQ(gGridFontSize, 24);
    EXPECT_TRUE(gGridFontBold);
    EXPECT_EQ(w->grdSubsView->font().pointSize(), 24);
    EXPECT_TRUE(w->grdSubsView->font().bold());

    dialogs.fonts.push_back(std::nullopt);
    w->mnuFont->trigger();
    EXPECT_EQ(gGridFontSize, 24);
}

// --- Timing: a caption cancelled by a pause ---

TEST_F(TimingTest, APauseThatCancelsACaptionLeavesTheModifiedFlagAsItWas) {
    Timed({{100, 900, "one"}, {0, 0, "two"}});
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before);
        gModified = before;
        player->play();
        At(3000);
        Down();
        EXPECT_TRUE(gModified); // the start is written while the caption is timed
        player->pause();
        EXPECT_EQ(Span(1), std::make_pair(100, 900));
        EXPECT_EQ(gModified, before);
        Up();
    }
    // Another change while the caption was timed keeps the document modified.
    gModified = false;
    player->play();
    At(5000);
    Down();
    SetLineText(2, QStringLiteral("changed meanwhile"));
    player->pause();
    EXPECT_TRUE(gModified);
}

} // namespace
