#include "platform/ui/QtMsgBox.h"

#include "platform/MsgBox.h"
#include "platform/ui/IconThemeWarmUp.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::StandardButton ToQt(int answer) {
    switch (answer) {
    case vbOK:
        return QMessageBox::Ok;
    case vbCancel:
        return QMessageBox::Cancel;
    case vbAbort:
        return QMessageBox::Abort;
    case vbRetry:
        return QMessageBox::Retry;
    case vbIgnore:
        return QMessageBox::Ignore;
    case vbYes:
        return QMessageBox::Yes;
    case vbNo:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon IconOf(int style) {
    switch (MsgBoxIcon(style)) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

int ShowQtMsgBox(const QString& text, int style, const QString& title) {
    WaitForIconTheme(); // the box's icon may come from the theme
    QMessageBox box(QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // texts may come from files: never interpret them
    box.setText(text);
    box.setWindowTitle(title);
    box.setIcon(IconOf(style));
    const QList<int> answers = MsgBoxAnswers(style);
    QMessageBox::StandardButtons buttons;
    for (int a : answers)
        buttons |= ToQt(a);
    box.setStandardButtons(buttons);
    const int def = qBound(0, MsgBoxDefaultIndex(style), int(answers.size()) - 1);
    box.setDefaultButton(ToQt(answers[def]));
    box.setEscapeButton(ToQt(MsgBoxEscapeAnswer(style)));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (int a : answers)
        if (clicked && clicked == box.button(ToQt(a))) return a;
    return MsgBoxEscapeAnswer(style);
}

} // namespace

void InstallQtMsgBox() {
    SetMsgBoxHandler(&ShowQtMsgBox);
}
