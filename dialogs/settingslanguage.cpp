// The settings dialog's language page: the UI language (the dialog and the main window are
// translated at once), how complete its translation is, the files for translators, the
// character set of caption text and the code-page notice.
#include "base/appinfo.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/toolbox.h"
#include "base/ui/formhelpers.h"
#include "dialogs/frmSettings.h"
#include "language/lang.h"
#include "language/localeinfo.h"
#include "language/stringtable.h"
#include "language/translationfiles.h"
#include "platform/MsgBox.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Messages after a translation file was written (English block only, whatever the UI language).
constexpr int kCompletionCreated = 653;
constexpr int kNewLanguageCreated = 654;
constexpr int kFileNotCreated = 655;

// Presses on the page's links go to their handlers with the button that was pressed.
class LanguageLinks : public QObject {
public:
    explicit LanguageLinks(frmSettings* dialog) : QObject(dialog), d(dialog) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress) return false;
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (watched == d->imgAddLanguage)
            d->imgAddLanguage_MouseDown(button);
        else if (watched == d->lblComplete)
            d->lblComplete_MouseDown(button);
        else if (watched == d->lblReqLang)
            d->lblReqLang_MouseDown(button);
        else
            return false;
        return true;
    }

private:
    frmSettings* d;
};

// The busy pointer while a translation file is written.
class BusyPointer {
public:
    BusyPointer() {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        QApplication::processEvents();
    }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

QLabel* PageLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

void MakeLink(QLabel* label) {
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    label->setForegroundRole(QPalette::Link);
    label->setCursor(Qt::PointingHandCursor);
}

// The list entry that shows a language row: its own entry when it carries the row's name, so
// two rows that the system names alike are still told apart; else the first entry of that name.
int ListIndexOfRow(int row, const QComboBox* list) {
    if (row >= 0 && row < kLangRows && row < list->count() &&
        list->itemText(row) == gLangInfo[size_t(row)][kLangName])
        return row;
    QStringList entries;
    for (int j = 0; j < list->count(); ++j)
        entries << list->itemText(j);
    return FindLanguageListIndex(row, entries);
}

// Tells the user the file is there and opens it in the desktop's text editor, or that it could
// not be written.
void ShowTranslationFile(const QString& path, int createdText) {
    if (path.isEmpty()) {
        QString text = LoadResString(kFileNotCreated).value_or(QString());
        if (!gTempDir.isEmpty()) text += QStringLiteral("\n\n") + gTempDir;
        MsgBox(text, vbExclamation, kProductName);
        return;
    }
    MsgBox(LoadResString(createdText).value_or(QString()), vbInformation, kProductName);
    // The editor runs on its own; the dialog does not wait for it.
    ShellOpen(path);
}

} // namespace

void frmSettings::BuildLanguagePage() {
    QWidget* page = picOptions[4];
    auto* links = new LanguageLinks(this);

    fraLanguage = new QGroupBox(page);
    fraLanguage->setObjectName(QStringLiteral("fraLanguage"));
    imgLanguage = PageLabel(fraLanguage, "imgLanguage");
    imgLanguage->setPixmap(AppIcon(1).pixmap(32, 32));
    cboLanguage = new QComboBox(fraLanguage);
    cboLanguage->setObjectName(QStringLiteral("cboLanguage"));
    cboLanguage->setMaxVisibleItems(kLangRows);
    lblTranslator = PageLabel(fraLanguage, "lblTranslator");
    lblComplete = PageLabel(fraLanguage, "lblComplete");
    MakeLink(lblComplete);
    imgAddLanguage = PageLabel(fraLanguage, "imgAddLanguage");
    imgAddLanguage->setPixmap(style()->standardIcon(QStyle::SP_FileDialogNewFolder).pixmap(24, 24));
    imgAddLanguage->setCursor(Qt::PointingHandCursor);
    auto* language = new QGridLayout(fraLanguage);
    language->addWidget(imgLanguage, 0, 0, 2, 1, Qt::AlignTop);
    language->addWidget(cboLanguage, 0, 1);
    language->addWidget(imgAddLanguage, 0, 2);
    language->addWidget(lblTranslator, 1, 1, 1, 2);
    language->addWidget(lblComplete, 2, 1, 1, 2);
    language->setColumnStretch(1, 1);

    fraCharset = new QGroupBox(page);
    fraCharset->setObjectName(QStringLiteral("fraCharset"));
    imgCharset = PageLabel(fraCharset, "imgCharset");
    imgCharset->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    txtCharset = new QLineEdit(fraCharset);
    txtCharset->setObjectName(QStringLiteral("txtCharset"));
    txtCharset->setReadOnly(true);
    lblCharset = PageLabel(fraCharset, "lblCharset");
    lblCharset->setWordWrap(true);
    auto* charset = new QGridLayout(fraCharset);
    charset->addWidget(imgCharset, 0, 0, 2, 1, Qt::AlignTop);
    charset->addWidget(txtCharset, 0, 1);
    charset->addWidget(lblCharset, 1, 1);
    charset->setColumnStretch(1, 1);

    fraNotice = new QFrame(page);
    fraNotice->setObjectName(QStringLiteral("fraNotice"));
    fraNotice->setFrameShape(QFrame::StyledPanel);
    // The page keeps its size whether the notice shows or not.
    QSizePolicy keep = fraNotice->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    fraNotice->setSizePolicy(keep);
    imgNotice = PageLabel(fraNotice, "imgNotice");
    imgNotice->setPixmap(AppIcon(3).pixmap(32, 32));
    lblWarning = PageLabel(fraNotice, "lblWarning");
    QFont bold = lblWarning->font();
    bold.setBold(true);
    lblWarning->setFont(bold);
    lblCurrLang = PageLabel(fraNotice, "lblCurrLang");
    lblCurrLang->setWordWrap(true);
    lblReqLang = PageLabel(fraNotice, "lblReqLang");
    lblReqLang->setWordWrap(true);
    cmdRegionalSettings = new QPushButton(fraNotice);
    cmdRegionalSettings->setObjectName(QStringLiteral("cmdRegionalSettings"));
    cmdRegionalSettings->setAutoDefault(false);
    // There is no regional settings panel to open on this desktop: the code page the program
    // uses for subtitle text follows the locale (or SCRIVELLE_ANSI_CODEPAGE).
    cmdRegionalSettings->setEnabled(false);
    auto* notice = new QGridLayout(fraNotice);
    notice->addWidget(imgNotice, 0, 0, 3, 1, Qt::AlignTop);
    notice->addWidget(lblWarning, 0, 1);
    notice->addWidget(lblCurrLang, 1, 1);
    notice->addWidget(lblReqLang, 2, 1);
    notice->addWidget(cmdRegionalSettings, 3, 1, Qt::AlignLeft);
    notice->setColumnStretch(1, 1);

    auto* column = new QVBoxLayout(page);
    column->addWidget(fraLanguage);
    column->addWidget(fraCharset);
    column->addWidget(fraNotice);
    column->addStretch(1);

    connect(cboLanguage, &QComboBox::currentIndexChanged, this, &frmSettings::cboLanguage_Click);
    connect(cmdRegionalSettings, &QPushButton::clicked, this, &frmSettings::cmdRegionalSettings_Click);
    for (QLabel* l : {imgAddLanguage, lblComplete, lblReqLang})
        l->installEventFilter(links);
    OnHover(fraCharset, [this] { ShowDetails(LangText(78) + QStringLiteral("\n\n") + LangText(79)); });
    OnHover(lblComplete, [this] {
        ShowDetails(QStringLiteral("To complete the ") + gLanguage.toUpper() +
                    QStringLiteral(" translation, click the Complete this translation link and follow the "
                                   "instructions. Thank you!"));
    });
    OnHover(imgAddLanguage, [this] {
        ShowDetails(QStringLiteral("Click to find out how to add a new translation for ") + kProductName +
                    QStringLiteral(". Thank you!"));
    });
}

void frmSettings::FillLanguageList() {
    {
        // Filling the list must not choose its first entry on the way.
        const QSignalBlocker quiet(cboLanguage);
        cboLanguage->clear();
        for (const auto& row : gLangInfo)
            cboLanguage->addItem(row[kLangName]);
        cboLanguage->setCurrentIndex(ListIndexOfRow(gLangIndex, cboLanguage));
    }
    cboLanguage_Click();
}

void frmSettings::cboLanguage_Click() {
    const int chosen = cboLanguage->currentIndex();
    const QString name = cboLanguage->currentText();
    int row = -1;
    if (chosen >= 0 && chosen < kLangRows && gLangInfo[size_t(chosen)][kLangName] == name) row = chosen;
    for (int i = 0; row < 0 && i < kLangRows; ++i)
        if (gLangInfo[size_t(i)][kLangName] == name) row = i;
    // A row the string table could not give has no key name to store.
    if (row < 0 || gLangInfo[size_t(row)][kLangKey].isEmpty()) return;
    gLanguage = gLangInfo[size_t(row)][kLangKey];
    gLangIndex = uint8_t(row);
    ApplyLanguage();
    if (gSettingsHooks.applyLanguageToMain) gSettingsHooks.applyLanguageToMain();
}

void frmSettings::ApplyLanguageTexts() {
    cmdRegionalSettings->setText(LangText(370));
    fraLanguage->setTitle(LangText(62));
    fraCharset->setTitle(LangText(63));
    lblTranslator->setText(LangText(84));
    lblCharset->setText(LangText(91));
    lblComplete->setVisible(!gLangComplete);
    lblComplete->setText(gLangPercent >= 100
                             ? QStringLiteral("Complete this translation...")
                             : QStringLiteral("Complete this translation (%1%)...").arg(gLangPercent));
    txtCharset->setText(gCharsetName + QStringLiteral(" - ") + QString::number(gCharset));

    const auto& info = gLangInfo[size_t(gLangIndex < kLangRows ? gLangIndex : 0)];
    fraNotice->setVisible(info[kLangCodePage] != GetLocaleString(kLocaleUserDefault, kLocaleAnsiCodePage));
    // Texts are Unicode throughout, so the notice needs no font character set of its own.
    const uint32_t lcid = info[kLangLocale].toUInt();
    lblWarning->setText(ToLanguageCharset(LangText(146)));
    lblCurrLang->setText(ToLanguageCharset(LangText(92)) + u' ' +
                         GetLocaleString(kLocaleUserDefault, kLocaleEnglishLanguageName));
    lblReqLang->setText(ToLanguageCharset(LangText(93)) + u' ' +
                        GetLocaleString(lcid, kLocaleEnglishLanguageName) + QStringLiteral(" (") +
                        GetLocaleString(lcid, kLocaleNativeLanguageName) + u')');
}

void frmSettings::imgAddLanguage_MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    QString path;
    {
        BusyPointer busy;
        path = CreateNewLanguageFile();
    }
    ShowTranslationFile(path, kNewLanguageCreated);
    lblComplete->setEnabled(true);
}

void frmSettings::lblComplete_MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    lblComplete->setEnabled(false);
    QString path;
    {
        BusyPointer busy;
        path = CreateCompletionFile();
    }
    ShowTranslationFile(path, kCompletionCreated);
    lblComplete->setEnabled(true);
}

void frmSettings::lblReqLang_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) OpenRegionalSettings();
}

void frmSettings::cmdRegionalSettings_Click() {
    OpenRegionalSettings();
}

void frmSettings::ResetLanguagePage() {
    DetectSystemLanguage(QStringLiteral("ENGLISH"));
    // A user language without a row leaves the row where it was while the name says English:
    // the row follows the name, so the texts and the stored name agree.
    const int row = FindLanguageRow(gLanguage);
    gLangIndex = uint8_t(row >= 0 ? row : 0);
    gLanguage = gLangInfo[gLangIndex][kLangKey];
    GetLocaleCharset(kLocaleUserDefault, gCharset, gCharsetName);
    {
        const QSignalBlocker quiet(cboLanguage);
        cboLanguage->setCurrentIndex(ListIndexOfRow(gLangIndex, cboLanguage));
    }
    ApplyLanguage();
    if (gSettingsHooks.applyLanguageToMain) gSettingsHooks.applyLanguageToMain();
}
