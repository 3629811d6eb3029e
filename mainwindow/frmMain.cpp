#include "mainwindow/frmMain.h"

#include "app/appinfo.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/settings.h"
#include "app/ui/formhelpers.h"
#include "document/captions.h"
#include "document/timecode.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"

#include <QApplication>
#include <QBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPlayStatePlaying = 3;

// "00:00:00,000" for every box that shows no time.
const QString kZeroTime = QStringLiteral("00:00:00,000");

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(AppTitle());
    setWindowIcon(AppIcon(0));
    resize(900, 640);
    CreateControls();
    CreateMenus();
    gOnShowSelectedLine = [this](int row) { ShowSelectedLine(row); };
    ApplyGridFont();
    ResetGrid(false);
}

frmMain::~frmMain() {
    gOnShowSelectedLine = nullptr;
}

void frmMain::CreateControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    grdSubsView = new GridView(grdSubs(), central);
    grdSubsView->setObjectName(QStringLiteral("grdSubs"));
    layout->addWidget(grdSubsView, 1);

    auto* bottom = new QHBoxLayout();
    txtSub = new QPlainTextEdit(central);
    txtSub->setObjectName(QStringLiteral("txtSub"));
    txtSub->setFixedHeight(txtSub->fontMetrics().lineSpacing() * 3 + 12);
    bottom->addWidget(txtSub, 1);
    auto* times = new QVBoxLayout();
    for (int i = 0; i < 2; ++i) {
        txtTime[i] = new QLineEdit(kZeroTime, central);
        txtTime[i]->setObjectName(QStringLiteral("txtTime%1").arg(i));
        txtTime[i]->setMaxLength(12);
        txtTime[i]->setToolTip(LangText(415));
        times->addWidget(txtTime[i]);
    }
    times->addStretch(1);
    bottom->addLayout(times);
    layout->addLayout(bottom);
    setCentralWidget(central);

    connect(grdSubsView, &GridView::MouseDown, this, &frmMain::grdSubs_MouseDown);
    connect(grdSubsView, &GridView::MouseUp, this, &frmMain::grdSubs_MouseUp);
    connect(grdSubsView, &GridView::DblClick, this, &frmMain::grdSubs_DblClick);
    connect(grdSubsView, &GridView::KeyDown, this, &frmMain::grdSubs_KeyDown);
    connect(grdSubsView, &GridView::MouseWheel, this, &frmMain::m_MW_MouseWheel);
    connect(grdSubsView, &GridView::Resized, this, &frmMain::SizeGridColumns);
}

void frmMain::CreateMenus() {
    const auto item = [this](QMenu* menu, int text, bool dots, void (frmMain::*handler)(),
                             bool checkable = false) {
        QAction* a = menu->addAction(dots ? LangText(text) + QStringLiteral("...") : LangText(text));
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    mnuEdit = menuBar()->addMenu(LangText(1));
    mnuGoTo = item(mnuEdit, 246, true, &frmMain::mnuGoTo_Click);
    mnuCountUntimed = item(mnuEdit, 134, false, &frmMain::mnuCountUntimed_Click);
    mnuNextUntimed = item(mnuEdit, 135, false, &frmMain::mnuNextUntimed_Click);
    mnuFormat = menuBar()->addMenu(LangText(2));
    mnuFormatBold = item(mnuFormat, 154, false, &frmMain::mnuFormatBold_Click, true);
    mnuFormatItalic = item(mnuFormat, 155, false, &frmMain::mnuFormatItalic_Click, true);
    mnuFormatUnderline = item(mnuFormat, 156, false, &frmMain::mnuFormatUnderline_Click, true);

    mnuRclick = new QMenu(this);
    rmnuAdd = item(mnuRclick, 9, false, &frmMain::rmnuAdd_Click);
    rmnuEdit = item(mnuRclick, 12, false, &frmMain::rmnuEdit_Click);
    rmnuRemove = item(mnuRclick, 13, false, &frmMain::rmnuRemove_Click);
    mnuRclick->addSeparator();
    rmnuBold = item(mnuRclick, 154, false, &frmMain::rmnuBold_Click, true);
    rmnuItalic = item(mnuRclick, 155, false, &frmMain::rmnuItalic_Click, true);
    rmnuUnderline = item(mnuRclick, 156, false, &frmMain::rmnuUnderline_Click, true);
}

void frmMain::ApplyGridFont() {
    QFont font = QApplication::font();
    if (!gGridFontName.isEmpty()) font.setFamily(gGridFontName);
    if (gGridFontSize > 0) font.setPointSize(gGridFontSize);
    font.setBold(gGridFontBold);
    grdSubsView->SetGridFont(font);
}

// --- Grid set-up and selection ---

void frmMain::ResetGrid(bool bSubtitle) {
    ResetCaptionGrid(bSubtitle);
    SizeGridColumns();
    if (!bSubtitle) txtSub->clear();
    txtSub->setEnabled(bSubtitle);
    // In preview mode the time boxes stay off: the preview owns the times.
    for (QLineEdit* box : txtTime)
        box->setEnabled(gTimingMode == 2 ? false : bSubtitle);
}

void frmMain::SizeGridColumns() {
    FlexGrid& grid = grdSubs();
    const int width = grid.Width();
    if (grid.Cols() == 1) {
        grid.SetColWidth(0, width);
        return;
    }
    int c0, c1;
    if (grdSubsView->width() < txtSub->width() - 2) {
        // The player stands beside the grid: narrow fixed columns.
        c0 = 34 * gTwipsX;
        c1 = 58 * gTwipsX;
    } else {
        c0 = int(width * 0.08);
        c1 = int(width * 0.15);
    }
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent) * gTwipsX;
    grid.SetColWidth(0, c0);
    grid.SetColWidth(1, c1);
    grid.SetColWidth(2, c1);
    grid.SetColWidth(3, width - c0 - 2 * c1 - scrollBar - 8 * gTwipsX);
}

void frmMain::SetStyleChecks(int row) {
    mnuFormatBold->setChecked(IsLineBold(row));
    mnuFormatItalic->setChecked(IsLineItalic(row));
    mnuFormatUnderline->setChecked(IsLineUnderline(row));
    rmnuBold->setChecked(mnuFormatBold->isChecked());
    rmnuItalic->setChecked(mnuFormatItalic->isChecked());
    rmnuUnderline->setChecked(mnuFormatUnderline->isChecked());
}

void frmMain::ShowSelectedLine(int row) {
    // Bulk operations disable the grid while they run; the checks are then left alone.
    if (grdSubs().Enabled()) SetStyleChecks(row);

    // Only a text that differs is put into the box, so that a box being typed in keeps its caret.
    QString text = GetLineText(row, true);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (txtSub->toPlainText() != text) txtSub->setPlainText(text);

    const int32_t start = GetLineStart(row), end = GetLineEnd(row);
    const QString startText = MsToTime(start);
    if (txtTime[0]->text() != startText) txtTime[0]->setText(startText);
    QString duration;
    if (end == 0)
        duration = kZeroTime;
    else if (end > start)
        duration = MsToTime(SaturateToInt32(double(end) - double(start)));
    // A non-zero end not after the start leaves the duration box as it was.
    if (!duration.isEmpty() && txtTime[1]->text() != duration) txtTime[1]->setText(duration);
}

// --- Grid events ---

void frmMain::grdSubs_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, QPoint pos) {
    if (button != Qt::RightButton || !IsDocumentGrid()) return;
    FlexGrid& grid = grdSubs();
    const int r = grid.MouseRow();
    if (r < 1 || r > grid.Rows() - 1) return;
    if (grid.Row() == grid.RowSel()) {
        grdSubsView->setFocus();
        if (r != grid.Row()) SelectLine(r, false);
        SetStyleChecks(grid.Row());
    }
    // A selection of several rows stays as it is: the pop-up's commands act on all of them.
    mnuRclick->popup(grdSubsView->viewport()->mapToGlobal(pos));
}

void frmMain::grdSubs_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    // A click on the header selects the first visible caption.
    if (grdSubs().MouseRow() == 0 && IsDocumentGrid()) SelectLine(grdSubs().TopRow(), false);
}

void frmMain::SeekToLine(int row, double extraSeconds) {
    if (!IsLineTimed(row) || !playerState || !playerSeek) return;
    if (playerState() != kPlayStatePlaying) return;
    playerSeek(GetLineStart(row) / 1000.0 + extraSeconds);
}

void frmMain::grdSubs_DblClick() {
    SeekToLine(grdSubs().Row(), 0.001);
}

void frmMain::grdSubs_KeyDown(int key, Qt::KeyboardModifiers) {
    FlexGrid& grid = grdSubs();
    if (key == Qt::Key_Delete)
        RemoveLines(grid.Row(), grid.RowSel());
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        SeekToLine(grid.Row(), 0);
}

void frmMain::m_MW_MouseWheel(int delta) {
    if (gSubFile.isEmpty()) return;
    FlexGrid& grid = grdSubs();
    // One row per wheel event, whatever its size; the selection stays where it is.
    const int t = grid.TopRow() - (delta > 0 ? 1 : delta < 0 ? -1 : 0);
    if (t > 0 && t < grid.Rows() - 1) grid.SetTopRow(t);
}

// --- Menu commands ---

void frmMain::mnuGoTo_Click() {
    if (!IsDocumentGrid()) return;
    bool ok = false;
    const QString answer = Dialogs().InputBox(this, LangText(247), LangText(246), QString(), &ok);
    if (!ok) return;
    bool numeric = false;
    double value = answer.trimmed().toDouble(&numeric);
    if (!numeric || std::isnan(value) || value <= 0) return;
    const int rows = grdSubs().Rows();
    if (value > rows) value = rows;
    SelectLine(int(RoundHalfEven(value)), true);
}

void frmMain::mnuNextUntimed_Click() {
    FlexGrid& grid = grdSubs();
    const int last = grid.Rows() - 1;
    if (IsDocumentGrid()) {
        for (int i = grid.Row() + 1; i <= last; ++i) {
            if (!IsLineTimed(i)) {
                SelectLine(i, false);
                return;
            }
        }
    }
    MsgBox(LangText(137), vbInformation, LangText(135));
}

void frmMain::mnuCountUntimed_Click() {
    int count = 0;
    for (int i = 1; i <= CaptionCount(); ++i)
        if (!IsLineTimed(i)) ++count;
    MsgBox(LangText(136, QString::number(count)), vbInformation, LangText(134));
}

void frmMain::mnuFormatBold_Click() {
    const bool on = ToggleBold(grdSubs().Row(), grdSubs().RowSel());
    mnuFormatBold->setChecked(on);
    rmnuBold->setChecked(on);
}

void frmMain::mnuFormatItalic_Click() {
    const bool on = ToggleItalic(grdSubs().Row(), grdSubs().RowSel());
    mnuFormatItalic->setChecked(on);
    rmnuItalic->setChecked(on);
}

void frmMain::mnuFormatUnderline_Click() {
    const bool on = ToggleUnderline(grdSubs().Row(), grdSubs().RowSel());
    mnuFormatUnderline->setChecked(on);
    rmnuUnderline->setChecked(on);
}

void frmMain::rmnuAdd_Click() {
    CreateCaption(grdSubs().Row() + 1);
}

void frmMain::rmnuEdit_Click() {
    EditLine(grdSubs().Row());
}

void frmMain::rmnuRemove_Click() {
    RemoveLines(grdSubs().Row(), grdSubs().RowSel());
}

// --- Caption commands ---

bool frmMain::CreateCaption(int row) {
    bool ok = false;
    const QString text = Dialogs().InputBox(this, LangText(55), LangText(54), QString(), &ok);
    if (!ok || text.isEmpty()) return false;
    const int written = AddLine(0, 0, text, row);
    if (written == 0) return false;
    SelectLine(written, false);
    gModified = true;
    return true;
}

void frmMain::EditLine(int row) {
    if (!IsDocumentGrid() || row < 1 || row >= grdSubs().Rows()) return;
    bool ok = false;
    const QString text = Dialogs().InputBox(this, LangText(58), LangText(57), GetLineText(row), &ok);
    if (!ok || text.trimmed().isEmpty()) return;
    // Written as typed, even when it ends with the line-break marker.
    grdSubs().SetText(row, text);
    gModified = true;
    if (row == gCurrentRow) RefreshCurrentLine();
}
