#include "dialogs/frmAbout.h"

#include "base/appinfo.h"
#include "base/paths.h"
#include "base/toolbox.h"
#include "base/ui/formhelpers.h"
#include "language/lang.h"
#include "platform/SystemFigures.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

const QString kDonationPage = QStringLiteral("https://www.orvalent.com/scrivelle/donate/");

namespace {
constexpr int kIconSize = 48;
} // namespace

frmAbout::frmAbout(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);

    picTop = MakePlainLabel(this, "picTop");
    picTop->setMinimumHeight(kIconSize + 12);
    picTop->setAutoFillBackground(true);
    picTop->setCursor(Qt::SizeAllCursor);
    picTop->installEventFilter(this);
    picTop->setPixmap(AppIconPixmap(0, kIconSize));
    picTop->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    lblTitle = MakePlainLabel(this, "lblTitle");
    lblTitle->setText(kProductName);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    lblTitle->setFont(titleFont);

    lblVersion = MakePlainLabel(this, "lblVersion");
    lblFree = MakePlainLabel(this, "lblFree");
    lblFree->setText(QStringLiteral("Free software"));
    lblFormat = MakePlainLabel(this, "lblFormat");
    lblOsName = MakePlainLabel(this, "lblOsName");
    lblOsName->setWordWrap(true);
    lblMemo = MakePlainLabel(this, "lblMemo");
    lblWebsite = MakePlainLabel(this, "lblWebsite");
    ShowAsLink(lblWebsite);
    lblWebsite->installEventFilter(this);
    lblCopyright = MakePlainLabel(this, "lblCopyright");
    lblCopyright->setText(QStringLiteral("Copyright \u00A9 ") + kMakerName);
    lblIcons = MakePlainLabel(this, "lblIcons");
    lblIcons->setText(QStringLiteral("Icons drawn by the program itself"));

    linSeparator = new QFrame(this);
    linSeparator->setObjectName(QStringLiteral("linSeparator"));
    linSeparator->setFrameShape(QFrame::HLine);
    linSeparator->setFrameShadow(QFrame::Sunken);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    tmrMemo = new QTimer(this);
    tmrMemo->setObjectName(QStringLiteral("tmrMemo"));
    tmrMemo->setInterval(1000);
    connect(tmrMemo, &QTimer::timeout, this, &frmAbout::tmrMemo_Timer);

    auto* top = new QHBoxLayout;
    top->addWidget(picTop);
    top->addWidget(lblTitle, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblWebsite);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    for (QWidget* w : std::initializer_list<QWidget*>{lblVersion, lblFree, lblFormat, lblOsName, lblMemo,
                                                      lblCopyright, lblIcons, linSeparator})
        main->addWidget(w);
    main->addLayout(bottom);

    Form_Load();
    tmrMemo->start();
}

void frmAbout::Form_Load() {
    cmdOK->setText(LangText(66));
    lblVersion->setText(
        LangText(88) + u' ' +
        QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    lblWebsite->setText(LangText(129));
    lblFormat->setText(LangText(182, ReadIni(QStringLiteral("SFD_FILEINFO"), QStringLiteral("version"),
                                             QStringLiteral("1.0"), gFormatFile)));
    lblOsName->setText(GetWindowsVersion());
    setWindowTitle(LangText(20));
    ShowMemoStats();
}

void frmAbout::cmdOK_Click() {
    UnloadForm(this);
}

void frmAbout::picTop_MouseDown(Qt::MouseButton) {
    DragForm(this);
}

void frmAbout::lblWebsite_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) ShellOpen(kDonationPage);
}

void frmAbout::tmrMemo_Timer() {
    ShowMemoStats();
}

void frmAbout::ShowMemoStats() {
    clsMemoryStatus memory;
    lblMemo->setText(LangText(145) + clsMemoryStatus::FormatBytes(double(memory.Available(0).value_or(0))));
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (watched == picTop) {
            picTop_MouseDown(button);
            return true;
        }
        if (watched == lblWebsite) {
            lblWebsite_MouseDown(button);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ShowAboutBox(QWidget* owner) {
    auto* box = new frmAbout(owner);
    box->exec();
}
