#include "document/ui/frmReport.h"

#include "base/processstate.h"
#include "base/ui/formhelpers.h"
#include "document/captions.h"
#include "document/report.h"
#include "document/rules.h"
#include "language/lang.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

std::function<void()> gShowRulesSettings;

namespace {

QPointer<frmReport> gReportWindow;

void ResetReportWindow() {
    delete gReportWindow.data();
    gReportWindow = nullptr;
    gShowRulesSettings = nullptr;
}
SCRIVELLE_REGISTER_RESET(ResetReportWindow);

constexpr int kIconSize = 32;

// A window on its way out (closed, deleted later) is no longer the loaded report window.
void ForgetReportWindow(const frmReport* window) {
    if (gReportWindow.data() == window) gReportWindow = nullptr;
}

} // namespace

frmReport::frmReport(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmReport"));
    setModal(false);

    picTop = new QLabel(this);
    picTop->setObjectName(QStringLiteral("picTop"));
    picTop->setFixedSize(kIconSize + 8, kIconSize + 8);
    picTop->setPixmap(AppIconPixmap(0, kIconSize));
    picTop->setAlignment(Qt::AlignCenter);
    // The icon is part of the title: it moves the window too.
    picTop->setCursor(Qt::SizeAllCursor);
    MakeDragHandle(picTop);
    imgDrag = new QLabel(this);
    imgDrag->setObjectName(QStringLiteral("imgDrag"));
    imgDrag->setMinimumHeight(kIconSize + 8);
    imgDrag->setCursor(Qt::SizeAllCursor);
    QFont titleFont = imgDrag->font();
    titleFont.setBold(true);
    imgDrag->setFont(titleFont);
    MakeDragHandle(imgDrag);

    lblTop = MakePlainLabel(this, "lblTop");
    lblTop->setWordWrap(true);

    optStandard = new QRadioButton(this);
    optStandard->setObjectName(QStringLiteral("optStandard"));
    optStandard->setChecked(true);
    optDetailed = new QRadioButton(this);
    optDetailed->setObjectName(QStringLiteral("optDetailed"));

    txtReport = new QPlainTextEdit(this);
    txtReport->setObjectName(QStringLiteral("txtReport"));
    txtReport->setReadOnly(true);
    txtReport->setLineWrapMode(QPlainTextEdit::NoWrap);

    lblTotal = MakePlainLabel(this, "lblTotal");

    lblDefine = MakePlainLabel(this, "lblDefine");
    ShowAsLink(lblDefine);
    lblDefine->installEventFilter(this);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(picTop);
    top->addWidget(imgDrag, 1);
    auto* views = new QHBoxLayout;
    views->addWidget(optStandard);
    views->addWidget(optDetailed);
    views->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDefine);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(lblTop);
    main->addLayout(views);
    main->addWidget(txtReport, 1);
    main->addWidget(lblTotal);
    main->addLayout(bottom);
    resize(560, 440);

    connect(optStandard, &QRadioButton::clicked, this, &frmReport::optStandard_Click);
    connect(optDetailed, &QRadioButton::clicked, this, &frmReport::optDetailed_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmReport::cmdOK_Click);

    Form_Load();
}

void frmReport::Form_Load() {
    // Report texts read from left to right whatever the UI language.
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblTop, lblTotal, lblDefine, optStandard, optDetailed, txtReport})
        w->setLayoutDirection(Qt::LeftToRight);
    for (QLabel* l : {lblTop, lblTotal, lblDefine})
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    cmdOK->setText(LangText(66));
    optStandard->setText(LangText(257));
    optDetailed->setText(LangText(258));
    lblDefine->setText(LangText(183));
    setWindowTitle(LangText(185));
    imgDrag->setText(LangText(185));
    if (gSubFile.isEmpty()) {
        lblTop->setText(LangText(249));
    } else {
        const int totals = gRepSplit + gRepCollisions + gRepDurations + gRepRemoved;
        lblTop->setText(LangText(totals != 0 ? 187 : 186));
    }
}

void frmReport::Form_Activate() {
    if (txtReport->toPlainText().trimmed().isEmpty()) ShowStandardReport();
}

void frmReport::FillReport(const QString& text) {
    // The activation that comes while events run must not fill the box a second time.
    if (mFilling) return;
    lblTotal->setText(LangText(117) + QStringLiteral(".."));
    // The label shows before a long report is laid out. Keys and clicks wait.
    QPointer<frmReport> self(this);
    mFilling = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!self) return;
    mFilling = false;
    // The report's lines end with CR LF; the box wants plain line feeds.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtReport->setPlainText(shown);
    lblTotal->setText(LangText(188, QString::number(gReportCount)));
}

void frmReport::ShowStandardReport() {
    FillReport(StandardReportText());
}

void frmReport::ShowDetailedReport() {
    FillReport(DetailedReportText());
}

void frmReport::optStandard_Click() {
    ShowStandardReport();
}

void frmReport::optDetailed_Click() {
    ShowDetailedReport();
}

void frmReport::cmdOK_Click() {
    UnloadForm(this);
}

void frmReport::lblDefine_MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    UnloadForm(this);
    if (gShowRulesSettings) gShowRulesSettings();
}

bool frmReport::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (watched == lblDefine) {
            lblDefine_MouseDown(button);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmReport::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Filled once the window is up (a platform may not activate it at once).
    QMetaObject::invokeMethod(this, &frmReport::Form_Activate, Qt::QueuedConnection);
}

void frmReport::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
}

void frmReport::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted()) ForgetReportWindow(this);
}

void frmReport::done(int result) {
    ForgetReportWindow(this);
    QDialog::done(result);
}

// --- The one report window ---

frmReport* ReportWindow() {
    return gReportWindow.data();
}

void UnloadReportWindow() {
    if (!gReportWindow) return;
    UnloadForm(gReportWindow.data());
    gReportWindow = nullptr;
}

frmReport* ShowReportWindow(QWidget* owner) {
    UnloadReportWindow();
    gReportWindow = new frmReport(owner);
    gReportWindow->show();
    gReportWindow->raise();
    gReportWindow->activateWindow();
    return gReportWindow.data();
}

void ApplyRulesAndReport(QWidget* owner, bool bSilent) {
    const QPointer<QWidget> window(owner);
    gRulesHooks.unloadReportWindow = UnloadReportWindow;
    gRulesHooks.showReport = [window] { ShowReportWindow(window.data()); };
    ApplyRules(bSilent);
}
