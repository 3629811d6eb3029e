// Help > Check for updates: asks the update site for the newest version and tells the user.
// The status shows in the info bar's two file labels while the check runs.
#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "language/lang.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/MsgBox.h"
#include "tools/update.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

void frmMain::mnuUpdate_Click() {
    CheckForUpdates();
}

void frmMain::CheckForUpdates() {
    // The window may be closed while the check waits on the network: every step after a wait
    // looks whether it is still there.
    QPointer<frmMain> self(this);
    const auto gone = [&] { return self.isNull() || gClosing; };

    if (!mnuInfoBar->isChecked()) ToggleInfoBar();
    const QString address = UpdateRequestAddress();
    imgText->hide();
    imgVideo->hide();
    lblTextFile->move(8, lblTextFile->y());
    lblVideoFile->move(8, lblVideoFile->y());
    QFont bold = lblTextFile->font();
    bold.setBold(true);
    lblTextFile->setFont(bold);
    lblTextFile->setText(LangText(300));
    lblVideoFile->setText(LangText(117));
    mnuUpdate->setEnabled(false);
    QCoreApplication::processEvents();
    if (gone()) return;

    const auto finish = [&] {
        if (!self.isNull()) mnuUpdate->setEnabled(true);
    };
    const auto restoreLabels = [&] {
        if (!self.isNull()) UpdateFileLabels(false);
    };

    const QString replyFile = UpdateReplyFile();
    bool deleted = false;
    for (int round = 0; round < 31; ++round) {
        if (QFile::exists(replyFile)) QFile::remove(replyFile);
        if (!QFile::exists(replyFile)) {
            deleted = true;
            break;
        }
        Wait(100);
        if (gone()) return;
    }
    if (!deleted) {
        MsgBox(LangText(291) + QStringLiteral("\r\n\r\n") + LangText(292) + u' ' + replyFile, vbCritical,
               kProductName);
        restoreLabels();
        finish();
        return;
    }

    gCurVersionNum = QString::number(kVersionMajor * 100 + kVersionMinor * 10 + kVersionRevision);

    if (!IsOnline()) {
        MsgBox(LangText(298), vbExclamation, kProductName);
        restoreLabels();
        finish();
        return;
    }

    QString why;
    if (!DownloadFile(address, replyFile, 1200, &why, [&] { return !gone(); })) {
        if (gone()) return;
        MsgBox(LangText(293) + QStringLiteral("\r\nError #") + QString::number(gUpdResult) +
                   QStringLiteral(": ") + why,
               vbExclamation, kProductName);
        restoreLabels();
        finish();
        return;
    }
    if (gone()) return;

    lblTextFile->setText(LangText(301));
    NormalizeUpdateFile(replyFile);
    Wait(1000);
    if (gone()) return;

    // Only numbers and dots make a version: anything else reads as no version at all (text 293).
    gUpdVersion = ReplyVersion();
    QString digits = gUpdVersion;
    digits.remove(u'.');
    gUpdVersionNum = QString::number(qlonglong(std::max(0.0, std::floor(LeadingNumber(digits.left(18))))));

    if (gUpdVersionNum == QLatin1String("0")) {
        MsgBox(LangText(293), vbExclamation, kProductName);
    } else if (!IsNewerThanRunning(gUpdVersion)) {
        MsgBox(LangText(294), vbInformation, kProductName);
    } else {
        WriteSetting(SettingKeys::CheckedVersion, gUpdVersion);
        cmdUpdate->setVisible(true);
        gUpdDate =
            UpdateReleaseDate(GetUpdateValue(QStringLiteral("year")), GetUpdateValue(QStringLiteral("month")),
                              GetUpdateValue(QStringLiteral("day")));
        lblTextFile->setText(LangText(295, gUpdVersion));
        lblVideoFile->setText(gUpdDate.isEmpty() ? QString() : LangText(296, gUpdDate));
        if (MsgBox(LangText(295, gUpdVersion) + QStringLiteral("\r\n") + LangText(297),
                   vbOKCancel + vbInformation, kProductName) == vbOK)
            OpenWebsite();
    }
    restoreLabels();
    finish();
}
