#include "dialogs/frmAudio.h"

#include "base/numbers.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/ui/formhelpers.h"
#include "document/mediastate.h"
#include "language/lang.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

// The stored mode when "AUDIOMODE" holds nothing this dialog offers.
constexpr uint8_t kDefaultMode = 1;

} // namespace

QString AudioFormatsFor(int mode) {
    switch (mode) {
    case 0: return QStringLiteral("N/A");
    case 2: return QStringLiteral("WAV, MP3, SND, AU, AIF, WMA");
    default: return QStringLiteral("WAV (PCM)");
    }
}

frmAudio::frmAudio(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAudio"));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    // Room on the left for the icon drawn at (16, 16).
    column->setContentsMargins(64, 16, 16, 12);
    lblTop = new QLabel(this);
    lblTop->setObjectName(QStringLiteral("lblTop"));
    chkAudio = new QCheckBox(this);
    chkAudio->setObjectName(QStringLiteral("chkAudio"));
    chkPlayer = new QCheckBox(this);
    chkPlayer->setObjectName(QStringLiteral("chkPlayer"));
    lblFormats = new QLabel(this);
    lblFormats->setObjectName(QStringLiteral("lblFormats"));
    for (QLabel* l : {lblTop, lblFormats}) {
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    column->addWidget(lblTop);
    column->addWidget(chkAudio);
    column->addWidget(chkPlayer);
    column->addSpacing(6);
    column->addWidget(lblFormats);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    column->addLayout(buttons);

    // clicked is a user's click only: the presets of Form_Load do not count as one.
    connect(chkAudio, &QCheckBox::clicked, this, &frmAudio::chkAudio_Click);
    connect(chkPlayer, &QCheckBox::clicked, this, &frmAudio::chkPlayer_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmAudio::cmdOK_Click);
    // Esc and the window's close button cancel as well.
    connect(cmdCancel, &QPushButton::clicked, this, &frmAudio::cmdCancel_Click);
}

void frmAudio::Form_Load() {
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->window()->frameGeometry();
        move(frame.left() + 62, frame.top() + 92);
    }
    // Only the three modes the boxes can show are taken from the store; anything else would
    // leave OK handing on a target nobody offered.
    const double stored = LeadingNumber(ReadSetting(SettingKeys::AudioMode, QStringLiteral("1")));
    mMode = stored == 1 || stored == 2 || stored == 3 ? uint8_t(stored) : kDefaultMode;
    chkAudio->setChecked(mMode & 1);
    chkPlayer->setChecked(mMode & 2);

    chkAudio->setText(LangText(356));
    chkPlayer->setText(LangText(417));
    cmdOK->setText(LangText(66));
    cmdCancel->setText(LangText(67));
    lblTop->setText(LangText(416));
    setWindowTitle(WithoutEllipsis(LangText(61)));
    setLayoutDirection(Qt::LeftToRight);
    UpdateFormats();
}

void frmAudio::TakeBoxes() {
    mMode = uint8_t((chkAudio->isChecked() ? 1 : 0) + (chkPlayer->isChecked() ? 2 : 0));
    UpdateFormats();
}

void frmAudio::chkAudio_Click() {
    TakeBoxes();
}

void frmAudio::chkPlayer_Click() {
    TakeBoxes();
}

void frmAudio::cmdOK_Click() {
    if (mMode == 0) return;
    gAudioChoice = mMode;
    WriteSetting(SettingKeys::AudioMode, QString::number(mMode));
    accept();
}

void frmAudio::cmdCancel_Click() {
    reject();
}

void frmAudio::UpdateFormats() {
    // A line break of this system: a carriage return would show as a stray glyph.
    lblFormats->setText(LangText(418) + QLatin1Char('\n') + AudioFormatsFor(mMode));
    cmdOK->setEnabled(mMode != 0);
}

void frmAudio::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    // The audio icon stands for the program's icon 14.
    DrawAppIcon(painter, 5, 16, 16, 32, 32);
}

void ShowAudioChooser(QWidget* owner) {
    gAudioChoice = 0;
    frmAudio dialog(owner);
    dialog.Form_Load();
    dialog.exec();
}
