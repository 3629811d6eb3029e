// The settings dialog's pages: timing rules, hot keys, player, preview caption. Each control
// writes its setting variable as soon as it changes.
#include "base/appinfo.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/ui/formhelpers.h"
#include "dialogs/frmSettings.h"
#include "language/lang.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"
#include "platform/SubtitleFilter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace {

QLabel* Label(QWidget* parent, const char* name = nullptr) {
    auto* l = new QLabel(parent);
    if (name) l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

QSlider* Slider(QWidget* parent, int min, int max, int page) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setRange(min, max);
    s->setSingleStep(1);
    s->setPageStep(page);
    return s;
}

int CheckValue(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

// A box that takes one letter and nothing else: no paste, no deletion, no context menu, no drop.
class HotkeyFilter : public QObject {
public:
    HotkeyFilter(frmSettings* dialog, int index) : QObject(dialog), d(dialog), i(index) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            d->txtHotkey[i]->setSelection(0, 2);
            return false;
        }
        // The X selection would be pasted by the middle button.
        if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) &&
            static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
            return true;
        if (event->type() == QEvent::ShortcutOverride) {
            // Keep Ctrl+V, Ctrl+X, Ctrl+Z away from the box's own editing shortcuts.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) {
                event->accept();
                return true;
            }
        }
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return false; // moving on and closing work as in any box
        default:
            break;
        }
        if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier)) return true;
        return d->txtHotkey_KeyPress(i, key->key(), key->text());
    }

private:
    frmSettings* d;
    int i;
};

// The highlight behind an option covers its check box and the controls under it down to last
// (the option's own rows in this page's layout), and nothing of the next option.
int OptionHeight(const QWidget* check, const QWidget* last) {
    return last->geometry().bottom() - check->y() + 9;
}

// The unit of milliseconds as the UI language writes it after a number: taken from the text
// that shows the time per character ("%1 ms", "%1 мс"), which every language has.
QString MsUnit() {
    const QString perCharacter = LangText(207);
    const int at = int(perCharacter.lastIndexOf(QStringLiteral("%1")));
    const QString unit = at < 0 ? QString() : perCharacter.mid(at + 2);
    return unit.trimmed().isEmpty() || unit.contains(u'%') ? QStringLiteral(" ms") : unit;
}

QString AutoJoinText() {
    return LangText(103) + u' ' + QString::number(gNear) + MsUnit();
}

// The sample picture behind the sample caption: a still of a street at dusk, drawn once.
QPixmap SamplePicture(const QSize& size) {
    QPixmap pix(size);
    QPainter p(&pix);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0x2B, 0x3A, 0x67));
    sky.setColorAt(0.6, QColor(0xC9, 0x7B, 0x63));
    sky.setColorAt(1, QColor(0x3D, 0x2C, 0x2E));
    p.fillRect(pix.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1E, 0x1B, 0x24));
    const int h = size.height(), w = size.width();
    for (int x = 0, i = 0; x < w; x += w / 9 + 1, ++i)
        p.drawRect(x, h / 2 + (i * 37 % 5) * h / 20, w / 10, h);
    return pix;
}

} // namespace

// --- Page 0: timing rules ---

void frmSettings::BuildRulesPage() {
    QWidget* page = picOptions[0];
    chkAutoSplit = new QCheckBox(page);
    chkCollision = new QCheckBox(page);
    chkAutoJoin = new QCheckBox(page);
    lblAutoJoin = Label(page, "lblAutoJoin");
    sldAutoJoin = Slider(page, 1, 40, 5);
    chkDuration = new QCheckBox(page);
    lblShort = Label(page);
    lblMedium = Label(page);
    lblLong = Label(page);
    for (int i = 0; i < 3; ++i) {
        lblDuration[i] = Label(page);
        lblTolerance[i] = Label(page);
        sldDuration[i] = Slider(page, 1, 35, 5);
        sldTolerance[i] = Slider(page, 1, 30, 5);
    }
    chkCredits = new QCheckBox(page);
    lblCredits = Label(page);
    txtCredits = new QLineEdit(page);
    txtCredits->setObjectName(QStringLiteral("txtCredits"));
    chkBreaks = new QCheckBox(page);
    lblWhen = Label(page);
    cmbApply = new QComboBox(page);
    cmbApply->setObjectName(QStringLiteral("cmbApply"));

    connect(chkAutoSplit, &QCheckBox::toggled, this,
            [this] { gAutoSplit = uint8_t(CheckValue(chkAutoSplit)); });
    connect(chkCollision, &QCheckBox::toggled, this,
            [this] { gCollision = uint8_t(CheckValue(chkCollision)); });
    connect(chkAutoJoin, &QCheckBox::toggled, this, &frmSettings::chkAutoJoin_Click);
    connect(chkDuration, &QCheckBox::toggled, this, &frmSettings::chkDuration_Click);
    connect(chkCredits, &QCheckBox::toggled, this, &frmSettings::chkCredits_Click);
    connect(chkBreaks, &QCheckBox::toggled, this, [this] { gFixBreaks = uint8_t(CheckValue(chkBreaks)); });
    connect(sldAutoJoin, &QSlider::valueChanged, this, &frmSettings::sldAutoJoin_Change);
    for (int i = 0; i < 3; ++i) {
        connect(sldDuration[i], &QSlider::valueChanged, this, [this, i] { sldDuration_Change(i); });
        connect(sldTolerance[i], &QSlider::valueChanged, this, [this, i] { sldTolerance_Change(i); });
    }
    connect(txtCredits, &QLineEdit::textEdited, this, &frmSettings::txtCredits_KeyUp);
    connect(txtCredits, &QLineEdit::editingFinished, this, &frmSettings::txtCredits_LostFocus);
    cmbApply->installEventFilter(this);

    OnHover(chkAutoSplit, [this] {
        ShowDetails(LangText(273));
        ClearOptionHighlights();
    });
    OnHover(chkCollision, [this] { ShowDetails(LangText(197)); });
    OnHover(chkAutoJoin, [this] {
        ShowDetails(LangText(83) + QStringLiteral("\n\n") + LangText(248));
        if (!picAutoJoin->isVisible())
            HighlightOption(chkAutoJoin, picAutoJoin, OptionHeight(chkAutoJoin, sldAutoJoin));
    });
    OnHover(lblAutoJoin, [this] { ShowDetails(LangText(83)); });
    OnHover(chkDuration, [this] {
        ShowDetails(LangText(199));
        if (!picDuration->isVisible())
            HighlightOption(chkDuration, picDuration, OptionHeight(chkDuration, sldTolerance[2]));
    });
    OnHover(lblShort, [this] { ShowDetails(LangText(204, QStringLiteral("5"))); });
    OnHover(lblMedium, [this] { ShowDetails(LangText(205, QStringLiteral("15"))); });
    OnHover(lblLong, [this] { ShowDetails(LangText(206, QStringLiteral("15"))); });
    for (int i = 0; i < 3; ++i) {
        OnHover(lblDuration[i], [this] { ShowDetails(LangText(209)); });
        OnHover(lblTolerance[i], [this] { ShowDetails(LangText(210)); });
    }
    OnHover(chkCredits, [this] {
        ShowDetails(LangText(430));
        if (!picCredits->isVisible())
            HighlightOption(chkCredits, picCredits, OptionHeight(chkCredits, txtCredits));
    });
    OnHover(chkBreaks, [this] { ShowDetails(LangText(106)); });

    auto* grid = new QGridLayout(page);
    int r = 0;
    grid->addWidget(chkAutoSplit, r++, 0, 1, 4);
    grid->addWidget(chkCollision, r++, 0, 1, 4);
    grid->addWidget(chkAutoJoin, r++, 0, 1, 4);
    grid->addWidget(lblAutoJoin, r, 1);
    grid->addWidget(sldAutoJoin, r++, 2, 1, 2);
    grid->addWidget(chkDuration, r++, 0, 1, 4);
    QLabel* bands[3] = {lblShort, lblMedium, lblLong};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(bands[i], r, 1);
        grid->addWidget(lblDuration[i], r, 2);
        grid->addWidget(sldDuration[i], r++, 3);
        grid->addWidget(lblTolerance[i], r, 2);
        grid->addWidget(sldTolerance[i], r++, 3);
    }
    grid->addWidget(chkCredits, r++, 0, 1, 4);
    grid->addWidget(lblCredits, r, 1);
    grid->addWidget(txtCredits, r++, 2, 1, 2);
    grid->addWidget(chkBreaks, r++, 0, 1, 4);
    grid->addWidget(lblWhen, r++, 0, 1, 4);
    grid->addWidget(cmbApply, r++, 1, 1, 3);
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(3, 1);
    for (int i = 0; i < 3; ++i) {
        sldDuration[i]->setMinimumWidth(140);
        sldTolerance[i]->setMinimumWidth(140);
    }
    grid->setVerticalSpacing(4);
    grid->setRowStretch(r, 1);
}

void frmSettings::EnableRulesControls() {
    lblAutoJoin->setEnabled(gAutoJoin == 1);
    sldAutoJoin->setEnabled(gAutoJoin == 1);
    for (QWidget* w : std::initializer_list<QWidget*>{lblShort, lblMedium, lblLong})
        w->setEnabled(gDurationMode == 1);
    for (int i = 0; i < 3; ++i)
        for (QWidget* w : std::initializer_list<QWidget*>{lblDuration[i], lblTolerance[i], sldDuration[i],
                                                          sldTolerance[i]})
            w->setEnabled(gDurationMode == 1);
    lblCredits->setEnabled(gRemoveCredits == 1);
    txtCredits->setEnabled(gRemoveCredits == 1);
}

void frmSettings::chkAutoJoin_Click() {
    gAutoJoin = uint8_t(CheckValue(chkAutoJoin));
    EnableRulesControls();
}

void frmSettings::chkDuration_Click() {
    gDurationMode = uint8_t(CheckValue(chkDuration));
    EnableRulesControls();
}

void frmSettings::chkCredits_Click() {
    gRemoveCredits = uint8_t(CheckValue(chkCredits));
    EnableRulesControls();
}

void frmSettings::sldAutoJoin_Change() {
    gNear = sldAutoJoin->value() * 10;
    lblAutoJoin->setText(AutoJoinText());
}

void frmSettings::sldDuration_Change(int index) {
    gRuleDuration[index] = int16_t(sldDuration[index]->value() * 10);
    lblDuration[index]->setText(LangText(207, QString::number(gRuleDuration[index])));
}

void frmSettings::sldTolerance_Change(int index) {
    gRuleTolerance[index] = int16_t(sldTolerance[index]->value() * 10);
    lblTolerance[index]->setText(LangText(208, QString::number(gRuleTolerance[index])));
}

void frmSettings::txtCredits_KeyUp() {
    gCreditsText = txtCredits->text().trimmed();
}

void frmSettings::txtCredits_LostFocus() {
    gCreditsText = NormalizeCreditsText(gCreditsText);
    if (txtCredits->text() != gCreditsText) txtCredits->setText(gCreditsText);
}

void frmSettings::cmbApply_LostFocus() {
    if (cmbApply->currentIndex() >= 0) gApplyWhen = uint8_t(cmbApply->currentIndex());
}

// A slider shows the variable's value in its units; a value the slider cannot show leaves the
// slider at its nearest end (the variable itself changes only when the slider is moved).
static void SetSlider(QSlider* slider, double value) {
    const int v = int(std::nearbyint(value));
    if (slider->value() == v) return;
    slider->setValue(v);
}

void frmSettings::ShowRulesSettings() {
    chkAutoSplit->setChecked(gAutoSplit != 0);
    chkCollision->setChecked(gCollision != 0);
    chkAutoJoin->setChecked(gAutoJoin != 0);
    chkDuration->setChecked(gDurationMode != 0);
    chkCredits->setChecked(gRemoveCredits != 0);
    chkBreaks->setChecked(gFixBreaks != 0);
    // A stored value between two slider steps stays as it is until the user moves the slider;
    // one beyond the slider's range takes the slider's end.
    const int32_t near = gNear;
    int16_t durations[3], tolerances[3];
    std::copy(gRuleDuration, gRuleDuration + 3, durations);
    std::copy(gRuleTolerance, gRuleTolerance + 3, tolerances);
    SetSlider(sldAutoJoin, near / 10.0);
    if (near >= 10 && near <= 400) gNear = near;
    lblAutoJoin->setText(AutoJoinText());
    for (int i = 0; i < 3; ++i) {
        SetSlider(sldDuration[i], durations[i] / 10.0);
        SetSlider(sldTolerance[i], tolerances[i] / 10.0);
        if (durations[i] >= 10 && durations[i] <= 350) gRuleDuration[i] = durations[i];
        if (tolerances[i] >= 10 && tolerances[i] <= 300) gRuleTolerance[i] = tolerances[i];
        lblDuration[i]->setText(LangText(207, QString::number(gRuleDuration[i])));
        lblTolerance[i]->setText(LangText(208, QString::number(gRuleTolerance[i])));
    }
    txtCredits->setText(gCreditsText);
    if (gApplyWhen <= 2) cmbApply->setCurrentIndex(gApplyWhen);
    EnableRulesControls();
}

void frmSettings::ApplyRulesTexts() {
    chkAutoSplit->setText(LangText(272));
    chkCollision->setText(LangText(196));
    chkAutoJoin->setText(LangText(82));
    chkDuration->setText(LangText(198));
    lblShort->setText(LangText(201));
    lblMedium->setText(LangText(202));
    lblLong->setText(LangText(203));
    chkCredits->setText(LangText(429));
    lblCredits->setText(LangText(431));
    chkBreaks->setText(LangText(105));
    lblWhen->setText(LangText(211));
    cmbApply->clear();
    cmbApply->addItems({LangText(212), LangText(213), LangText(214)});
    cmbApply->setCurrentIndex(gApplyWhen <= 2 ? gApplyWhen : -1);
    lblAutoJoin->setText(AutoJoinText());
    for (int i = 0; i < 3; ++i) {
        lblDuration[i]->setText(LangText(207, QString::number(sldDuration[i]->value() * 10)));
        lblTolerance[i]->setText(LangText(208, QString::number(sldTolerance[i]->value() * 10)));
    }
}

void frmSettings::ResetRulesPage() {
    gAutoSplit = 1;
    gCollision = 1;
    gAutoJoin = 1;
    gNear = 200;
    gDurationMode = 1;
    const int16_t durations[3] = {250, 120, 50};
    for (int i = 0; i < 3; ++i) {
        gRuleDuration[i] = durations[i];
        gRuleTolerance[i] = 200;
    }
    gRemoveCredits = 0;
    gCreditsText = QStringLiteral("@,http,www");
    gFixBreaks = 1;
    gApplyWhen = 0;
}

// --- Page 1: hot keys ---

void frmSettings::BuildKeysPage() {
    QWidget* page = picOptions[1];
    chkKeys = new QCheckBox(page);
    chkKeys->setObjectName(QStringLiteral("chkKeys"));
    connect(chkKeys, &QCheckBox::toggled, this, &frmSettings::chkKeys_Click);
    OnHover(chkKeys, [this] { ShowDetails(LangText(200)); });
    fraPlayback = new QGroupBox(page);
    fraCaptioning = new QGroupBox(page);
    fraOther = new QGroupBox(page);
    auto* playback = new QGridLayout(fraPlayback);
    auto* captioning = new QGridLayout(fraCaptioning);
    auto* other = new QGridLayout(fraOther);
    QGridLayout* groupOf[10] = {playback,   playback, playback, captioning, captioning,
                                captioning, other,    other,    other,      other};
    static const char* const kNames[10] = {"lblPlay", "lblPause",  "lblStop", "lblStart",  "lblNext",
                                           "lblEnd",  "lblReturn", "lblJump", "lblRewind", "lblForward"};
    int rows[3] = {0, 0, 0};
    for (int i = 0; i < 10; ++i) {
        QGridLayout* g = groupOf[i];
        const int group = g == playback ? 0 : g == captioning ? 1 : 2;
        lblHotkey[i] = Label(g->parentWidget(), kNames[i]);
        txtHotkey[i] = new QLineEdit(g->parentWidget());
        txtHotkey[i]->setObjectName(QStringLiteral("txtHotkey%1").arg(i));
        txtHotkey[i]->setMaxLength(1);
        txtHotkey[i]->setFixedWidth(36);
        txtHotkey[i]->setAlignment(Qt::AlignCenter);
        txtHotkey[i]->setContextMenuPolicy(Qt::NoContextMenu);
        txtHotkey[i]->setAcceptDrops(false);
        txtHotkey[i]->setAttribute(Qt::WA_InputMethodEnabled, false);
        txtHotkey[i]->installEventFilter(new HotkeyFilter(this, i));
        connect(txtHotkey[i], &QLineEdit::textChanged, this, [this, i] {
            const QString upper = txtHotkey[i]->text().toUpper();
            if (upper != txtHotkey[i]->text()) txtHotkey[i]->setText(upper);
            // Ready to be typed over, but only in the box being typed in: every other box shows
            // its letter plainly.
            if (txtHotkey[i]->hasFocus()) txtHotkey[i]->setSelection(0, 2);
        });
        g->addWidget(txtHotkey[i], rows[group], 0);
        g->addWidget(lblHotkey[i], rows[group], 1);
        if (i == 8 || i == 9) {
            const int s = i - 8;
            txtPosition[s] = new QLineEdit(g->parentWidget());
            txtPosition[s]->setObjectName(QStringLiteral("txtPosition%1").arg(s));
            txtPosition[s]->setFixedWidth(56);
            txtPosition[s]->setMaxLength(6);
            txtPosition[s]->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), txtPosition[s]));
            txtPosition[s]->installEventFilter(this);
            connect(txtPosition[s], &QLineEdit::editingFinished, this,
                    [this, s] { txtPosition_LostFocus(s); });
            lblSeconds[s] = Label(g->parentWidget());
            g->addWidget(txtPosition[s], rows[group], 2);
            g->addWidget(lblSeconds[s], rows[group], 3);
        }
        ++rows[group];
    }
    auto* v = new QVBoxLayout(page);
    v->addWidget(chkKeys);
    v->addWidget(fraPlayback);
    v->addWidget(fraCaptioning);
    v->addWidget(fraOther);
    v->addStretch(1);
}

void frmSettings::chkKeys_Click() {
    gHotKeys = uint8_t(CheckValue(chkKeys));
    const bool on = gHotKeys == 1;
    for (QWidget* w : std::initializer_list<QWidget*>{fraPlayback, fraCaptioning, fraOther})
        w->setEnabled(on);
    for (int i = 0; i < 10; ++i) {
        lblHotkey[i]->setEnabled(on);
        txtHotkey[i]->setEnabled(on);
    }
    for (int i = 0; i < 2; ++i) {
        txtPosition[i]->setEnabled(on);
        lblSeconds[i]->setEnabled(on);
    }
}

bool frmSettings::txtHotkey_KeyPress(int index, int key, const QString& text) {
    QChar c = text.size() == 1 ? text[0] : QChar();
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    if (c >= u'A' && c <= u'Z') {
        *kHotKeySettings[index].variable = uint8_t(c.unicode());
        txtHotkey[index]->setText(QString(c));
        return true;
    }
    // Keys that only move or delete inside the box are dropped without a word; a key that types
    // anything else is answered.
    const bool typed = !text.isEmpty() || key == Qt::Key_Backspace;
    if (typed) MsgBox(LangText(133), vbInformation, kProductName);
    return true;
}

void frmSettings::txtPosition_LostFocus(int index) {
    const int seconds = ClampSeconds(txtPosition[index]->text());
    txtPosition[index]->setText(QString::number(seconds));
    (index == 0 ? gRewindSecs : gForwardSecs) = int16_t(seconds);
}

void frmSettings::ShowKeysSettings() {
    chkKeys->setChecked(gHotKeys != 0);
    chkKeys_Click();
    // The letters come from the store when the dialog loads; afterwards only typing and this
    // page's reset change them, so a refresh never puts back a letter whose code was changed.
    if (!mLettersShown) {
        for (int i = 0; i < 10; ++i) {
            const HotKeySetting& hk = kHotKeySettings[i];
            QString letter = ReadSetting(QString::fromLatin1(hk.letterKey), QString(QChar(hk.defaultCode)));
            letter = letter.left(1).toUpper();
            if (letter.isEmpty() || letter[0] < u'A' || letter[0] > u'Z')
                letter = QString(QChar(*hk.variable));
            txtHotkey[i]->setText(letter);
        }
        mLettersShown = true;
    }
    txtPosition[0]->setText(QString::number(gRewindSecs));
    txtPosition[1]->setText(QString::number(gForwardSecs));
}

void frmSettings::ApplyKeysTexts() {
    static const int kTexts[10] = {126, 127, 128, 40, 41, 42, 166, 181, 167, 168};
    for (int i = 0; i < 10; ++i)
        lblHotkey[i]->setText(LangText(kTexts[i]));
    chkKeys->setText(LangText(195));
    fraPlayback->setTitle(LangText(124));
    fraCaptioning->setTitle(LangText(125));
    lblSeconds[0]->setText(LangText(169));
    lblSeconds[1]->setText(LangText(169));
}

void frmSettings::ResetKeysPage() {
    gHotKeys = 1;
    gRewindSecs = 5;
    gForwardSecs = 5;
    for (int i = 0; i < 10; ++i) {
        *kHotKeySettings[i].variable = kHotKeySettings[i].defaultCode;
        txtHotkey[i]->setText(QString(QChar(kHotKeySettings[i].defaultCode)));
    }
}

// --- Page 2: player ---

void frmSettings::BuildPlayerPage() {
    QWidget* page = picOptions[2];
    chkStretch = new QCheckBox(page);
    chkStretch->setObjectName(QStringLiteral("chkStretch"));
    lblUImode = Label(page);
    cmbUImode = new QComboBox(page);
    cmbUImode->setObjectName(QStringLiteral("cmbUImode"));
    cmbUImode->addItems({QString(), QString(), QString()});
    cmbUImode->installEventFilter(this);
    lblVSFilter = Label(page);
    lblVSFilter->setWordWrap(true);
    optVSDisable = new QRadioButton(page);
    optVSHide = new QRadioButton(page);
    lblVSNotice = Label(page);
    lblVSNotice->setWordWrap(true);
    cmdVSFilter = new QPushButton(page);
    imgVSHelp = Label(page);
    imgVSHelp->setPixmap(AppIcon(2).pixmap(20, 20));
    connect(chkStretch, &QCheckBox::toggled, this, &frmSettings::chkStretch_Click);
    connect(optVSDisable, &QRadioButton::clicked, this, [] { gVSFilterMode = 0; });
    connect(optVSHide, &QRadioButton::clicked, this, [] { gVSFilterMode = 1; });
    connect(cmdVSFilter, &QPushButton::clicked, this, &frmSettings::cmdVSFilter_Click);
    OnHover(chkStretch, [this] { ShowDetails(LangText(312)); });
    OnHover(lblUImode, [this] { ShowDetails(LangText(314)); });
    OnHover(lblVSFilter, [this] { ShowDetails(LangText(421)); });
    OnHover(optVSDisable, [this] { ShowDetails(LangText(423)); });
    OnHover(optVSHide, [this] { ShowDetails(LangText(425)); });
    OnHover(cmdVSFilter, [this] { ShowDetails(LangText(427)); });
    OnHover(imgVSHelp, [this] { ShowDetails(LangText(428)); });

    auto* grid = new QGridLayout(page);
    grid->addWidget(chkStretch, 0, 0, 1, 3);
    grid->addWidget(lblUImode, 1, 0);
    grid->addWidget(cmbUImode, 1, 1, 1, 2);
    grid->addWidget(lblVSFilter, 2, 0, 1, 2);
    grid->addWidget(imgVSHelp, 2, 2);
    grid->addWidget(optVSDisable, 3, 0, 1, 3);
    grid->addWidget(optVSHide, 4, 0, 1, 3);
    grid->addWidget(lblVSNotice, 5, 0, 1, 3);
    grid->addWidget(cmdVSFilter, 6, 0);
    grid->setRowStretch(7, 1);
}

void frmSettings::chkStretch_Click() {
    gStretch = uint8_t(CheckValue(chkStretch));
    if (gSettingsHooks.setStretch) gSettingsHooks.setStretch(gStretch != 0);
}

void frmSettings::cmdVSFilter_Click() {
    // The filter's own configuration page is a program of that filter; there is none to start
    // here, and the button is only enabled where the filter's keys exist.
}

void frmSettings::ShowPlayerSettings() {
    chkStretch->setChecked(gStretch != 0);
    if (gUIMode != QLatin1String("none") && gUIMode != QLatin1String("mini") &&
        gUIMode != QLatin1String("full"))
        gUIMode = QStringLiteral("full");
    const int stored = gUIMode == QLatin1String("none") ? 0 : gUIMode == QLatin1String("mini") ? 1 : 2;
    // A choice made in the list waits for OK: the refresh after a Reset of another page or
    // after the font or colour dialog must not take it back.
    const bool pending = mUIModeShown >= 0 && cmbUImode->currentIndex() != mUIModeShown;
    if (!pending) {
        cmbUImode->setCurrentIndex(stored);
        mUIModeShown = stored;
    }
    (gVSFilterMode != 0 ? optVSHide : optVSDisable)->setChecked(true);
    const bool filter = SubtitleFilterKeyExists(1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblVSFilter, lblVSNotice, optVSDisable, optVSHide, cmdVSFilter})
        w->setEnabled(filter);
}

void frmSettings::ApplyPlayerTexts() {
    chkStretch->setText(LangText(311));
    lblUImode->setText(LangText(313));
    for (int i = 0; i < 3; ++i)
        cmbUImode->setItemText(i, LangText(315 + i));
    lblVSFilter->setText(LangText(420));
    optVSDisable->setText(LangText(422));
    optVSHide->setText(LangText(424));
    lblVSNotice->setText(LangText(426));
    cmdVSFilter->setText(LangText(370));
}

void frmSettings::ResetPlayerPage() {
    gStretch = 1;
    gUIMode = QStringLiteral("full");
    mUIModeShown = -1; // the list shows the reset value, whatever was chosen in it
    gVSFilterMode = 0;
    if (gSettingsHooks.setStretch) gSettingsHooks.setStretch(true);
}

// --- Page 3: preview caption ---

void frmSettings::BuildPreviewPage() {
    QWidget* page = picOptions[3];
    lblFormat = Label(page);
    lblFormat->setWordWrap(true);
    cmdFont = new QPushButton(page);
    cmdFont->setObjectName(QStringLiteral("cmdFont"));
    cmdColor = new QPushButton(page);
    cmdColor->setObjectName(QStringLiteral("cmdColor"));
    optOpaque = new QRadioButton(page);
    optOpaque->setObjectName(QStringLiteral("optOpaque"));
    optShadow = new QRadioButton(page);
    optShadow->setObjectName(QStringLiteral("optShadow"));
    lblShadow = Label(page, "lblShadow");
    sldShadow = Slider(page, 1, 4, 1);
    sldShadow->setObjectName(QStringLiteral("sldShadow"));
    lblHeight = Label(page, "lblHeight");
    sldHeight = Slider(page, 20, 100, 5);
    sldHeight->setObjectName(QStringLiteral("sldHeight"));
    chkFollow = new QCheckBox(page);
    chkFollow->setObjectName(QStringLiteral("chkFollow"));
    picSample = Label(page, "picSample");
    picSample->setFixedSize(320, 120);
    lblSampleShadow = Label(picSample, "lblSampleShadow");
    lblSample = Label(picSample, "lblSample");
    for (QLabel* l : {lblSample, lblSampleShadow}) {
        l->setAlignment(Qt::AlignCenter);
        l->setFixedWidth(picSample->width());
    }
    QPalette shadow = lblSampleShadow->palette();
    shadow.setColor(QPalette::WindowText, Qt::black);
    lblSampleShadow->setPalette(shadow);

    connect(cmdFont, &QPushButton::clicked, this, &frmSettings::cmdFont_Click);
    connect(cmdColor, &QPushButton::clicked, this, &frmSettings::cmdColor_Click);
    connect(optOpaque, &QRadioButton::clicked, this, &frmSettings::optOpaque_Click);
    connect(optShadow, &QRadioButton::clicked, this, &frmSettings::optShadow_Click);
    connect(sldShadow, &QSlider::valueChanged, this, &frmSettings::sldShadow_Change);
    connect(sldHeight, &QSlider::valueChanged, this, &frmSettings::sldHeight_Change);
    connect(chkFollow, &QCheckBox::toggled, this, &frmSettings::chkFollow_Click);
    OnHover(optOpaque, [this] { ShowDetails(LangText(255)); });
    OnHover(optShadow, [this] { ShowDetails(LangText(256)); });
    OnHover(chkFollow, [this] { ShowDetails(LangText(253)); });

    auto* grid = new QGridLayout(page);
    grid->addWidget(lblFormat, 0, 0, 1, 3);
    grid->addWidget(cmdFont, 1, 0);
    grid->addWidget(cmdColor, 1, 1);
    grid->addWidget(optOpaque, 2, 0, 1, 3);
    grid->addWidget(optShadow, 3, 0, 1, 3);
    grid->addWidget(lblShadow, 4, 0);
    grid->addWidget(sldShadow, 4, 1, 1, 2);
    grid->addWidget(lblHeight, 5, 0);
    grid->addWidget(sldHeight, 5, 1, 1, 2);
    grid->addWidget(chkFollow, 6, 0, 1, 3);
    grid->addWidget(picSample, 7, 0, 1, 3, Qt::AlignHCenter);
    grid->setRowStretch(8, 1);
}

void frmSettings::cmdFont_Click() {
    tFontSpec font;
    font.name = gCapFontName;
    font.size = gCapFontSize;
    font.bold = gCapFontBold;
    font.weight = gCapFontBold ? 700 : 400;
    int32_t color = gCapFontColor;
    if (!ShowFont(this, kFontDialogFlags, font, color, 8, 48)) return;
    if (font.name.trimmed().isEmpty()) return;
    gCapFontName = font.name;
    gCapFontSize = uint8_t(std::clamp(std::nearbyint(font.size), 8.0, 48.0));
    gCapFontBold = font.bold || font.weight >= 600;
    ShowCurrentSettings();
    if (gSettingsHooks.applyCaptionFont) gSettingsHooks.applyCaptionFont();
}

void frmSettings::cmdColor_Click() {
    const int32_t color = ShowColor(this, 1, gCapFontColor);
    if (color == -1) return;
    gCapFontColor = color & 0xFFFFFF;
    ShowCurrentSettings();
    if (gSettingsHooks.applyCaptionFont) gSettingsHooks.applyCaptionFont();
}

void frmSettings::optOpaque_Click() {
    gCapOpaque = true;
    lblShadow->setEnabled(false);
    sldShadow->setEnabled(false);
    RefreshSampleBackground();
}

void frmSettings::optShadow_Click() {
    gCapOpaque = false;
    lblShadow->setEnabled(true);
    sldShadow->setEnabled(true);
    RefreshSampleBackground();
}

void frmSettings::RefreshSampleBackground() {
    if (gCapOpaque) {
        QPixmap black(picSample->size());
        black.fill(Qt::black);
        picSample->setPixmap(black);
    } else {
        picSample->setPixmap(SamplePicture(picSample->size()));
    }
    lblSampleShadow->setVisible(!gCapOpaque);
    if (gSettingsHooks.applyCaptionFont) gSettingsHooks.applyCaptionFont();
}

void frmSettings::sldShadow_Change() {
    gCapShadow = uint8_t(sldShadow->value());
    lblShadow->setText(LangText(220, QString::number(gCapShadow)));
    lblSampleShadow->move(lblSample->x() + gCapShadow, lblSample->y() + gCapShadow);
    if (gSettingsHooks.applyCaptionFont) gSettingsHooks.applyCaptionFont();
}

void frmSettings::sldHeight_Change() {
    gCapPlacement = uint8_t(sldHeight->value());
    lblHeight->setText(LangText(223, QString::number(gCapPlacement)));
    if (gSettingsHooks.placeCaption) gSettingsHooks.placeCaption();
}

void frmSettings::chkFollow_Click() {
    gFollow = chkFollow->isChecked();
}

void frmSettings::ShowPreviewSettings() {
    // A damaged store may hold no font name or a size of 0: the sample shows sane values.
    QFont font(gCapFontName.trimmed().isEmpty() ? QStringLiteral("Arial") : gCapFontName);
    font.setPointSize(std::clamp<int>(gCapFontSize, 8, 48));
    font.setBold(gCapFontBold);
    lblSample->setFont(font);
    lblSampleShadow->setFont(font);
    QPalette p = lblSample->palette();
    p.setColor(QPalette::WindowText, BgrToColor(gCapFontColor));
    lblSample->setPalette(p);
    (gCapOpaque ? optOpaque : optShadow)->setChecked(true);
    lblShadow->setEnabled(!gCapOpaque);
    sldShadow->setEnabled(!gCapOpaque);
    chkFollow->setChecked(gFollow);
    SetSlider(sldShadow, gCapShadow);
    SetSlider(sldHeight, gCapPlacement);
    lblShadow->setText(LangText(220, QString::number(sldShadow->value())));
    lblHeight->setText(LangText(223, QString::number(sldHeight->value())));
    const int textHeight = QFontMetrics(font).height();
    for (QLabel* l : {lblSample, lblSampleShadow})
        l->setFixedHeight(textHeight + 4);
    lblSample->move(0, int(std::lround((picSample->height() - 8) / 2.0 - textHeight / 2.0)));
    lblSampleShadow->move(lblSample->x() + gCapShadow, lblSample->y() + gCapShadow);
    lblSample->raise();
}

void frmSettings::ApplyPreviewTexts() {
    lblFormat->setText(LangText(215));
    cmdFont->setText(LangText(216));
    cmdColor->setText(LangText(264));
    optOpaque->setText(LangText(217));
    optShadow->setText(LangText(218));
    chkFollow->setText(LangText(252));
    lblSample->setText(LangText(221));
    lblSampleShadow->setText(LangText(221));
    lblShadow->setText(LangText(220, QString::number(sldShadow->value())));
    lblHeight->setText(LangText(223, QString::number(sldHeight->value())));
}

void frmSettings::ResetPreviewPage() {
    gCapFontName = QStringLiteral("Arial");
    gCapFontSize = 18;
    gCapFontBold = true;
    gCapFontColor = 0xFFFFFF;
    gCapShadow = 1;
    gCapPlacement = 90;
    gFollow = true;
    if (gSettingsHooks.applyCaptionFont) gSettingsHooks.applyCaptionFont();
}
