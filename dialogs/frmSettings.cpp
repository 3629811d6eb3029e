// The options dialog's frame: page menu, header, details pane, OK, Reset and the life cycle.
// The pages are built in settingspages.cpp.
#include "dialogs/frmSettings.h"

#include "base/numbers.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/ui/formhelpers.h"
#include "language/lang.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

SettingsHooks gSettingsHooks;

namespace {
constexpr int kPageIcons = 3; // page i shows icon i + 3 of the program's set
constexpr int kPageTitle[frmSettings::kPages] = {189, 121, 309, 15, 16};
constexpr int kPageMenuDetails[frmSettings::kPages] = {192, 122, 310, 194, 191};
constexpr int kPageDetails[frmSettings::kPages] = {192, 122, 310, 222, 191};

// A menu's text as a heading: without its accelerator, whether it is marked inside the word
// ("&Settings") or, as in the languages whose letters are no keys, after it ("設定(&S)").
QString WithoutAccelerator(QString text) {
    static const QRegularExpression kTrailing(QStringLiteral("\\s*[(（]&[^&][)）]\\s*$"));
    text.remove(kTrailing);
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        // "&&" stands for one "&".
        if (text[i] == u'&' && ++i >= text.size()) break;
        out += text[i];
    }
    return out;
}
} // namespace

QString NormalizeCreditsText(const QString& text) {
    QString out;
    // One left-to-right pass: ",,," becomes ",," (the second pair starts after the first).
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u',' && i + 1 < text.size() && text[i + 1] == u',') {
            out += u',';
            ++i;
        } else {
            out += text[i];
        }
    }
    out = out.trimmed();
    if (out.startsWith(u',')) out.remove(0, 1);
    if (out.endsWith(u',')) out.chop(1);
    return out;
}

int ClampSeconds(const QString& text) {
    double n = LeadingNumber(text);
    if (n > 600) n = 600;
    if (n < 2 || std::isnan(n)) n = 2;
    return int(std::nearbyint(n));
}

frmSettings::frmSettings(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSettings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setMouseTracking(true);
    BuildFrame();
    BuildRulesPage();
    BuildKeysPage();
    BuildPlayerPage();
    BuildPreviewPage();
    BuildLanguagePage();
    Form_Load();
    // The dialog keeps one size whichever page shows: that of the largest page.
    QSize largest;
    for (QWidget* page : picOptions)
        largest = largest.expandedTo(page->sizeHint());
    picOptions[0]->parentWidget()->setMinimumSize(largest);
    adjustSize();
}

frmSettings::~frmSettings() = default;

void frmSettings::BuildFrame() {
    auto* frameBox = new QFrame(this);
    frameBox->setObjectName(QStringLiteral("fraFrame"));
    frameBox->setFrameShape(QFrame::Box);
    frameBox->setMouseTracking(true);
    frameBox->installEventFilter(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frameBox);

    picTop = new QLabel(frameBox);
    picTop->setObjectName(QStringLiteral("picTop"));
    picTop->setFixedSize(64, 56);
    lblSettingsTitle = new QLabel(frameBox);
    lblSettingsTitle->setTextFormat(Qt::PlainText);
    QFont big = lblSettingsTitle->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    lblSettingsTitle->setFont(big);
    lblTop = new QLabel(frameBox);
    lblTop->setTextFormat(Qt::PlainText);
    imgDrag = new QLabel(frameBox);
    imgDrag->setObjectName(QStringLiteral("imgDrag"));
    imgDrag->setCursor(Qt::SizeAllCursor);
    imgDrag->setMinimumWidth(40);
    imgDrag->installEventFilter(this);

    picMenu = new QWidget(frameBox);
    picMenu->setObjectName(QStringLiteral("picMenu"));
    picMenu->setAutoFillBackground(true);
    picMenu->setBackgroundRole(QPalette::Base);
    picMenu->setMouseTracking(true);
    picMenu->installEventFilter(this);
    picMenu->setFixedWidth(190);
    auto* menu = new QVBoxLayout(picMenu);
    for (int i = 0; i < kPages; ++i) {
        imgMenu[i] = new QLabel(picMenu);
        imgMenu[i]->setObjectName(QStringLiteral("imgMenu%1").arg(i));
        imgMenu[i]->setPixmap(AppIcon(i + kPageIcons).pixmap(24, 24));
        lblMenu[i] = new QLabel(picMenu);
        lblMenu[i]->setObjectName(QStringLiteral("lblMenu%1").arg(i));
        lblMenu[i]->setTextFormat(Qt::PlainText);
        lblMenu[i]->setWordWrap(true);
        for (QLabel* l : {imgMenu[i], lblMenu[i]}) {
            l->setCursor(Qt::PointingHandCursor);
            l->setMouseTracking(true);
            l->installEventFilter(this);
        }
        auto* row = new QHBoxLayout;
        row->addWidget(imgMenu[i]);
        row->addWidget(lblMenu[i], 1);
        menu->addLayout(row);
    }
    menu->addStretch(1);

    auto* pages = new QWidget(frameBox);
    auto* pagesLayout = new QVBoxLayout(pages);
    pagesLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kPages; ++i) {
        picOptions[i] = new QWidget(pages);
        picOptions[i]->setObjectName(QStringLiteral("picOptions%1").arg(i));
        picOptions[i]->setMouseTracking(true);
        picOptions[i]->installEventFilter(this);
        picOptions[i]->hide();
        pagesLayout->addWidget(picOptions[i]);
    }

    shpDetails = new QFrame(frameBox);
    shpDetails->setObjectName(QStringLiteral("shpDetails"));
    shpDetails->setFrameShape(QFrame::StyledPanel);
    shpDetails->setMinimumHeight(64);
    lblDetailsTitle = new QLabel(shpDetails);
    lblDetailsTitle->setTextFormat(Qt::PlainText);
    QFont bold = lblDetailsTitle->font();
    bold.setBold(true);
    lblDetailsTitle->setFont(bold);
    lblDetails = new QLabel(shpDetails);
    lblDetails->setObjectName(QStringLiteral("lblDetails"));
    lblDetails->setTextFormat(Qt::PlainText);
    lblDetails->setWordWrap(true);
    lblDetails->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* details = new QVBoxLayout(shpDetails);
    details->addWidget(lblDetailsTitle);
    details->addWidget(lblDetails, 1);

    picAutoJoin = new QFrame(picOptions[0]);
    picDuration = new QFrame(picOptions[0]);
    picCredits = new QFrame(picOptions[0]);
    for (QFrame* f : {picAutoJoin, picDuration, picCredits}) {
        f->setAutoFillBackground(true);
        QPalette p = f->palette();
        p.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xD6));
        f->setPalette(p);
        f->hide();
    }

    cmdOK = new QPushButton(frameBox);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdReset = new QPushButton(frameBox);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    cmdReset->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmSettings::cmdOK_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmSettings::cmdReset_Click);
    OnHover(cmdOK, [this] { ShowDetails(LangText(251)); });
    OnHover(cmdReset, [this] { ShowDetails(LangText(250)); });

    auto* header = new QHBoxLayout;
    header->addWidget(picTop);
    auto* titles = new QVBoxLayout;
    titles->addWidget(lblSettingsTitle);
    titles->addWidget(lblTop);
    header->addLayout(titles, 1);
    header->addWidget(imgDrag);
    auto* right = new QVBoxLayout;
    right->addWidget(pages, 1);
    right->addWidget(shpDetails);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdReset);
    buttons->addWidget(cmdOK);
    right->addLayout(buttons);
    auto* body = new QHBoxLayout;
    body->addWidget(picMenu);
    body->addLayout(right, 1);
    auto* main = new QVBoxLayout(frameBox);
    main->addLayout(header);
    main->addLayout(body, 1);
}

void frmSettings::OnHover(QWidget* control, std::function<void()> handler) {
    control->setMouseTracking(true);
    control->installEventFilter(this);
    mHover.insert(control, std::move(handler));
}

void frmSettings::Form_Load() {
    for (QWidget* page : picOptions)
        page->hide();
    if (gLangIndex < kLangRows) gLanguage = gLangInfo[gLangIndex][kLangKey];
    // Selecting the current language translates the dialog and the main window.
    FillLanguageList();
    ApplyLanguage();
    ShowCurrentSettings();
    // ShowCurrentSettings has also enabled the subtitle filter's controls only where the
    // filter is installed.
    RefreshSampleBackground();
}

void frmSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

void frmSettings::Form_Activate() {
    // The dialog opens on the first page; coming back from its own font or colour dialog must
    // not throw the user back there.
    if (mActivated) return;
    mActivated = true;
    lblMenu_MouseDown(0, Qt::LeftButton);
}

void frmSettings::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

void frmSettings::Form_Unload() {
    if (mUnloaded) return;
    mUnloaded = true;
    WriteSetting(QStringLiteral("Language"), gLanguage);
}

void frmSettings::ShowDetails(const QString& text) {
    const bool on = !text.isEmpty();
    shpDetails->setVisible(true); // keeps the dialog's size steady; its contents come and go
    lblDetailsTitle->setVisible(on);
    lblDetails->setText(on ? text : QString());
}

void frmSettings::HighlightOption(QCheckBox* check, QFrame* box, int height) {
    ClearOptionHighlights();
    box->setGeometry(check->x() - 4, check->y() - 4, picOptions[0]->width() - check->x() + 4, height);
    box->show();
    box->raise();
    // Everything inside the highlighted area stands on the box.
    for (QObject* child : picOptions[0]->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w == box || w == picAutoJoin || w == picDuration || w == picCredits || !w->isVisible())
            continue;
        if (box->geometry().intersects(w->geometry())) w->raise();
    }
    check->raise();
}

void frmSettings::ClearOptionHighlights() {
    for (QFrame* box : {picAutoJoin, picDuration, picCredits})
        if (box->isVisible()) box->hide();
}

void frmSettings::ShowCurrentSettings() {
    ShowRulesSettings();
    ShowKeysSettings();
    ShowPreviewSettings();
    ShowPlayerSettings();
}

void frmSettings::ApplyLanguage() {
    LoadLanguageStrings();
    cmdOK->setText(LangText(66));
    cmdReset->setText(LangText(71));
    lblSettingsTitle->setText(WithoutAccelerator(LangText(5)));
    lblDetailsTitle->setText(LangText(190));
    setWindowTitle(LangText(193));
    for (int i = 0; i < kPages; ++i)
        lblMenu[i]->setText(LangText(kPageTitle[i]));
    lblTop->setText(LangText(16));
    ShowDetails(QString());
    ApplyRulesTexts();
    ApplyKeysTexts();
    ApplyPreviewTexts();
    ApplyPlayerTexts();
    ApplyLanguageTexts();
}

void frmSettings::lblMenu_MouseDown(int index, Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    index = std::clamp(index, 0, kPages - 1);
    QPixmap icon(picTop->size());
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        DrawAppIcon(painter, index + kPageIcons, 16, 12, 32, 32);
    }
    picTop->setPixmap(icon);
    lblTop->setText(LangText(kPageTitle[index]));
    for (QWidget* page : picOptions)
        page->hide();
    picOptions[index]->show();
}

void frmSettings::lblMenu_MouseMove(int index) {
    for (int i = 0; i < kPages; ++i) {
        QFont f = lblMenu[i]->font();
        f.setUnderline(i == index);
        lblMenu[i]->setFont(f);
    }
    ShowDetails(LangText(kPageMenuDetails[index]));
}

void frmSettings::picMenu_MouseMove() {
    for (QLabel* l : lblMenu) {
        QFont f = l->font();
        f.setUnderline(false);
        l->setFont(f);
    }
    ShowDetails(QString());
}

void frmSettings::picOptions_MouseMove(int index) {
    ClearOptionHighlights();
    ShowDetails(LangText(kPageDetails[index]));
}

void frmSettings::Form_MouseMove() {
    ShowDetails(QString());
    ClearOptionHighlights();
}

int frmSettings::VisiblePage() const {
    for (int i = 0; i < kPages; ++i)
        if (picOptions[i]->isVisibleTo(this)) return i;
    return 0;
}

void frmSettings::CommitFocusedControl() {
    QWidget* focus = QApplication::focusWidget();
    if (focus == txtCredits) txtCredits_LostFocus();
    if (focus == cmbApply) cmbApply_LostFocus();
    for (int i = 0; i < 2; ++i)
        if (focus == txtPosition[i]) txtPosition_LostFocus(i);
}

void frmSettings::cmdOK_Click() {
    // OK pressed from the keyboard leaves the focused box without losing the focus first.
    CommitFocusedControl();
    if (cmbUImode->currentIndex() >= 0) {
        static const char* const kModes[3] = {"none", "mini", "full"};
        gUIMode = QString::fromLatin1(kModes[cmbUImode->currentIndex()]);
    }
    const auto number = [](const QString& key, int value) { WriteSetting(key, value); };
    number(QStringLiteral("HotKeys"), gHotKeys);
    number(QStringLiteral("kRewindSecs"), gRewindSecs);
    number(QStringLiteral("kForwardSecs"), gForwardSecs);
    for (const HotKeySetting& hk : kHotKeySettings)
        number(QString::fromLatin1(hk.codeKey), *hk.variable);
    for (int i = 0; i < 10; ++i)
        WriteSetting(QString::fromLatin1(kHotKeySettings[i].letterKey), txtHotkey[i]->text());
    number(QStringLiteral("AutoSplit"), gAutoSplit);
    number(QStringLiteral("Collision"), gCollision);
    number(QStringLiteral("AutoJoin"), gAutoJoin);
    number(QStringLiteral("Near"), gNear);
    number(QStringLiteral("Duration"), gDurationMode);
    for (int i = 0; i < 3; ++i)
        number(QStringLiteral("Duration%1").arg(i), gRuleDuration[i]);
    for (int i = 0; i < 3; ++i)
        number(QStringLiteral("Tolerance%1").arg(i), gRuleTolerance[i]);
    number(QStringLiteral("ApplyWhen"), gApplyWhen);
    number(QStringLiteral("T_CREDITS"), gRemoveCredits);
    WriteSetting(QStringLiteral("T_CREDITSTEXT"), gCreditsText);
    number(QStringLiteral("T_BREAKS"), gFixBreaks);
    WriteSetting(QStringLiteral("F_FONTNAME"), gCapFontName);
    number(QStringLiteral("F_FONTSIZE"), gCapFontSize);
    WriteSettingBool(QStringLiteral("F_FONTBOLD"), gCapFontBold);
    number(QStringLiteral("F_FONTCOLOR"), gCapFontColor);
    WriteSettingBool(QStringLiteral("F_OPAQUE"), gCapOpaque);
    number(QStringLiteral("F_SHADOWVAL"), gCapShadow);
    number(QStringLiteral("F_SUBHEIGHT"), gCapPlacement);
    WriteSettingBool(QStringLiteral("F_FOLLOW"), gFollow);
    number(QStringLiteral("P_STRETCH"), gStretch);
    WriteSetting(QStringLiteral("P_UIMODE"), gUIMode);
    number(QStringLiteral("P_VSFILTERMODE"), gVSFilterMode);
    accept();
}

void frmSettings::cmdReset_Click() {
    switch (VisiblePage()) {
    case 0:
        ResetRulesPage();
        break;
    case 1:
        ResetKeysPage();
        break;
    case 2:
        ResetPlayerPage();
        break;
    case 3:
        ResetPreviewPage();
        break;
    case 4:
        ResetLanguagePage();
        break;
    default:
        break;
    }
    ShowCurrentSettings();
}

bool frmSettings::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    for (int i = 0; i < 2; ++i) {
        if (watched != txtPosition[i]) continue;
        if (type == QEvent::FocusIn) {
            // After the click that gave the focus has placed the caret.
            QTimer::singleShot(0, txtPosition[i], [box = txtPosition[i]] { box->setSelection(0, 3); });
        } else if (type == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            // Digits go in; every other key that would change the text is dropped.
            if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) return true;
            if (!text.isEmpty() && text[0].isPrint() && !(text[0] >= u'0' && text[0] <= u'9')) return true;
        }
    }
    if (type == QEvent::FocusOut && watched == cmbApply) cmbApply_LostFocus();
    if (type == QEvent::FocusIn && watched == cmbUImode) ShowDetails(LangText(314));
    if (type == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (watched == imgDrag) {
            DragForm(this);
            return true;
        }
        for (int i = 0; i < kPages; ++i) {
            if (watched == lblMenu[i] || watched == imgMenu[i]) {
                lblMenu_MouseDown(i, button);
                return true;
            }
        }
    }
    if (type == QEvent::MouseMove || type == QEvent::Enter) {
        if (auto it = mHover.constFind(watched); it != mHover.constEnd()) {
            (*it)();
        } else {
            for (int i = 0; i < kPages; ++i) {
                if (watched == lblMenu[i] || watched == imgMenu[i]) lblMenu_MouseMove(i);
                if (watched == picOptions[i]) picOptions_MouseMove(i);
            }
            if (watched == picMenu) picMenu_MouseMove();
            if (watched->objectName() == QLatin1String("fraFrame")) Form_MouseMove();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ShowSettingsDialog(QWidget* owner) {
    auto* dialog = new frmSettings(owner);
    dialog->exec();
}
