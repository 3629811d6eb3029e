#include "fakes.h"

#include <gtest/gtest.h>

ScriptedMsgBox::ScriptedMsgBox() {
    SetMsgBoxHandler(
        [this](const QString& text, int style, const QString& title) { return Show(text, style, title); });
}

ScriptedMsgBox::~ScriptedMsgBox() {
    SetMsgBoxHandler(nullptr);
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " scripted message box answer(s) were never used";
}

ScriptedMsgBox& ScriptedMsgBox::Answer(int answer) {
    answers_.push_back(answer);
    return *this;
}

int ScriptedMsgBox::Show(const QString& text, int style, const QString& title) {
    int answer;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
        EXPECT_TRUE(MsgBoxAnswers(style).contains(answer))
            << "scripted answer " << answer << " is not a button of the box: " << text.toStdString();
    } else {
        answer = MsgBoxButtons(style) == vbOKOnly ? vbOK : MsgBoxEscapeAnswer(style);
        if (!acceptAll_) ADD_FAILURE() << "unscripted message box: " << text.toStdString();
    }
    shown_.append(
        Shown{text, title, MsgBoxButtons(style), MsgBoxIcon(style), MsgBoxDefaultIndex(style), answer});
    return answer;
}

FakeDialogs::FakeDialogs() {
    SetDialogs(this);
}

FakeDialogs::~FakeDialogs() {
    SetDialogs(nullptr);
    EXPECT_TRUE(colors.empty() && fonts.empty() && paths.empty() && inputs.empty())
        << "scripted dialog answers were never used";
}

int32_t FakeDialogs::ShowColor(QWidget*, int32_t, int32_t initial) {
    calls.append({QStringLiteral("color"), {}, {}, {}, QString::number(initial)});
    if (colors.empty()) {
        ADD_FAILURE() << "unscripted colour dialog";
        return -1;
    }
    const int32_t c = colors.front();
    colors.pop_front();
    return c;
}

bool FakeDialogs::ChooseFont(QWidget*, tFontSpec& font, int32_t&) {
    calls.append({QStringLiteral("font"), {}, {}, {}, font.name});
    if (fonts.empty()) {
        ADD_FAILURE() << "unscripted font dialog";
        return false;
    }
    auto f = fonts.front();
    fonts.pop_front();
    if (!f) return false;
    font = *f;
    return true;
}

QString FakeDialogs::NextPath(const char* kind) {
    if (paths.empty()) {
        ADD_FAILURE() << "unscripted " << kind << " dialog";
        return {};
    }
    QString p = paths.front();
    paths.pop_front();
    return p;
}

QString FakeDialogs::ShowOpen(QWidget*, const QString& qtFilter, const QString& title,
                              const QString& initialFolder) {
    calls.append({QStringLiteral("open"), title, qtFilter, initialFolder, {}});
    return NextPath("open");
}

QString FakeDialogs::ShowSave(QWidget*, const QString& qtFilter, const QString& title,
                              const QString& initialFolder, const QString& defaultName,
                              bool confirmOverwrite) {
    calls.append({QStringLiteral("save"), title, qtFilter, initialFolder, defaultName, confirmOverwrite});
    return NextPath("save");
}

QString FakeDialogs::BrowseForFolder(QWidget*, const QString& title) {
    calls.append({QStringLiteral("folder"), title, {}, {}, {}});
    return NextPath("folder");
}

QString FakeDialogs::InputBox(QWidget*, const QString& prompt, const QString& title,
                              const QString& defaultText, bool* ok) {
    calls.append({QStringLiteral("input"), title, {}, prompt, defaultText});
    if (inputs.empty()) {
        ADD_FAILURE() << "unscripted input box";
        if (ok) *ok = false;
        return {};
    }
    const bool given = inputs.front().has_value();
    const QString text = given ? *inputs.front() : QString();
    inputs.pop_front();
    if (ok) *ok = given;
    return text;
}

FakeShell::FakeShell() {
    SetShell(this);
}
FakeShell::~FakeShell() {
    SetShell(nullptr);
}
