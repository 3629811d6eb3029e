// Opening a video: what is refused before the player sees it, and what is undone when the
// player cannot open it.
#include "base/appinfo.h"
#include "base/filenames.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "language/lang.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/MsgBox.h"

#include <QAction>
#include <QFileInfo>

bool frmMain::RefuseVideoFile(const QString& path) {
    // An address is for the player to find.
    if (IsMediaAddress(path)) return false;
    const FileNameAlias named(path); // a name that is not UTF-8 too
    const QFileInfo file(named.path());
    if (!file.isFile()) {
        MsgBox(LangText(157, path), vbCritical, kProductName);
        return true;
    }
    if (file.size() == 0) {
        // The text table has no text for an empty file; the player's own message would blame
        // the codecs.
        MsgBox(QStringLiteral("The file %1 is empty.").arg(path), vbCritical, kProductName);
        return true;
    }
    return false;
}

void frmMain::ForgetFailedVideo() {
    const bool opening = gVideoFile == mVideoOpening;
    mVideoFailed = true;
    gVideoFile.clear();
    ResetControls();
    // A video that never played is not the one to open again.
    if (!opening) return;
    mVideoOpening.clear();
    if (ReadSetting(SettingKeys::VFileName) == mRecentVideoBefore) return;
    if (mRecentVideoBefore.isEmpty()) {
        DeleteSetting(kMainSection, SettingKeys::VFileName);
        mnuVFileName->setVisible(false);
    } else {
        WriteSetting(SettingKeys::VFileName, mRecentVideoBefore);
        ShowRecentEntry(mnuVFileName, mRecentVideoBefore);
    }
}
