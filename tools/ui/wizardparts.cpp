#include "tools/ui/wizardparts.h"

#include "base/paths.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "base/ui/formhelpers.h"
#include "language/lang.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"
#include "tools/videotool.h"

#include <QLabel>

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
    label->setCursor(Qt::PointingHandCursor);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: #0645ad"));
    return label;
}

QString WizardStartFolder() {
    return ReadSetting(SettingKeys::LastFolder, gAppPath);
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
