#include "dialogs/frmFind.h"

#include "base/processstate.h"
#include "base/ui/formhelpers.h"
#include "dialogs/frmReplace.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/findreplace.h"
#include "language/lang.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QPointer<frmFind> gFindWindow;
QPointer<frmReplace> gReplaceWindow;

void ResetFindWindows() {
    delete gFindWindow.data();
    delete gReplaceWindow.data();
    gFindWindow = nullptr;
    gReplaceWindow = nullptr;
}
SCRIVELLE_REGISTER_RESET(ResetFindWindows);

constexpr int kInfoIconSize = 16;

// The window in slot while it is loaded. One on its way out (closed, deleted later) is not.
template <class W> W* Loaded(const QPointer<W>& slot) {
    return slot && slot->isVisible() ? slot.data() : nullptr;
}

template <class W> void Unload(QPointer<W>& slot) {
    UnloadForm(slot.data());
    slot = nullptr;
}

// Shows the window of slot, modeless, owned by owner: the one already open is brought forward as
// it is (with what the user typed and ticked in it); otherwise both windows are unloaded and a
// new one is shown.
template <class W> W* ShowAfresh(QPointer<W>& slot, QWidget* owner) {
    if (!Loaded(slot)) {
        UnloadFindWindows();
        slot = new W(owner);
        slot->show();
    }
    slot->raise();
    slot->activateWindow();
    slot->Form_Activate();
    return slot.data();
}

} // namespace

// --- What both windows share ---

FindWindowBase::FindWindowBase(QWidget* owner, int captionText) : QDialog(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    // A small tool window: nothing to minimise or maximise.
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    setWindowTitle(LangText(captionText));

    fraFind = new QGroupBox(LangText(139), this);
    fraFind->setObjectName(QStringLiteral("fraFind"));
    txtFind = new QLineEdit(fraFind);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    auto* findBox = new QVBoxLayout(fraFind);
    findBox->addWidget(txtFind);

    chkEntire = new QCheckBox(LangText(140), this);
    chkEntire->setObjectName(QStringLiteral("chkEntire"));
    chkCase = new QCheckBox(LangText(141), this);
    chkCase->setObjectName(QStringLiteral("chkCase"));

    cmdFind = new QPushButton(LangText(142), this);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setDefault(true);
    cmdFind->setEnabled(false);
    cmdClose = new QPushButton(LangText(143), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    imgInfo = new QLabel(this);
    imgInfo->setObjectName(QStringLiteral("imgInfo"));
    imgInfo->setPixmap(AppIcon(2).pixmap(kInfoIconSize, kInfoIconSize));
    imgInfo->setFixedSize(kInfoIconSize, kInfoIconSize);
    imgInfo->hide();
    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setTextFormat(Qt::PlainText);
    // Room for the result line from the start, so the window does not jump when it shows.
    lblInfo->setMinimumSize(lblInfo->fontMetrics().horizontalAdvance(LangText(436, QStringLiteral("00000"))),
                            std::max(kInfoIconSize, lblInfo->fontMetrics().height()));

    mBoxes = new QVBoxLayout();
    mBoxes->addWidget(fraFind);
    mBoxes->addWidget(chkEntire);
    mBoxes->addWidget(chkCase);
    auto* info = new QHBoxLayout();
    info->addWidget(imgInfo);
    info->addWidget(lblInfo, 1);
    mBoxes->addLayout(info);
    mButtons = new QVBoxLayout();
    mButtons->addWidget(cmdFind);
    mButtons->addStretch(1);
    mButtons->addWidget(cmdClose);
    auto* columns = new QHBoxLayout(this);
    columns->addLayout(mBoxes, 1);
    columns->addLayout(mButtons);

    connect(txtFind, &QLineEdit::textChanged, this, &FindWindowBase::txtFind_Change);
    connect(cmdFind, &QPushButton::clicked, this, &FindWindowBase::cmdFind_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FindWindowBase::cmdClose_Click);

    // Over the main window, a little right of and below its corner.
    if (owner) move(owner->x() + 256, owner->y() + 128);
}

void FindWindowBase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

bool FindWindowBase::event(QEvent* event) {
    const bool done = QDialog::event(event);
    // Every time the window becomes the active one, not only when it first shows; but a click
    // that activates it puts the focus where it lands (the replacement box, an option).
    if (event->type() == QEvent::WindowActivate && QGuiApplication::mouseButtons() == Qt::NoButton)
        Form_Activate();
    return done;
}

void FindWindowBase::Form_Activate() {
    txtFind->setFocus();
}

void FindWindowBase::txtFind_Change() {
    const bool hasText = !txtFind->text().isEmpty();
    cmdFind->setEnabled(hasText);
    SearchTextChanged(hasText);
}

uint8_t FindWindowBase::WholeWord() const {
    return chkEntire->isChecked() ? 1 : 0;
}

uint8_t FindWindowBase::MatchCase() const {
    return chkCase->isChecked() ? 1 : 0;
}

void FindWindowBase::ShowInfo(const QString& text) {
    lblInfo->setText(text);
    imgInfo->show();
}

void FindWindowBase::Search(bool doReplace, bool replaceAll, const QString& replaceWith) {
    // A file being read or the rules running own the captions until they are done.
    if (IsDocumentBusy() || txtFind->text().isEmpty()) return;
    mCount =
        int16_t(FindInLines(txtFind->text(), WholeWord(), MatchCase(), doReplace, replaceWith, replaceAll));
    if (replaceAll)
        ShowInfo(LangText(436, QString::number(mCount)));
    else if (mCount != 0)
        ShowInfo(LangText(435, QString::number(grdSubs().Row())));
    else
        ShowInfo(LangText(144));
}

void FindWindowBase::cmdFind_Click() {
    Search(false, false);
}

void FindWindowBase::cmdClose_Click() {
    close();
}

frmFind::frmFind(QWidget* owner) : FindWindowBase(owner, 138) {
    setObjectName(QStringLiteral("frmFind"));
}

// --- The one find window and the one replace window ---

frmFind* FindWindow() {
    return Loaded(gFindWindow);
}

frmReplace* ReplaceWindow() {
    return Loaded(gReplaceWindow);
}

void UnloadFindWindow() {
    Unload(gFindWindow);
}

void UnloadReplaceWindow() {
    Unload(gReplaceWindow);
}

void UnloadFindWindows() {
    UnloadFindWindow();
    UnloadReplaceWindow();
}

frmFind* ShowFindWindow(QWidget* owner) {
    return ShowAfresh(gFindWindow, owner);
}

frmReplace* ShowReplaceWindow(QWidget* owner) {
    return ShowAfresh(gReplaceWindow, owner);
}
