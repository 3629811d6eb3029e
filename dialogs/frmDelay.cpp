#include "dialogs/frmDelay.h"

#include "base/ui/formhelpers.h"
#include "document/captions.h"
#include "document/timecode.h"
#include "document/timeshift.h"
#include "language/lang.h"
#include "platform/MsgBox.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kIconSize = 32;

QScrollBar* MakeBar(QWidget* parent, const char* name, int limit) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(-limit, limit);
    bar->setValue(0);
    bar->setSingleStep(1);
    // A value chooser, not a view's scroll bar: Right and Up make the value larger.
    bar->setInvertedControls(false);
    bar->setPageStep(std::max(1, limit / 6));
    bar->setMinimumWidth(220);
    // The keyboard moves the bars too.
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

} // namespace

frmDelay::frmDelay(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmDelay"));
    setModal(true);

    picTop = MakePlainLabel(this, "picTop");
    picTop->setFixedSize(kIconSize + 24, kIconSize + 24);
    imgDrag = MakePlainLabel(this, "imgDrag");
    imgDrag->setCursor(Qt::SizeAllCursor);
    QFont titleFont = imgDrag->font();
    titleFont.setBold(true);
    imgDrag->setFont(titleFont);
    MakeDragHandle(imgDrag);
    MakeDragHandle(picTop);
    lblTop = MakePlainLabel(this, "lblTop");
    lblTop->setWordWrap(true);

    fraInfo = new QFrame(this);
    fraInfo->setObjectName(QStringLiteral("fraInfo"));
    fraInfo->setFrameShape(QFrame::StyledPanel);
    sldMin = MakeBar(fraInfo, "sldMin", 60);
    sldSec = MakeBar(fraInfo, "sldSec", 59);
    sldMs = MakeBar(fraInfo, "sldMs", 99);
    lblMin = MakePlainLabel(fraInfo, "lblMin");
    lblSec = MakePlainLabel(fraInfo, "lblSec");
    lblMs = MakePlainLabel(fraInfo, "lblMs");
    lblResult = MakePlainLabel(fraInfo, "lblResult");
    lblResult->setWordWrap(true);
    lblDetail = MakePlainLabel(fraInfo, "lblDetail");

    cmdApply = new QPushButton(this);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdApply->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* bars = new QGridLayout(fraInfo);
    bars->addWidget(sldMin, 0, 0);
    bars->addWidget(lblMin, 0, 1);
    bars->addWidget(sldSec, 1, 0);
    bars->addWidget(lblSec, 1, 1);
    bars->addWidget(sldMs, 2, 0);
    bars->addWidget(lblMs, 2, 1);
    bars->addWidget(lblResult, 3, 0, 1, 2);
    bars->addWidget(lblDetail, 4, 0, 1, 2);
    // The unit labels keep room for their longest text.
    bars->setColumnMinimumWidth(
        1, lblMs->fontMetrics().horizontalAdvance(QStringLiteral("-990 milliseconds")) + 8);

    auto* title = new QVBoxLayout();
    title->addWidget(imgDrag);
    title->addWidget(lblTop);
    auto* top = new QHBoxLayout();
    top->addWidget(picTop);
    top->addLayout(title, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(fraInfo);
    column->addLayout(buttons);

    connect(sldMin, &QScrollBar::valueChanged, this, &frmDelay::sldMin_Change);
    connect(sldSec, &QScrollBar::valueChanged, this, &frmDelay::sldSec_Change);
    connect(sldMs, &QScrollBar::valueChanged, this, &frmDelay::sldMs_Change);
    connect(cmdApply, &QPushButton::clicked, this, &frmDelay::cmdApply_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDelay::cmdCancel_Click);

    Form_Load();
    sldMin->setFocus();
}

void frmDelay::Form_Load() {
    picTop->setPixmap(AppIconPixmap(2, kIconSize, 12));

    setWindowTitle(LangText(170));
    imgDrag->setText(LangText(170));
    lblTop->setText(LangText(171));
    cmdApply->setText(LangText(39));
    cmdCancel->setText(LangText(67));
    lblMin->setText(QStringLiteral("0 ") + LangText(173));
    lblSec->setText(QStringLiteral("0 ") + LangText(175));
    lblMs->setText(QStringLiteral("0 ") + LangText(176));
    mDelay = 0;
    GetResult();
}

QString frmDelay::UnitText(int value, int singular, int plural) {
    return QString::number(value) + QLatin1Char(' ') + LangText(std::abs(value) == 1 ? singular : plural);
}

void frmDelay::sldMin_Change() {
    lblMin->setText(UnitText(sldMin->value(), 172, 173));
    GetResult();
}

void frmDelay::sldSec_Change() {
    lblSec->setText(UnitText(sldSec->value(), 174, 175));
    GetResult();
}

void frmDelay::sldMs_Change() {
    // Always the plural: the value is counted in tens.
    lblMs->setText(QString::number(sldMs->value() * 10) + QLatin1Char(' ') + LangText(176));
    GetResult();
}

void frmDelay::GetResult() {
    mDelay =
        int64_t(sldMin->value()) * 60000 + int64_t(sldSec->value()) * 1000 + int64_t(sldMs->value()) * 10;
    cmdApply->setEnabled(mDelay != 0);
    const QString amount = QString::number(std::abs(mDelay)) + QLatin1Char(' ') + LangText(176);
    if (mDelay == 0)
        lblResult->setText(LangText(177));
    else
        lblResult->setText(LangText(mDelay < 0 ? 178 : 179, amount));
    const int64_t start =
        std::clamp<int64_t>(int64_t(gSelStart) + mDelay, 0, std::numeric_limits<int32_t>::max());
    lblDetail->setText(LangText(344) + QLatin1Char('\n') + MsToTime(int32_t(start)));
}

void frmDelay::cmdApply_Click() {
    if (mDelay == 0) {
        accept();
        return;
    }
    if (const int n = CountShiftedBelowZero(mDelay); n > 0) {
        const int answer = MsgBox(LangText(180, QString::number(std::abs(mDelay)), QString::number(n)),
                                  vbYesNo + vbExclamation + vbDefaultButton2, LangText(146));
        // The window stays open with its values.
        if (answer != vbYes) return;
    }
    cmdApply->setEnabled(false);
    cmdCancel->setEnabled(false);
    lblResult->setText(LangText(117) + QStringLiteral("..."));
    ShiftAllTimes(mDelay);
    accept();
}

void frmDelay::cmdCancel_Click() {
    reject();
}

void frmDelay::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // Without a title bar the window needs an edge of its own.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
