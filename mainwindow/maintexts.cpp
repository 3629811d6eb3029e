// The main window's texts in the UI language, and the two file labels of the info bar.
#include "base/appinfo.h"
#include "base/filenames.h"
#include "base/settings.h"
#include "document/captions.h"
#include "language/lang.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/MsgBox.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include <exception>

void frmMain::ApplyLanguageToMain() {
    try {
        // Texts are Unicode throughout: every control shows any language's texts as they are.
        FlexGrid& grid = grdSubs();
        if (grid.Cols() == 1) {
            grid.SetTextMatrix(1, 0, LangText(24));
        } else {
            grid.SetTextMatrix(0, kColStart, LangText(40));
            grid.SetTextMatrix(0, kColEnd, LangText(42));
            grid.SetTextMatrix(0, kColText, LangText(360));
        }

        for (const MenuText& m : mMenuTexts) {
            QString text = LangText(m.text);
            if (m.action == mnuSeparator[3]) {
                QString marker = gLineBreak;
                text = LangText(m.text, marker.replace(QLatin1Char('&'), QStringLiteral("&&")));
            }
            if (m.dots) text += QStringLiteral("...");
            m.action->setText(text);
        }

        // "Start" belongs to manual mode only: preview mode's button says "Apply" too.
        cmdApply->setText(LangText(optManual->isChecked() ? 40 : 39));
        cmdNext->setText(LangText(41));
        cmdEnd->setText(LangText(42));
        cmdUpdate->setText(LangText(27));

        lblPosition->setText(LangText(149));
        lblShow->setText(LangText(318));
        lblDuration->setText(LangText(320));
        lblMainMode->setText(LangText(32));
        lblWaveTip->setText(LangText(30));
        for (QLineEdit* box : txtTime)
            box->setToolTip(LangText(415));
        lblTime->setToolTip(LangText(104));

        const bool autoDuration = AutoEndOn();
        optPress->setText(LangText(33) + (autoDuration ? QStringLiteral(" [auto]") : QString()));
        optManual->setText(LangText(34));
        optPreview->setText(LangText(35));
        lblMode->setText(LangText(optPress->isChecked() ? 36 : optManual->isChecked() ? 37 : 38));

        // Labels start where the language's lines start (the right in Arabic and Persian); the
        // file paths and the numbers read left to right in every language.
        for (QLabel* l : {lblPosition, lblShow, lblDuration, lblMainMode, lblMode})
            l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        for (QWidget* w : std::initializer_list<QWidget*>{lblTextFile, lblVideoFile, lblStringPos, lblTime})
            w->setLayoutDirection(Qt::LeftToRight);

        UpdateFileLabels(false);
        // A language of the other direction: the controls go to their mirrored places.
        if ((layoutDirection() == Qt::RightToLeft) != mLaidOutRightToLeft && isVisible()) ApplyLayout();
    } catch (const std::exception& e) {
        MsgBox(QStringLiteral("Error while applying translation.\n\nRuntime error # 0\n") +
                   QString::fromLocal8Bit(e.what()),
               vbExclamation, kProductName);
    }
}

void frmMain::UpdateFileLabels(bool bShowIcon) {
    QFont font = lblTextFile->font();
    font.setBold(false);
    lblTextFile->setFont(font);
    int left = 8;
    imgText->hide();
    imgVideo->hide();

    const bool sub = !gSubFile.isEmpty();
    const bool video = !gVideoFile.isEmpty();
    if (bShowIcon) {
        imgText->show();
        left = 32;
        if (!video)
            lblVideoFile->setText(LangText(25));
        else
            imgVideo->show();
    } else if (!sub && !video) {
        lblTextFile->setText(LangText(22));
        lblVideoFile->setText(LangText(23));
    } else {
        if (gSubFile == QLatin1String("NEW"))
            lblTextFile->setText(LangText(17));
        else
            lblTextFile->setText(sub ? DisplayFileName(gSubFile) : LangText(24));
        lblVideoFile->setText(video ? DisplayFileName(gVideoFile) : LangText(25));
        left = 32;
        imgText->setVisible(sub);
        imgVideo->setVisible(video);
    }
    mLayout.labelLeft = left;
    PlaceStatusLabels();
}
