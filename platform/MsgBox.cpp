#include "platform/MsgBox.h"

#include "base/appinfo.h"
#include "base/filenames.h"

#include <QList>
#include <cstdio>

static MsgBoxHandler& Handler() {
    static MsgBoxHandler h;
    return h;
}

void SetMsgBoxHandler(MsgBoxHandler handler) {
    Handler() = std::move(handler);
}

QList<int> MsgBoxAnswers(int style) {
    switch (MsgBoxButtons(style)) {
    case vbOKCancel:
        return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
        return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
        return {vbYes, vbNo, vbCancel};
    case vbYesNo:
        return {vbYes, vbNo};
    case vbRetryCancel:
        return {vbRetry, vbCancel};
    default:
        return {vbOK};
    }
}

int MsgBoxEscapeAnswer(int style) {
    const QList<int> answers = MsgBoxAnswers(style);
    if (answers.contains(vbCancel)) return vbCancel;
    if (answers.contains(vbNo)) return vbNo;
    return answers.first();
}

int MsgBox(const QString& shownText, int style, const QString& title) {
    const QString t = title.isEmpty() ? kProductName : title;
    // Messages name files: a byte of a name that is not UTF-8 shows as itself.
    const QString text = DisplayFileName(shownText);
    if (Handler()) return Handler()(text, style, t);
    // No window layer (command-line tools): say it on stderr and take the safe answer.
    std::fprintf(stderr, "%s: %s\n", qPrintable(t), qPrintable(text));
    return MsgBoxEscapeAnswer(style);
}
