#include "formats/ui/frmFormat.h"

#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/ui/formhelpers.h"
#include "formats/formatdefs.h"
#include "formats/formatsettings.h"
#include "language/lang.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int kIconSize = 32;
constexpr int kSsaMinFontSize = 8;
constexpr int kSsaMaxFontSize = 48;
// The largest font size a sample label takes from the store.
constexpr double kMaxStoredFontSize = 2160;
constexpr int kMaxMargin = 1200;
constexpr int kMaxOutline = 5;

const QString kSamiAlignments[] = {QStringLiteral("left"), QStringLiteral("right"), QStringLiteral("center")};

// The first conversion failure of a load, reported once when the load is done.
struct LoadError {
    int number = 0;
    QString description;
    void Set(int n, const QString& d) {
        if (number == 0) {
            number = n;
            description = d;
        }
    }
    void TypeMismatch() { Set(13, QStringLiteral("Type mismatch")); }
    void Overflow() { Set(6, QStringLiteral("Overflow")); }
    void InvalidValue() { Set(380, QStringLiteral("Invalid property value")); }
};

// The whole text as a number ("18", "18.5", "18,5"); nothing for any other text.
std::optional<double> WholeNumber(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

QFont SampleFont(const QFont& base, const QString& name, double size, bool bold, bool italic) {
    QFont f = base;
    f.setFamily(name);
    f.setPointSizeF(size);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

tFontSpec FontSpecOf(const QFont& f) {
    tFontSpec fontSpec;
    fontSpec.name = f.family();
    fontSpec.size = f.pointSizeF();
    fontSpec.bold = f.bold();
    fontSpec.weight = f.bold() ? 700 : 400;
    fontSpec.italic = f.italic();
    return fontSpec;
}

QString WholeSize(const QFont& f) {
    return QString::number(int(RoundHalfEven(f.pointSizeF())));
}

QString Flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// A label that reads as a link.
void MakeLink(QLabel* label) {
    ShowAsLink(label);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    label->setPalette(p);
}

QLineEdit* NewBox(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

QComboBox* NewList(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    return c;
}

QFrame* NewPicture(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::StyledPanel);
    f->setAutoFillBackground(true);
    return f;
}

} // namespace

int32_t frmFormat::TextColor(const QWidget* label) {
    return ColorToBgr(label->palette().color(QPalette::WindowText));
}

int32_t frmFormat::BackColor(const QWidget* picture) {
    return ColorToBgr(picture->palette().color(QPalette::Window));
}

void frmFormat::SetTextColor(QWidget* label, int32_t bgr) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, BgrToColor(bgr));
    label->setPalette(p);
}

void frmFormat::SetBackColor(QWidget* picture, int32_t bgr) {
    QPalette p = picture->palette();
    p.setColor(QPalette::Window, BgrToColor(bgr));
    picture->setPalette(p);
}

frmFormat::frmFormat(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmFormat"));
    setModal(true);

    picTop = new QLabel(this);
    picTop->setObjectName(QStringLiteral("picTop"));
    picTop->setFixedSize(kIconSize + 24, kIconSize + 24);
    picTop->setPixmap(AppIconPixmap(10, kIconSize, 12));
    imgDrag = MakePlainLabel(this, "imgDrag");
    imgDrag->setMinimumHeight(kIconSize + 8);
    imgDrag->setCursor(Qt::SizeAllCursor);
    QFont titleFont = imgDrag->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    imgDrag->setFont(titleFont);
    MakeDragHandle(imgDrag);

    lblTop = MakePlainLabel(this, "lblTop");
    QFont topFont = lblTop->font();
    topFont.setBold(true);
    lblTop->setFont(topFont);
    lblList = MakePlainLabel(this, "lblList");
    lstFormats = new QListWidget(this);
    lstFormats->setObjectName(QStringLiteral("lstFormats"));
    lstFormats->setFixedWidth(150);
    lblGetMore = MakePlainLabel(this, "lblGetMore");
    MakeLink(lblGetMore);
    lblGetMore->installEventFilter(this);

    cmdOK = MakeNamedButton(this, "cmdOK");
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdCancel = MakeNamedButton(this, "cmdCancel");
    cmdReset = MakeNamedButton(this, "cmdReset");

    picDvdSubtitle = BuildDvdPanel();
    picSami = BuildSamiPanel();
    picSsa = BuildSsaPanel();

    auto* top = new QHBoxLayout;
    top->addWidget(picTop);
    top->addWidget(imgDrag, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(lblList);
    left->addWidget(lstFormats, 1);
    left->addWidget(lblGetMore);
    auto* panels = new QVBoxLayout;
    panels->addWidget(lblTop);
    for (QWidget* p : {picDvdSubtitle, picSami, picSsa}) {
        panels->addWidget(p);
        p->setVisible(false);
        p->setEnabled(false);
    }
    panels->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(left);
    middle->addLayout(panels, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdReset);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(middle, 1);
    main->addLayout(buttons);
    setMinimumSize(620, 430);

    connect(lstFormats, &QListWidget::currentRowChanged, this, &frmFormat::lstFormats_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmFormat::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFormat::cmdCancel_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmFormat::cmdReset_Click);
    connect(cmdSamiFont, &QPushButton::clicked, this, &frmFormat::cmdSamiFont_Click);
    connect(cmdSamiColor, &QPushButton::clicked, this, &frmFormat::cmdSamiColor_Click);
    connect(cmdSamiBackground, &QPushButton::clicked, this, &frmFormat::cmdSamiBackground_Click);
    connect(cmdSsaFont, &QPushButton::clicked, this, &frmFormat::cmdSsaFont_Click);
    connect(cmdSsaColor, &QPushButton::clicked, this, &frmFormat::cmdSsaColor_Click);
    connect(cmdSsaBack, &QPushButton::clicked, this, &frmFormat::cmdSsaBack_Click);
    connect(cmbSamiAlign, &QComboBox::activated, this, &frmFormat::cmbSamiAlign_Click);
    connect(cmbSsaAlign, &QComboBox::activated, this, &frmFormat::cmbSsaAlign_Click);
    connect(cmbSsaStyle, &QComboBox::currentIndexChanged, this, &frmFormat::cmbSsaStyle_Click);

    Form_Load();
}

QWidget* frmFormat::BuildDvdPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("picDvdSubtitle"));
    auto* grid = new QGridLayout(panel);
    QLineEdit** boxes[] = {&txtDvdSubtitleDiscID, &txtDvdSubtitleDVDTitle, &txtDvdSubtitleLang,
                           &txtDvdSubtitleAuthor, &txtDvdSubtitleWeb,      &txtDvdSubtitleInfo,
                           &txtDvdSubtitleLicense};
    const char* names[] = {"txtDvdSubtitleDiscID", "txtDvdSubtitleDVDTitle", "txtDvdSubtitleLang",
                           "txtDvdSubtitleAuthor", "txtDvdSubtitleWeb",      "txtDvdSubtitleInfo",
                           "txtDvdSubtitleLicense"};
    for (int i = 0; i < 7; ++i) {
        lblDvdSubtitle[i] = MakePlainLabel(panel, "lblDvdSubtitle");
        lblDvdSubtitle[i]->setObjectName(QStringLiteral("lblDvdSubtitle%1").arg(i));
        *boxes[i] = NewBox(panel, names[i]);
        grid->addWidget(lblDvdSubtitle[i], i, 0);
        grid->addWidget(*boxes[i], i, 1);
    }
    return panel;
}

QWidget* frmFormat::BuildSamiPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("picSami"));
    lblSamiAlign = MakePlainLabel(panel, "lblSamiAlign");
    cmbSamiAlign = NewList(panel, "cmbSamiAlign");
    cmdSamiFont = MakeNamedButton(panel, "cmdSamiFont");
    cmdSamiColor = MakeNamedButton(panel, "cmdSamiColor");
    cmdSamiBackground = MakeNamedButton(panel, "cmdSamiBackground");
    picSamiSample = NewPicture(panel, "picSamiSample");
    picSamiSample->setMinimumHeight(120);
    lblSamiSample = MakePlainLabel(picSamiSample, "lblSamiSample");
    auto* sampleLayout = new QVBoxLayout(picSamiSample);
    sampleLayout->addWidget(lblSamiSample);

    auto* row = new QHBoxLayout;
    row->addWidget(lblSamiAlign);
    row->addWidget(cmbSamiAlign);
    row->addStretch(1);
    auto* pickers = new QHBoxLayout;
    pickers->addWidget(cmdSamiFont);
    pickers->addWidget(cmdSamiColor);
    pickers->addWidget(cmdSamiBackground);
    pickers->addStretch(1);
    auto* layout = new QVBoxLayout(panel);
    layout->addLayout(row);
    layout->addLayout(pickers);
    layout->addWidget(picSamiSample, 1);
    return panel;
}

QWidget* frmFormat::BuildSsaPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("picSsa"));
    picSsaSample = NewPicture(panel, "picSsaSample");
    picSsaSample->setMinimumHeight(90);
    SetBackColor(picSsaSample, 0x404040);
    lblSsaSample = MakePlainLabel(picSsaSample, "lblSsaSample");
    auto* sampleLayout = new QVBoxLayout(picSsaSample);
    sampleLayout->addWidget(lblSsaSample);

    lblSsaAlign = MakePlainLabel(panel, "lblSsaAlign");
    cmbSsaAlign = NewList(panel, "cmbSsaAlign");
    cmbSsaValign = NewList(panel, "cmbSsaValign");
    cmdSsaFont = MakeNamedButton(panel, "cmdSsaFont");
    cmdSsaColor = MakeNamedButton(panel, "cmdSsaColor");
    cmdSsaBack = MakeNamedButton(panel, "cmdSsaBack");
    // A sample never grows the dialog beyond the screen, however large its font.
    for (QLabel* sample : {lblSamiSample, lblSsaSample})
        sample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    picSsaBack = NewPicture(panel, "picSsaBack");
    picSsaBack->setFixedSize(24, 24);
    lblSsaBorder = MakePlainLabel(panel, "lblSsaBorder");
    QFont heading = lblSsaBorder->font();
    heading.setBold(true);
    lblSsaBorder->setFont(heading);
    lblSsaStyle = MakePlainLabel(panel, "lblSsaStyle");
    cmbSsaStyle = NewList(panel, "cmbSsaStyle");
    lblSsaOutline = MakePlainLabel(panel, "lblSsaOutline");
    txtSsaOutline = NewBox(panel, "txtSsaOutline");
    lblSsaShadow = MakePlainLabel(panel, "lblSsaShadow");
    txtSsaShadow = NewBox(panel, "txtSsaShadow");
    lblSsaMargins = MakePlainLabel(panel, "lblSsaMargins");
    lblSsaMargins->setFont(heading);
    lblSsaMarginl = MakePlainLabel(panel, "lblSsaMarginl");
    txtSsaMarginl = NewBox(panel, "txtSsaMarginl");
    lblSsaMarginr = MakePlainLabel(panel, "lblSsaMarginr");
    txtSsaMarginr = NewBox(panel, "txtSsaMarginr");
    lblSsaMarginv = MakePlainLabel(panel, "lblSsaMarginv");
    txtSsaMarginv = NewBox(panel, "txtSsaMarginv");
    lblSsaCharset = MakePlainLabel(panel, "lblSsaCharset");
    imgSsaCharset = MakePlainLabel(panel, "imgSsaCharset");
    imgSsaCharset->setPixmap(AppIcon(2).pixmap(16, 16));
    imgSsaCharset->setCursor(Qt::PointingHandCursor);
    imgSsaCharset->installEventFilter(this);
    for (QLineEdit* box : {txtSsaOutline, txtSsaShadow, txtSsaMarginl, txtSsaMarginr, txtSsaMarginv}) {
        box->setMaximumWidth(60);
        box->installEventFilter(this);
    }

    auto* align = new QHBoxLayout;
    align->addWidget(lblSsaAlign);
    align->addWidget(cmbSsaAlign);
    align->addWidget(cmbSsaValign);
    align->addStretch(1);
    auto* pickers = new QHBoxLayout;
    pickers->addWidget(cmdSsaFont);
    pickers->addWidget(cmdSsaColor);
    pickers->addWidget(cmdSsaBack);
    pickers->addWidget(picSsaBack);
    pickers->addStretch(1);
    auto* border = new QGridLayout;
    border->addWidget(lblSsaBorder, 0, 0, 1, 2);
    border->addWidget(lblSsaStyle, 1, 0);
    border->addWidget(cmbSsaStyle, 1, 1);
    border->addWidget(lblSsaOutline, 2, 0);
    border->addWidget(txtSsaOutline, 2, 1);
    border->addWidget(lblSsaShadow, 3, 0);
    border->addWidget(txtSsaShadow, 3, 1);
    auto* margins = new QGridLayout;
    margins->addWidget(lblSsaMargins, 0, 0, 1, 2);
    margins->addWidget(lblSsaMarginl, 1, 0);
    margins->addWidget(txtSsaMarginl, 1, 1);
    margins->addWidget(lblSsaMarginr, 2, 0);
    margins->addWidget(txtSsaMarginr, 2, 1);
    margins->addWidget(lblSsaMarginv, 3, 0);
    margins->addWidget(txtSsaMarginv, 3, 1);
    auto* boxes = new QHBoxLayout;
    boxes->addLayout(border);
    boxes->addSpacing(16);
    boxes->addLayout(margins);
    boxes->addStretch(1);
    auto* charset = new QHBoxLayout;
    charset->addWidget(lblSsaCharset);
    charset->addWidget(imgSsaCharset);
    charset->addStretch(1);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(picSsaSample);
    layout->addLayout(align);
    layout->addLayout(pickers);
    layout->addLayout(boxes);
    layout->addLayout(charset);
    return panel;
}

void frmFormat::Form_Load() {
    // Settings texts read from left to right whatever the UI language.
    for (QWidget* w : findChildren<QWidget*>())
        w->setLayoutDirection(Qt::LeftToRight);

    setWindowTitle(LangText(325));
    imgDrag->setText(LangText(325));
    cmdOK->setText(LangText(66));
    cmdCancel->setText(LangText(67));
    cmdReset->setText(LangText(71));
    lblList->setText(LangText(326));
    lblTop->setText(gConfigFormatIndex >= 0 && gConfigFormatIndex < gFormatIds.size()
                        ? ReadFormatIni(gFormatIds[gConfigFormatIndex], QStringLiteral("name"))
                        : QString());
    lblSamiAlign->setText(LangText(328));
    lblSsaAlign->setText(LangText(328));
    cmdSamiFont->setText(LangText(216));
    cmdSsaFont->setText(LangText(216));
    cmdSamiColor->setText(LangText(264));
    cmdSsaColor->setText(LangText(264));
    cmdSsaBack->setText(LangText(264));
    cmdSamiBackground->setText(LangText(327));
    lblSamiSample->setText(LangText(221));
    lblSsaSample->setText(LangText(221));
    lblSsaSample->setToolTip(LangText(340));
    cmbSsaAlign->setToolTip(LangText(341));
    cmbSsaValign->setToolTip(LangText(342));
    lblSsaBorder->setText(LangText(335));
    lblSsaStyle->setText(LangText(336));
    lblSsaOutline->setText(LangText(337));
    lblSsaShadow->setText(LangText(332));
    lblSsaMargins->setText(LangText(339));
    lblSsaMarginl->setText(LangText(329));
    lblSsaMarginr->setText(LangText(330));
    lblSsaMarginv->setText(LangText(333));
    imgSsaCharset->setToolTip(LangText(8));
    lblGetMore->setText(LangText(307));
    for (int i = 0; i < 7; ++i)
        lblDvdSubtitle[i]->setText(LangText(345 + i));

    cmbSamiAlign->addItems({LangText(329), LangText(330), LangText(331)});
    cmbSsaAlign->addItems({LangText(329), LangText(330), LangText(331)});
    cmbSsaValign->addItems({LangText(333), LangText(331), LangText(334)});
    cmbSsaStyle->addItems({LangText(337) + QStringLiteral(" / ") + LangText(332), LangText(338)});

    const int last = std::min<int>(gFormatMax, int(gFormatIds.size()) - 1);
    for (int i = 0; i <= last; ++i) {
        if (!HasGeneratedHeader(gFormatIds[i])) continue;
        mFormatMap.append(i);
        // The list shows the names as plain items; no markup is read from them.
        lstFormats->addItem(ReadFormatIni(gFormatIds[i], QStringLiteral("name")));
    }

    LoadFormatSettings();

    const int target = gConfigFormatIndex != 0 ? gConfigFormatIndex : gFormatIndex;
    int row = -1;
    for (int i = 0; i < mFormatMap.size(); ++i)
        if (mFormatMap[i] == target) row = i;
    if (row < 0 && !mFormatMap.isEmpty()) row = 0;
    if (row >= 0) {
        lstFormats->setCurrentRow(row);
        // Selecting the row that already is current reports no change.
        lstFormats_Click();
    }
}

void frmFormat::LoadFormatSettings() {
    LoadError error;

    QLineEdit* dvd[] = {txtDvdSubtitleDiscID, txtDvdSubtitleDVDTitle, txtDvdSubtitleLang,
                        txtDvdSubtitleAuthor, txtDvdSubtitleWeb,      txtDvdSubtitleInfo,
                        txtDvdSubtitleLicense};
    const QString dvdKeys[] = {QStringLiteral("discid"), QStringLiteral("dvdtitle"), QStringLiteral("lang"),
                               QStringLiteral("author"), QStringLiteral("web"),      QStringLiteral("info"),
                               QStringLiteral("license")};
    const QString dvdDefaults[] = {
        QString(), QString(), QStringLiteral("EN"), QString(), kMakerWebAddress, kDefaultDvdInfo, QString()};
    for (int i = 0; i < 7; ++i)
        dvd[i]->setText(ReadFormatSetting(kDvdSubtitleId, dvdKeys[i], dvdDefaults[i]));

    // Font size, bold and italic of a sample label, each left as it was when it cannot be read.
    const auto readFont = [&error](QLabel* label, const QString& id, const QString& nameKey,
                                   const QString& sizeKey, const QString& defName, const QString& defSize,
                                   const QString& defBold) {
        QFont f = label->font();
        f.setFamily(ReadFormatSetting(id, nameKey, defName));
        if (const auto size = WholeNumber(ReadFormatSetting(id, sizeKey, defSize))) {
            if (*size > 0 && *size <= kMaxStoredFontSize)
                f.setPointSizeF(*size);
            else
                error.InvalidValue();
        } else {
            error.TypeMismatch();
        }
        const std::optional<bool> bold =
            ParseBoolText(ReadFormatSetting(id, QStringLiteral("bold"), defBold));
        const std::optional<bool> italic =
            ParseBoolText(ReadFormatSetting(id, QStringLiteral("italic"), QStringLiteral("0")));
        if (bold)
            f.setBold(*bold);
        else
            error.TypeMismatch();
        if (italic)
            f.setItalic(*italic);
        else
            error.TypeMismatch();
        label->setFont(f);
    };

    // SAMI.
    readFont(lblSamiSample, kSamiId, QStringLiteral("font"), QStringLiteral("size"), QStringLiteral("Tahoma"),
             QStringLiteral("18"), QStringLiteral("1"));
    SetTextColor(lblSamiSample,
                 HtmlToColor(ReadFormatSetting(kSamiId, QStringLiteral("color"), QStringLiteral("#FFFF00"))));
    SetBackColor(picSamiSample, HtmlToColor(ReadFormatSetting(kSamiId, QStringLiteral("background"),
                                                              QStringLiteral("#000000"))));
    const QString samiAlign =
        ReadFormatSetting(kSamiId, QStringLiteral("alignment"), QStringLiteral("center"));
    int samiEntry = -1;
    for (int i = 0; i < 3; ++i)
        if (samiAlign == kSamiAlignments[i]) samiEntry = i;
    cmbSamiAlign->setCurrentIndex(samiEntry);
    AlignSample(lblSamiSample, samiEntry);

    // SubStation Alpha.
    readFont(lblSsaSample, kSsaId, QStringLiteral("fontname"), QStringLiteral("fontsize"),
             QStringLiteral("Tahoma"), QStringLiteral("28"), QStringLiteral("0"));
    const auto colour = [&error](const QString& key, int32_t& out) {
        const double v = LeadingNumber(ReadFormatSetting(
            kSsaId, key,
            key == QLatin1String("primarycolour") ? QStringLiteral("65535") : QStringLiteral("0")));
        if (v < 0 || v > 0xFFFFFF) {
            error.InvalidValue();
            return false;
        }
        out = int32_t(RoundHalfEven(v));
        return true;
    };
    int32_t bgr = 0;
    if (colour(QStringLiteral("primarycolour"), bgr)) SetTextColor(lblSsaSample, bgr);
    if (colour(QStringLiteral("backcolour"), bgr)) SetBackColor(picSsaBack, bgr);
    if (const auto a =
            WholeNumber(ReadFormatSetting(kSsaId, QStringLiteral("alignment"), QStringLiteral("2")))) {
        const double rounded = RoundHalfEven(*a);
        if (rounded < 0 || rounded > 255) {
            error.Overflow();
        } else {
            const tSsaAlignmentEntries entries = SsaAlignmentEntries(uint8_t(rounded));
            cmbSsaValign->setCurrentIndex(entries.vertical);
            cmbSsaAlign->setCurrentIndex(entries.horizontal);
            AlignSample(lblSsaSample, entries.horizontal);
        }
    } else {
        error.TypeMismatch();
    }
    const bool outlined =
        LeadingNumber(ReadFormatSetting(kSsaId, QStringLiteral("borderstyle"), QStringLiteral("1"))) == 1;
    cmbSsaStyle->setCurrentIndex(outlined ? 0 : 1);
    cmbSsaStyle_Click();
    txtSsaOutline->setText(ReadFormatSetting(kSsaId, QStringLiteral("outline"), QStringLiteral("1")));
    txtSsaShadow->setText(ReadFormatSetting(kSsaId, QStringLiteral("shadow"), QStringLiteral("1")));
    txtSsaMarginl->setText(ReadFormatSetting(kSsaId, QStringLiteral("marginl"), QStringLiteral("30")));
    txtSsaMarginr->setText(ReadFormatSetting(kSsaId, QStringLiteral("marginr"), QStringLiteral("30")));
    txtSsaMarginv->setText(ReadFormatSetting(kSsaId, QStringLiteral("marginv"), QStringLiteral("30")));
    lblSsaCharset->setText(QStringLiteral("Charset: ") + QString::number(gCharset));

    UpdateSamples();
    if (error.number != 0)
        MsgBox(QStringLiteral("Error # ") + QString::number(error.number) + QLatin1Char('\n') +
                   error.description,
               vbExclamation, kProductName);
}

void frmFormat::SaveFormatSettings() {
    const std::pair<const char*, QLineEdit*> dvd[] = {
        {"discid", txtDvdSubtitleDiscID},  {"dvdtitle", txtDvdSubtitleDVDTitle}, {"lang", txtDvdSubtitleLang},
        {"author", txtDvdSubtitleAuthor},  {"web", txtDvdSubtitleWeb},           {"info", txtDvdSubtitleInfo},
        {"license", txtDvdSubtitleLicense}};
    for (const auto& [key, box] : dvd)
        WriteFormatSetting(kDvdSubtitleId, QLatin1String(key), box->text());

    const QFont sami = lblSamiSample->font();
    WriteFormatSetting(kSamiId, QStringLiteral("font"), sami.family());
    WriteFormatSetting(kSamiId, QStringLiteral("size"), WholeSize(sami));
    WriteFormatSetting(kSamiId, QStringLiteral("bold"), Flag(sami.bold()));
    WriteFormatSetting(kSamiId, QStringLiteral("italic"), Flag(sami.italic()));
    const int samiEntry = cmbSamiAlign->currentIndex();
    WriteFormatSetting(kSamiId, QStringLiteral("alignment"),
                       kSamiAlignments[samiEntry == 0 || samiEntry == 1 ? samiEntry : 2]);
    WriteFormatSetting(kSamiId, QStringLiteral("color"), ColorToHtml(TextColor(lblSamiSample)));
    WriteFormatSetting(kSamiId, QStringLiteral("background"), ColorToHtml(BackColor(picSamiSample)));

    const QFont ssa = lblSsaSample->font();
    WriteFormatSetting(kSsaId, QStringLiteral("fontname"), ssa.family());
    WriteFormatSetting(kSsaId, QStringLiteral("fontsize"), WholeSize(ssa));
    WriteFormatSetting(kSsaId, QStringLiteral("bold"), Flag(ssa.bold()));
    WriteFormatSetting(kSsaId, QStringLiteral("italic"), Flag(ssa.italic()));
    WriteFormatSetting(
        kSsaId, QStringLiteral("alignment"),
        QString::number(SsaAlignmentNumber(cmbSsaAlign->currentIndex(), cmbSsaValign->currentIndex())));
    WriteFormatSetting(kSsaId, QStringLiteral("primarycolour"), QString::number(TextColor(lblSsaSample)));
    WriteFormatSetting(kSsaId, QStringLiteral("backcolour"), QString::number(BackColor(picSsaBack)));
    WriteFormatSetting(kSsaId, QStringLiteral("borderstyle"),
                       cmbSsaStyle->currentIndex() == 0 ? QStringLiteral("1") : QStringLiteral("3"));
    WriteFormatSetting(kSsaId, QStringLiteral("outline"), txtSsaOutline->text());
    WriteFormatSetting(kSsaId, QStringLiteral("shadow"), txtSsaShadow->text());
    WriteFormatSetting(kSsaId, QStringLiteral("marginl"), txtSsaMarginl->text());
    WriteFormatSetting(kSsaId, QStringLiteral("marginr"), txtSsaMarginr->text());
    WriteFormatSetting(kSsaId, QStringLiteral("marginv"), txtSsaMarginv->text());
}

QString frmFormat::ShownFormatId() const {
    return gConfigFormatIndex >= 0 && gConfigFormatIndex < gFormatIds.size() ? gFormatIds[gConfigFormatIndex]
                                                                             : QString();
}

void frmFormat::AlignSample(QLabel* sample, int entry) {
    const Qt::Alignment horizontal = entry == 0   ? Qt::AlignLeft
                                     : entry == 1 ? Qt::AlignRight
                                                  : Qt::AlignHCenter;
    sample->setAlignment(horizontal | Qt::AlignVCenter);
}

void frmFormat::UpdateSamples() {
    const QString id = ShownFormatId();
    // The picture takes the label's font so that the label sits in the middle of it.
    if (id == kSamiId)
        picSamiSample->setFont(lblSamiSample->font());
    else if (id == kSsaId)
        picSsaSample->setFont(lblSsaSample->font());
    for (QLabel* sample : {lblSamiSample, lblSsaSample})
        sample->update();
}

void frmFormat::lstFormats_Click() {
    const int row = lstFormats->currentRow();
    if (row < 0 || row >= mFormatMap.size()) return;
    gConfigFormatIndex = mFormatMap[row];
    const QString id = gFormatIds.value(gConfigFormatIndex);
    lblTop->setText(lstFormats->item(row)->text() + QStringLiteral(" [") +
                    ReadFormatIni(id, QStringLiteral("extension"), QStringLiteral("---")).toUpper() +
                    QLatin1Char(']'));
    const std::pair<const QString&, QWidget*> panels[] = {
        {kDvdSubtitleId, picDvdSubtitle}, {kSamiId, picSami}, {kSsaId, picSsa}};
    for (const auto& [panelId, panel] : panels) {
        panel->setEnabled(panelId == id);
        panel->setVisible(panelId == id);
    }
    UpdateSamples();
}

void frmFormat::cmdOK_Click() {
    // A number box keeps its limits even when OK is reached without leaving it.
    for (QLineEdit* box : {txtSsaOutline, txtSsaShadow, txtSsaMarginl, txtSsaMarginr, txtSsaMarginv})
        CapNumberBox(box);
    SaveFormatSettings();
    accept();
}

void frmFormat::cmdCancel_Click() {
    reject();
}

void frmFormat::cmdReset_Click() {
    const QString id = ShownFormatId();
    if (id == kSamiId) {
        cmbSamiAlign->setCurrentIndex(2);
        lblSamiSample->setFont(SampleFont(lblSamiSample->font(), QStringLiteral("Tahoma"), 18, true, false));
        SetTextColor(lblSamiSample, 65535);
        AlignSample(lblSamiSample, 2);
        SetBackColor(picSamiSample, 0);
    } else if (id == kSsaId) {
        cmbSsaAlign->setCurrentIndex(2);
        cmbSsaValign->setCurrentIndex(2);
        lblSsaSample->setFont(SampleFont(lblSsaSample->font(), QStringLiteral("Tahoma"), 28, false, false));
        SetTextColor(lblSsaSample, 65535);
        AlignSample(lblSsaSample, 2);
        SetBackColor(picSsaBack, 0);
        cmbSsaStyle->setCurrentIndex(0);
        txtSsaOutline->setText(QStringLiteral("1"));
        txtSsaShadow->setText(QStringLiteral("1"));
        for (QLineEdit* margin : {txtSsaMarginl, txtSsaMarginr, txtSsaMarginv})
            margin->setText(QStringLiteral("30"));
    } else if (id == kDvdSubtitleId) {
        for (QLineEdit* box :
             {txtDvdSubtitleDiscID, txtDvdSubtitleDVDTitle, txtDvdSubtitleAuthor, txtDvdSubtitleLicense})
            box->clear();
        txtDvdSubtitleLang->setText(QStringLiteral("EN"));
        txtDvdSubtitleWeb->setText(kMakerWebAddress);
        txtDvdSubtitleInfo->setText(kDefaultDvdInfo);
    }
    UpdateSamples();
}

void frmFormat::cmdSamiFont_Click() {
    tFontSpec fontSpec = FontSpecOf(lblSamiSample->font());
    int32_t color = TextColor(lblSamiSample);
    if (!ShowFont(this, kFontDialogFlags, fontSpec, color, 0, 0)) return;
    lblSamiSample->setFont(
        SampleFont(lblSamiSample->font(), fontSpec.name, fontSpec.size, fontSpec.bold, fontSpec.italic));
    UpdateSamples();
}

void frmFormat::cmdSsaFont_Click() {
    tFontSpec fontSpec = FontSpecOf(lblSsaSample->font());
    int32_t color = TextColor(lblSsaSample);
    if (!ShowFont(this, kFontDialogFlags, fontSpec, color, kSsaMinFontSize, kSsaMaxFontSize)) return;
    lblSsaSample->setFont(
        SampleFont(lblSsaSample->font(), fontSpec.name, fontSpec.size, fontSpec.bold, fontSpec.italic));
    UpdateSamples();
}

void frmFormat::PickColor(QWidget* widget, bool back) {
    const int32_t c = ShowColor(this, 0, back ? BackColor(widget) : TextColor(widget));
    if (c == -1) return;
    if (back)
        SetBackColor(widget, c);
    else
        SetTextColor(widget, c);
}

void frmFormat::cmdSamiColor_Click() {
    PickColor(lblSamiSample, false);
}

void frmFormat::cmdSamiBackground_Click() {
    PickColor(picSamiSample, true);
}

void frmFormat::cmdSsaColor_Click() {
    PickColor(lblSsaSample, false);
}

void frmFormat::cmdSsaBack_Click() {
    PickColor(picSsaBack, true);
}

void frmFormat::cmbSamiAlign_Click() {
    AlignSample(lblSamiSample, cmbSamiAlign->currentIndex());
}

void frmFormat::cmbSsaAlign_Click() {
    AlignSample(lblSsaSample, cmbSsaAlign->currentIndex());
}

void frmFormat::cmbSsaStyle_Click() {
    const bool outline = cmbSsaStyle->currentIndex() == 0;
    for (QWidget* w : std::initializer_list<QWidget*>{lblSsaOutline, txtSsaOutline, lblSsaShadow,
                                                      txtSsaShadow, cmdSsaBack, picSsaBack})
        w->setEnabled(outline);
}

void frmFormat::imgSsaCharset_MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    QString title = LangText(63);
    title.remove(QLatin1Char(':'));
    MsgBox(LangText(343), vbInformation, title);
}

void frmFormat::lblGetMore_MouseDown(Qt::MouseButton) {
    MsgBox(LangText(308), vbInformation, kProductName);
}

bool frmFormat::IsNumberBox(const QObject* object) const {
    return object == txtSsaOutline || object == txtSsaShadow || object == txtSsaMarginl ||
           object == txtSsaMarginr || object == txtSsaMarginv;
}

void frmFormat::CapNumberBox(QLineEdit* box) {
    const int cap = box == txtSsaOutline || box == txtSsaShadow ? kMaxOutline : kMaxMargin;
    if (LeadingNumber(box->text()) > cap) box->setText(QString::number(cap));
}

bool frmFormat::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (watched == imgSsaCharset) {
            imgSsaCharset_MouseDown(button);
            return true;
        }
        if (watched == lblGetMore) {
            lblGetMore_MouseDown(button);
            return true;
        }
    }
    if (IsNumberBox(watched)) {
        if (event->type() == QEvent::KeyPress) {
            // Only digits are typed into a number box; editing keys and shortcuts work as usual.
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && text[0].unicode() >= 0x20 && !(text[0] >= u'0' && text[0] <= u'9'))
                return true;
        } else if (event->type() == QEvent::FocusOut) {
            CapNumberBox(static_cast<QLineEdit*>(watched));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ShowFormatSettings(QWidget* owner) {
    frmFormat dialog(owner);
    dialog.exec();
}
