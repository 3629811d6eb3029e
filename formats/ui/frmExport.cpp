#include "formats/ui/frmExport.h"

#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/ui/formhelpers.h"
#include "formats/formatdefs.h"
#include "formats/formatsettings.h"
#include "formats/ui/frmFormat.h"
#include "language/lang.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double kMinFrameRate = 15;
constexpr double kMaxFrameRate = 30;
// The preset the dialog offers when the document has no frame rate ("25").
constexpr int kDefaultPreset = 4;
// The frame-rate box takes no more characters than "23,976" once it holds six.
constexpr int kMaxFrameRateKeys = 5;

const char* const kFrameRatePresets[] = {"15", "20", "23,976", "24", "25", "29,97", "30"};

// A label text without the "&" of a button's access key ("&Yes" -> "Yes").
QString WithoutAccessKey(QString text) {
    text.remove(QLatin1Char('&'));
    return text;
}

// The style a format carries, drawn as its letter.
QPixmap StyleIcon(char letter) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f(QStringLiteral("Serif"));
    f.setPixelSize(16);
    f.setBold(letter == 'B');
    f.setItalic(letter == 'I');
    f.setUnderline(letter == 'U');
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(pm.rect(), Qt::AlignCenter, QString(QLatin1Char(letter)));
    return pm;
}

QString FormatKey(int index, const char* key, const QString& def = QString()) {
    return index >= 0 && index < gFormatIds.size() ? ReadFormatIni(gFormatIds[index], QLatin1String(key), def)
                                                   : def;
}

} // namespace

std::optional<float> ParseFrameRate(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,3}(?:[.,][0-9]{1,6})?$"));
    const QString t = text.trimmed();
    if (!number.match(t).hasMatch()) return std::nullopt;
    QString dotted = t;
    dotted.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = dotted.toDouble(&ok);
    if (!ok || v < kMinFrameRate || v > kMaxFrameRate) return std::nullopt;
    return float(v);
}

QString FrameRateText(float fps) {
    QString t = QString::number(double(fps), 'g', 7);
    t.replace(QLatin1Char('.'), QLatin1Char(','));
    return t;
}

frmExport::frmExport(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmExport"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblTop = MakePlainLabel(this, "lblTop");
    cboFormats = new QComboBox(this);
    cboFormats->setObjectName(QStringLiteral("cboFormats"));
    cboFormats->setMaxVisibleItems(20);
    lblTotal = MakePlainLabel(this, "lblTotal");

    fraFormat = new QGroupBox(this);
    fraFormat->setObjectName(QStringLiteral("fraFormat"));
    lblMode = MakePlainLabel(fraFormat, "lblMode");
    lblMode2 = MakePlainLabel(fraFormat, "lblMode2");
    lblTimecode = MakePlainLabel(fraFormat, "lblTimecode");
    lblTimecode2 = MakePlainLabel(fraFormat, "lblTimecode2");
    lblHeader = MakePlainLabel(fraFormat, "lblHeader");
    lblHeader2 = MakePlainLabel(fraFormat, "lblHeader2");
    lblTags = MakePlainLabel(fraFormat, "lblTags");
    imgBold = MakePlainLabel(fraFormat, "imgBold");
    imgBold->setPixmap(StyleIcon('B'));
    imgItalic = MakePlainLabel(fraFormat, "imgItalic");
    imgItalic->setPixmap(StyleIcon('I'));
    imgUnderline = MakePlainLabel(fraFormat, "imgUnderline");
    imgUnderline->setPixmap(StyleIcon('U'));
    for (QLabel* value : {lblMode2, lblTimecode2, lblHeader2}) {
        QFont f = value->font();
        f.setBold(true);
        value->setFont(f);
    }

    lblFPS = MakePlainLabel(this, "lblFPS");
    cmbFPS = new QComboBox(this);
    cmbFPS->setObjectName(QStringLiteral("cmbFPS"));
    cmbFPS->setEditable(true);
    cmbFPS->setInsertPolicy(QComboBox::NoInsert);
    for (const char* preset : kFrameRatePresets)
        cmbFPS->addItem(QLatin1String(preset));
    // Keys reach the box itself, which hands them to its line edit past any filter; pasted
    // text and keys sent to the line edit directly are seen there.
    cmbFPS->installEventFilter(this);
    cmbFPS->lineEdit()->installEventFilter(this);

    cmdConfigure = new QPushButton(this);
    cmdConfigure->setObjectName(QStringLiteral("cmdConfigure"));
    cmdConfigure->setAutoDefault(false);
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* properties = new QGridLayout(fraFormat);
    properties->addWidget(lblMode, 0, 0);
    properties->addWidget(lblMode2, 0, 1);
    properties->addWidget(lblTimecode, 1, 0);
    properties->addWidget(lblTimecode2, 1, 1);
    properties->addWidget(lblHeader, 2, 0);
    properties->addWidget(lblHeader2, 2, 1);
    auto* tags = new QHBoxLayout;
    tags->addWidget(imgBold);
    tags->addWidget(imgItalic);
    tags->addWidget(imgUnderline);
    tags->addStretch(1);
    properties->addWidget(lblTags, 3, 0);
    properties->addLayout(tags, 3, 1);
    properties->setColumnStretch(1, 1);

    auto* fps = new QHBoxLayout;
    fps->addWidget(lblFPS);
    fps->addWidget(cmbFPS);
    fps->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdConfigure);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(lblTop);
    main->addWidget(cboFormats);
    main->addWidget(lblTotal);
    main->addWidget(fraFormat);
    main->addLayout(fps);
    main->addStretch(1);
    main->addLayout(buttons);
    setMinimumWidth(440);

    connect(cboFormats, &QComboBox::currentIndexChanged, this, &frmExport::cboFormats_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmExport::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmExport::cmdCancel_Click);
    connect(cmdConfigure, &QPushButton::clicked, this, &frmExport::cmdConfigure_Click);

    Form_Load();
}

void frmExport::Form_Load() {
    for (QWidget* w : findChildren<QWidget*>())
        w->setLayoutDirection(Qt::LeftToRight);

    QString title = LangText(45);
    if (title.endsWith(QLatin1String("..."))) title.chop(3);
    setWindowTitle(title);
    cmdConfigure->setText(LangText(324));
    cmdCancel->setText(LangText(67));
    cmdOK->setText(LangText(66));
    fraFormat->setTitle(LangText(276));
    lblTop->setText(LangText(275));
    lblMode->setText(LangText(277));
    lblTimecode->setText(LangText(280));
    lblHeader->setText(LangText(281));
    lblTags->setText(LangText(282));
    lblFPS->setText(LangText(7) + QLatin1Char(':'));
    imgBold->setToolTip(LangText(154));
    imgItalic->setToolTip(LangText(155));
    imgUnderline->setToolTip(LangText(156));

    {
        // Filling the list selects its first entry: nothing is shown until the right one is.
        const QSignalBlocker block(cboFormats);
        const int last = std::min<int>(gFormatMax, int(gFormatIds.size()) - 1);
        for (int i = 0; i <= last; ++i)
            cboFormats->addItem(FormatKey(i, "name") + QStringLiteral(" [") + FormatKey(i, "extension") +
                                QLatin1Char(']'));
        lblTotal->setText(LangText(52, QString::number(cboFormats->count())));
        if (gFormatIndex >= 0 && gFormatIndex < cboFormats->count())
            cboFormats->setItemText(gFormatIndex,
                                    cboFormats->itemText(gFormatIndex) + QLatin1Char(' ') + LangText(283));
    }

    // A document without a subtitle format of its own (plain text, a new one) is offered SubRip.
    int selected = gFormatIndex;
    if (selected == 0) {
        const int subrip = int(gFormatIds.lastIndexOf(QStringLiteral("SUBRIP")));
        if (subrip >= 0 && subrip < cboFormats->count()) selected = subrip;
    }
    cboFormats->setCurrentIndex(selected >= 0 && selected < cboFormats->count() ? selected : -1);
    if (gFPS <= 0)
        cmbFPS->setCurrentIndex(kDefaultPreset);
    else
        cmbFPS->setEditText(FrameRateText(gFPS));
    UpdateFormatInfo(cboFormats->currentIndex());
}

void frmExport::cboFormats_Click() {
    UpdateFormatInfo(cboFormats->currentIndex());
}

void frmExport::UpdateFormatInfo(int index) {
    if (index < 0) return;
    const QString t = FormatKey(index, "timecode", QStringLiteral("ms")).toLower();
    if (t == QLatin1String("ms")) {
        lblMode2->setText(LangText(278));
        lblTimecode2->setText(LangText(176));
    } else if (t == QLatin1String("ff")) {
        lblMode2->setText(QStringLiteral("FPS (") + LangText(279) + QLatin1Char(')'));
        lblTimecode2->setText(QStringLiteral("N/A"));
    } else if (t == QLatin1String("n/a")) {
        lblMode2->setText(QStringLiteral("n/a"));
        lblTimecode2->setText(QStringLiteral("n/a"));
    } else {
        lblMode2->setText(t.contains(QLatin1String("ff")) ? LangText(278) + QStringLiteral("+FPS")
                                                          : LangText(278));
        lblTimecode2->setText(t);
    }
    const bool frames = t.contains(QLatin1String("ff"));
    lblFPS->setEnabled(frames);
    cmbFPS->setEnabled(frames);

    const bool header = LeadingNumber(FormatKey(index, "header", QStringLiteral("0"))) == 1;
    lblHeader2->setText(WithoutAccessKey(LangText(header ? 68 : 69)));
    cmdConfigure->setEnabled(header);

    double tags = LeadingNumber(FormatKey(index, "tags", QStringLiteral("0")));
    imgUnderline->setVisible(tags >= 4);
    if (tags >= 4) tags -= 4;
    imgItalic->setVisible(tags >= 2);
    if (tags >= 2) tags -= 2;
    imgBold->setVisible(tags == 1);
    lblTags->setEnabled(!imgBold->isHidden() || !imgItalic->isHidden() || !imgUnderline->isHidden());
}

void frmExport::cmdOK_Click() {
    const int index = cboFormats->currentIndex();
    float fps = 0;
    if (FormatKey(index, "timecode", QStringLiteral("ms")).toLower().contains(QLatin1String("ff"))) {
        const std::optional<float> rate = ParseFrameRate(cmbFPS->currentText());
        if (!rate) {
            MsgBox(LangText(323), vbCritical, LangText(7));
            if (cmbFPS->isEnabled()) cmbFPS->setFocus();
            return;
        }
        fps = *rate;
    }
    if (index >= 0) gFormatIndex = index;
    gFPS = fps;
    accept();
}

void frmExport::cmdCancel_Click() {
    reject();
}

void frmExport::cmdConfigure_Click() {
    gConfigFormatIndex = cboFormats->currentIndex();
    ShowFormatSettings(this);
    gConfigFormatIndex = 0;
}

bool frmExport::cmbFPS_KeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace) return false;
    const QString typed = event->text();
    // Keys without a character (arrows, Home, Delete) and shortcuts (Ctrl+V) edit as usual.
    if (typed.isEmpty() || typed[0].unicode() < 0x20 || typed[0].unicode() == 0x7F) return false;
    QLineEdit* edit = cmbFPS->lineEdit();
    if (edit->text().size() > kMaxFrameRateKeys && !edit->hasSelectedText()) return true;
    QChar c = typed[0];
    if (c == u'.') c = u',';
    if (c == u',') {
        // One decimal comma; a selected one is typed over.
        QString kept = edit->text();
        if (edit->hasSelectedText()) kept.remove(edit->selectionStart(), edit->selectedText().size());
        if (kept.contains(u',')) return true;
        edit->insert(QStringLiteral(","));
        return true;
    }
    // Digits, ":" and ";" pass here; OK checks that the whole text is a number.
    return !(c.unicode() >= u'0' && c.unicode() <= u';');
}

bool frmExport::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == cmbFPS || watched == cmbFPS->lineEdit()) && event->type() == QEvent::KeyPress)
        return cmbFPS_KeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool ShowExportDialog(QWidget* owner) {
    frmExport dialog(owner);
    return dialog.exec() == QDialog::Accepted;
}
