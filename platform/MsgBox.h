#pragma once
#include <QString>

#include <functional>

// Message boxes. Every message, warning and question of the program goes through MsgBox,
// so that a test can answer them. The style is a sum of one button set, one icon and one
// default-button choice, as the values below.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};

inline int MsgBoxButtons(int style) {
    return style & 0x0F;
}
inline int MsgBoxIcon(int style) {
    return style & 0xF0;
}
// 0, 1 or 2: which button is the default.
inline int MsgBoxDefaultIndex(int style) {
    return (style >> 8) & 0x03;
}

// The answers the button set offers, in order (vbYesNo -> {vbYes, vbNo}).
QList<int> MsgBoxAnswers(int style);
// What closing the box (Esc, the window's close button) answers: Cancel where the set has it,
// No for Yes/No, OK for OK alone, Abort for Abort/Retry/Ignore.
int MsgBoxEscapeAnswer(int style);

// Shows a plain-text message and returns the answer. An empty title means the product name.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = QString());

// Who shows the boxes: the window layer installs the real one, tests a scripted one.
using MsgBoxHandler = std::function<int(const QString& text, int style, const QString& title)>;
void SetMsgBoxHandler(MsgBoxHandler handler);
