// Caption editing in the main window: the caption box writes back to the current caption as it
// changes; the two time boxes take digits over their fixed shape and write the caption's start
// and end on Enter; the Edit and Settings menu commands that rewrite captions in bulk (reset of
// all times, removal of all style tags, the line-break marker). The caret and key rules live
// in captionboxrules.h; the handlers here only read and set the boxes.
#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/rules.h"
#include "document/timecode.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/captionboxrules.h"
#include "mainwindow/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace {

bool CaptionRow(int row) {
    return IsDocumentGrid() && row >= 1 && row < grdSubs().Rows();
}

// The index of the time box, or -1.
int TimeBoxIndex(const frmMain* w, const QObject* o) {
    for (int i = 0; i < 2; ++i)
        if (w->txtTime[i] == o) return i;
    return -1;
}

// The focus went elsewhere in the window, as opposed to a menu or another program's window
// taking it for a while (it comes back to the box afterwards).
bool LeftTheBox(const QEvent* event) {
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

// The caption box's and the time boxes' events, handed to the window's handlers.
class EditingEvents final : public QObject {
public:
    explicit EditingEvents(frmMain* window) : QObject(window), w(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == w->txtSub) {
            if (event->type() == QEvent::FocusOut && LeftTheBox(event)) w->txtSub_LostFocus();
            return false;
        }
        const int index = TimeBoxIndex(w, watched);
        if (index < 0) return false;
        switch (event->type()) {
        case QEvent::FocusIn:
            w->txtTime_GotFocus(index);
            break;
        case QEvent::FocusOut:
            if (LeftTheBox(event)) w->txtTime_LostFocus(index);
            break;
        case QEvent::KeyPress:
            return w->txtTime_KeyPress(index, static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonRelease:
            // The box places its caret first; the rules then select the digit there.
            watched->event(event);
            w->txtTime_MouseUp(index);
            return true;
        default:
            break;
        }
        return false;
    }

private:
    frmMain* w;
};

// A menu shows "&" as a shortcut mark; a marker shows it as it is.
QString MenuLiteral(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void frmMain::ConnectEditing() {
    connect(mnuReset, &QAction::triggered, this, &frmMain::mnuReset_Click);
    connect(mnuRemoveTags, &QAction::triggered, this, &frmMain::mnuRemoveTags_Click);
    connect(mnuFont, &QAction::triggered, this, &frmMain::mnuFont_Click);
    for (int i = 0; i < 4; ++i)
        connect(mnuSeparator[i], &QAction::triggered, this, [this, i] { mnuSeparator_Click(i); });
    // Every change, whatever made it (typing, a paste by mouse or from the context menu, undo).
    connect(txtSub, &QPlainTextEdit::textChanged, this, &frmMain::txtSub_Change);
    mEditingEvents = new EditingEvents(this);
    txtSub->installEventFilter(mEditingEvents);
    for (int i = 0; i < 2; ++i) {
        txtTime[i]->installEventFilter(mEditingEvents);
        // A paste or a cut changes the text without a key the rules see.
        connect(txtTime[i], &QLineEdit::textEdited, this, [this, i] { txtTime_Change(i); });
    }
}

// --- Caption box ---

void frmMain::txtSub_Change() {
    // The box being filled from the caption is no edit.
    if (mCaptionBoxSync || !txtSub->isEnabled() || IsDocumentBusy()) return;
    const int row = grdSubs().Row();
    if (!CaptionRow(row)) return;
    const QString text = CaptionBox::ToCaption(txtSub->toPlainText(), gLineBreak);
    if (text == GetLineText(row)) return;
    mCaptionBoxSync = true;
    SetLineText(row, text);
    mCaptionBoxSync = false;
    // The caption list refuses a text that ends with the marker; Normalized never gives one.
    if (GetLineText(row) != text) return;
    MirrorTags(row);
    if (gTimingMode == 2 && gPreviewRow > 0 && row == gPreviewRow) ShowCaption(gPreviewRow);
    gModified = true;
    SetStyleChecks(row);
}

void frmMain::txtSub_LostFocus() {
    // The caption holds the box's text without its empty lines (a line break just typed at the
    // end, a blank line left by a deletion): the box now shows exactly that.
    if (!txtSub->isEnabled() || IsDocumentBusy()) return;
    const int row = grdSubs().Row();
    if (CaptionRow(row)) ShowSelectedLine(row);
}

void frmMain::MirrorTags(int row) {
    if (!CaptionRow(row)) return;
    uint8_t style = 0;
    if (IsLineBold(row)) style |= FlexGrid::kBold;
    if (IsLineItalic(row)) style |= FlexGrid::kItalic;
    if (IsLineUnderline(row)) style |= FlexGrid::kUnderline;
    if (grdSubs().CellStyle(row, kColText) != style) grdSubs().SetCellStyle(row, kColText, style);
}

// --- Time boxes ---

void frmMain::txtTime_GotFocus(int index) {
    mTimeTag[index] = txtTime[index]->text();
}

void frmMain::txtTime_LostFocus(int index) {
    RestoreTimeShape(index);
    // Enter in either box writes both, so a time typed in one stays while the user goes on to
    // the other. Leaving the two without Enter writes nothing: they show the caption's times
    // again rather than times the caption does not have.
    if (QApplication::focusWidget() == txtTime[1 - index]) return;
    const int row = grdSubs().Row();
    if (CaptionRow(row)) ShowTimeBoxes(row);
}

void frmMain::RestoreTimeShape(int index) {
    // A broken shape goes back to what the box held when it got the focus.
    if (!TimeBox::ShapeOk(txtTime[index]->text())) txtTime[index]->setText(mTimeTag[index]);
}

void frmMain::SelectTimeDigit(int index, int selStart) {
    QLineEdit* box = txtTime[index];
    selStart = std::clamp(selStart, 0, std::max(0, int(box->text().size()) - 1));
    box->setSelection(selStart, 1);
}

int frmMain::TimeBoxSelStart(int index) const {
    const QLineEdit* box = txtTime[index];
    return box->hasSelectedText() ? box->selectionStart() : TimeBox::NormalizedCaret(box->cursorPosition());
}

void frmMain::txtTime_Change(int index) {
    const QLineEdit* box = txtTime[index];
    const int p = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    SelectTimeDigit(index, TimeBox::CaretAfterChange(p, false));
}

void frmMain::txtTime_MouseUp(int index) {
    txtTime_Change(index);
}

bool frmMain::txtTime_KeyPress(int index, QKeyEvent* event) {
    QLineEdit* box = txtTime[index];
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Delete:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        txtTime_Enter(index);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // With Shift or Ctrl the box selects or jumps as it always does.
        if (mods != Qt::NoModifier) return false;
        SelectTimeDigit(index, event->key() == Qt::Key_Left
                                   ? TimeBox::CaretAfterLeft(TimeBoxSelStart(index))
                                   : TimeBox::CaretAfterRight(TimeBoxSelStart(index)));
        return true;
    default:
        break;
    }
    const bool backspace = event->key() == Qt::Key_Backspace;
    const QString typed = event->text();
    // Shortcuts (copy, paste, select all, undo) go to the box.
    if (!backspace && (typed.isEmpty() || typed[0] < QLatin1Char(' ') || (mods & Qt::ControlModifier)))
        return false;
    const TimeBox::TypedChar c = TimeBox::FilterChar(typed.isEmpty() ? QChar() : typed[0], backspace);
    if (!c.accepted || box->isReadOnly()) return true;
    const TimeBox::Typed result = TimeBox::Type(box->text(), TimeBoxSelStart(index), c.ch, c.back);
    box->setText(result.text);
    SelectTimeDigit(index, result.selStart);
    return true;
}

void frmMain::txtTime_Enter(int index) {
    if (IsDocumentBusy()) return;
    const int row = grdSubs().Row();
    if (!CaptionRow(row)) return;
    RestoreTimeShape(index);
    const int selStart = TimeBoxSelStart(index);
    // Both boxes are read before anything is written: writing the start refreshes them.
    const int32_t start = TimeToMs(txtTime[0]->text());
    int64_t duration = TimeToMs(txtTime[1]->text());
    gSelStart = start;
    SetLineStart(row, start, false);
    if (duration < 1) {
        // No duration given: the caption gets the one its length asks for.
        SetDurationByLength(row, false);
        duration = std::max<int64_t>(0, int64_t(GetLineEnd(row)) - start);
        txtTime[1]->setText(MsToTime(SaturateToInt32(double(duration))));
    }
    SetLineEnd(row, SaturateToInt32(double(start + duration)));
    SelectTimeDigit(index, selStart);
}

// --- Bulk commands ---

void frmMain::mnuReset_Click() {
    if (IsDocumentBusy() || !IsDocumentGrid() || gSubFile.isEmpty()) return;
    if (MsgBox(LangText(51), vbYesNo + vbExclamation + vbDefaultButton2, kProductName) != vbYes) return;
    // A caption being timed would write its end into a document whose times are gone.
    mTiming->CancelCaption(false);
    FlexGrid& grid = grdSubs();
    const bool enabled = grid.Enabled();
    grid.SetEnabled(false);
    grid.SetRedraw(false);
    for (int i = 1; i < grid.Rows(); ++i)
        ClearLineTimes(i, true);
    grid.SetRedraw(true);
    grid.SetEnabled(enabled);
    SelectLine(grid.Row(), true);
    gModified = true;
}

void frmMain::mnuRemoveTags_Click() {
    if (IsDocumentBusy() || !IsDocumentGrid() || gSubFile.isEmpty()) return;
    if (MsgBox(LangText(77), vbYesNo + vbQuestion + vbDefaultButton2, kProductName) != vbYes) return;
    FlexGrid& grid = grdSubs();
    const int row = grid.Row();
    const bool enabled = grid.Enabled();
    grid.SetEnabled(false);
    grid.SetRedraw(false);
    for (int i = 1; i < grid.Rows(); ++i)
        RemoveLineTags(i);
    grid.SetRedraw(true);
    grid.SetEnabled(enabled);
    SelectLine(row, false);
    gModified = true;
}

// --- Line-break marker ---

void frmMain::CheckSeparatorItem() {
    int item = 3;
    if (gLineBreak == QLatin1String("|"))
        item = 0;
    else if (gLineBreak == QLatin1String("/n"))
        item = 1;
    else if (gLineBreak == QLatin1String("[br]"))
        item = 2;
    mnuSeparator[item]->setChecked(true);
    if (item == 3) mnuSeparator[3]->setText(LangText(164, MenuLiteral(gLineBreak)));
}

void frmMain::mnuSeparator_Click(int index) {
    // The captions are being read or ruled: the marker they use must not change under them.
    if (IsDocumentBusy()) {
        CheckSeparatorItem();
        return;
    }
    const QString old = gLineBreak;
    switch (index) {
    case 0:
        gLineBreak = QStringLiteral("|");
        break;
    case 1:
        gLineBreak = QStringLiteral("/n");
        break;
    case 2:
        gLineBreak = QStringLiteral("[br]");
        break;
    default: {
        bool ok = false;
        const QString answer = Dialogs().InputBox(this, LangText(165), LangText(162), gLineBreak, &ok);
        // Blanks would turn every space of every caption into a line break.
        if (ok && CaptionBox::MarkerOk(answer)) gLineBreak = answer;
        break;
    }
    }
    // The item of the marker in use is the checked one, even when a custom one was refused.
    CheckSeparatorItem();
    WriteSetting(QStringLiteral("LBREAK"), gLineBreak);
    if (gSubFile.isEmpty() || !IsDocumentGrid() || old == gLineBreak) return;

    FlexGrid& grid = grdSubs();
    const bool enabled = grid.Enabled(), boxEnabled = txtSub->isEnabled();
    grid.SetEnabled(false);
    txtSub->setEnabled(false);
    grid.SetRedraw(false);
    for (int i = 1; i < grid.Rows(); ++i) {
        const QString text = grid.Text(i);
        // Written as it is, even when it ends with the new marker.
        if (text.contains(old)) grid.SetText(i, CaptionBox::ConvertMarker(text, old, gLineBreak));
    }
    grid.SetRedraw(true);
    grid.SetEnabled(enabled);
    txtSub->setEnabled(boxEnabled);
    RefreshCurrentLine();
}
