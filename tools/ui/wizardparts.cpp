#include "tools/ui/wizardparts.h"

#include "base/paths.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "base/ui/formhelpers.h"
#include "language/lang.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"
#include "tools/jobscript.h"
#include "tools/videotool.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

QLabel* MakeIconLabel(QWidget* parent, const char* name, int index, int size) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFixedSize(size, size);
    SetIconLabel(label, index, size);
    return label;
}

void SetIconLabel(QLabel* label, int index, int size) {
    label->setPixmap(AppIconPixmap(index, size));
}

QLabel* MakeTextLabel(QWidget* parent, const char* name) {
    QLabel* label = MakePlainLabel(parent, name);
    label->setWordWrap(true);
    return label;
}

QLabel* MakeLinkLabel(QWidget* parent, const char* name) {
    QLabel* label = MakeTextLabel(parent, name);
    ShowAsLink(label);
    label->setStyleSheet(QStringLiteral("color: #0645ad"));
    return label;
}

QString WizardStartFolder() {
    return ReadSetting(SettingKeys::LastFolder, gAppPath);
}

QVBoxLayout* BuildWizardTitle(QWidget* strip, QLabel** icon, QLabel** title) {
    strip->setObjectName(QStringLiteral("picTop"));
    strip->setAutoFillBackground(true);
    strip->setBackgroundRole(QPalette::Base);
    *icon = MakeIconLabel(strip, "imgDrag", 1, 32);
    (*icon)->setCursor(Qt::SizeAllCursor);
    MakeDragHandle(*icon);
    MakeDragHandle(strip);
    *title = MakeTextLabel(strip, "lblTop");
    QFont bold = (*title)->font();
    bold.setBold(true);
    (*title)->setFont(bold);
    auto* titles = new QVBoxLayout;
    titles->addWidget(*title);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(*icon);
    layout->addLayout(titles, 1);
    return titles;
}

QStackedWidget* MakeWizardPages(QWidget* window, QWidget** page, int count) {
    auto* pages = new QStackedWidget(window);
    pages->setObjectName(QStringLiteral("picStep"));
    for (int i = 0; i < count; ++i) {
        page[i] = new QWidget(pages);
        page[i]->setObjectName(QStringLiteral("picStep%1").arg(i));
        pages->addWidget(page[i]);
    }
    return pages;
}

void MakeWizardButtons(QWidget* window, QPushButton** back, QPushButton** next, QPushButton** cancel) {
    *back = MakeNamedButton(window, "cmdBack");
    *next = MakeNamedButton(window, "cmdNext");
    (*next)->setDefault(true);
    *cancel = MakeNamedButton(window, "cmdCancel");
}

QString WizardNextText() {
    return LangText(41) + QStringLiteral(" >");
}

void SetWizardButtonTexts(QPushButton* back, QPushButton* next, QPushButton* cancel) {
    back->setText(QStringLiteral("< ") + LangText(56));
    next->setText(WizardNextText());
    cancel->setText(LangText(67));
}

void LayOutWizard(QWidget* window, QWidget* strip, QWidget* side, QWidget* pages, QPushButton* back,
                  QPushButton* next, QPushButton* cancel) {
    auto* body = new QHBoxLayout;
    if (side) body->addWidget(side);
    body->addWidget(pages, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(back);
    buttons->addWidget(next);
    buttons->addSpacing(12);
    buttons->addWidget(cancel);
    auto* main = new QVBoxLayout(window);
    main->setContentsMargins(0, 0, 0, 12);
    main->addWidget(strip);
    auto* inner = new QVBoxLayout;
    inner->setContentsMargins(12, 0, 12, 0);
    inner->addLayout(body, 1);
    inner->addLayout(buttons);
    main->addLayout(inner, 1);
}

QString BrowseToolFolder(QWidget* owner, bool checkFilter) {
    const QString folder = BrowseForFolder(owner, LangText(401));
    if (folder.size() <= 1) return QString();
    const QString title = owner ? owner->windowTitle() : QString();
    if (!FileExists(ToolExePath(folder))) {
        if (MsgBox(LangText(403), vbYesNo + vbExclamation + vbDefaultButton2, title) == vbYes)
            ShellOpen(kToolDownloadPage);
        return QString();
    }
    if (checkFilter && !FileExists(folder + kSubtitlerFilter)) {
        if (MsgBox(LangText(402, folder + kSubtitlerFilter), vbYesNo + vbExclamation + vbDefaultButton2,
                   title) == vbYes)
            ShellOpen(kFilterDownloadPage);
        return QString();
    }
    WriteSetting(SettingKeys::VDPath, folder);
    return folder;
}

void BrowseToolInto(QWidget* owner, bool checkFilter, QLineEdit* folderBox, QString* toolExe) {
    const QString folder = BrowseToolFolder(owner, checkFilter);
    if (folder.isEmpty()) return;
    folderBox->setText(folder);
    *toolExe = ToolExePath(folder);
}

bool ToolPageDone(QWidget* owner, const QString& folder, const QString& toolExe) {
    const QString title = owner->windowTitle();
    if (folder.isEmpty()) {
        MsgBox(LangText(460), vbExclamation, title);
        return false;
    }
    if (!FileExists(toolExe)) {
        MsgBox(LangText(461).replace(QStringLiteral("%FN"), toolExe), vbCritical, title);
        return false;
    }
    return true;
}

bool ChooseTargetFile(QWidget* owner, QPushButton* saveButton, QLineEdit* box, const QString& filter,
                      const QString& ext) {
    // The answer gets the output's extension: the question before replacing is about that name.
    const QString target = ChooseSaveTarget(
        owner, filter, WithoutEllipsis(saveButton->text()), WizardStartFolder(), box->text(),
        [&ext](const QString& answer) { return RemoveExtension(answer) + ext; },
        WithoutEllipsis(LangText(45)));
    if (target.isEmpty()) return false;
    box->setText(target);
    return true;
}

bool TargetAccepted(QWidget* owner, const QString& target, const QStringList& inputs, bool confirm) {
    const QString title = owner->windowTitle();
    if (const auto unfit = UnfitScriptPath(inputs + QStringList{target})) {
        MsgBox(UnfitPathText(*unfit), vbCritical, title);
        return false;
    }
    if (const TargetProblem problem = CheckTargetPath(target, inputs); problem != TargetOk) {
        MsgBox(TargetProblemText(problem, target), vbExclamation, title);
        return false;
    }
    return !(FileExists(target) && confirm &&
             MsgBox(LangText(414, target), vbYesNo + vbExclamation + vbDefaultButton2,
                    WithoutEllipsis(LangText(45))) != vbYes);
}
