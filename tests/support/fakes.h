#pragma once
// Scripted stand-ins for the message boxes, the system dialogs and the shell.
#include "base/shell.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

// Answers message boxes in the order they were scripted and records each one. A box nobody
// scripted fails the test (and gets the escape answer, so the code under test goes on).
class ScriptedMsgBox {
public:
    struct Shown {
        QString text;
        QString title;
        int buttons; // vbOKOnly, vbYesNo ...
        int icon;    // vbCritical, vbExclamation ...
        int defaultIndex;
        int answer;
    };

    ScriptedMsgBox();
    ~ScriptedMsgBox();

    // Queues an answer for the next box.
    ScriptedMsgBox& Answer(int answer);
    // Answers every box from now on with OK / the escape answer, recording them (no failure).
    void AcceptAll(bool on = true) { acceptAll_ = on; }

    const QList<Shown>& shown() const { return shown_; }
    int count() const { return int(shown_.size()); }
    const Shown& last() const { return shown_.last(); }
    int pending() const { return int(answers_.size()); }

private:
    int Show(const QString& text, int style, const QString& title);
    std::deque<int> answers_;
    QList<Shown> shown_;
    bool acceptAll_ = false;
};

// Each dialog answers from its own queue; an unscripted dialog fails the test and cancels.
class FakeDialogs final : public IDialogs {
public:
    struct Call {
        QString kind; // "color", "font", "open", "save", "folder", "input"
        QString title;
        QString filter;
        QString folder;
        QString defaultText;
        bool confirmOverwrite = false; // save: the dialog was to ask before naming an existing file
    };

    FakeDialogs();
    ~FakeDialogs() override;

    std::deque<int32_t> colors;                 // -1 = cancel
    std::deque<std::optional<tFontSpec>> fonts; // nullopt = cancel
    std::deque<QString> paths;                  // open, save and folder answers; "" = cancel
    std::deque<std::optional<QString>> inputs;  // nullopt = cancel
    QList<Call> calls;

    int32_t ShowColor(QWidget* owner, int32_t flags, int32_t initial) override;
    bool ChooseFont(QWidget* owner, tFontSpec& font, int32_t& color) override;
    QString ShowOpen(QWidget* owner, const QString& qtFilter, const QString& title,
                     const QString& initialFolder) override;
    QString ShowSave(QWidget* owner, const QString& qtFilter, const QString& title,
                     const QString& initialFolder, const QString& defaultName,
                     bool confirmOverwrite) override;
    QString BrowseForFolder(QWidget* owner, const QString& title) override;
    QString InputBox(QWidget* owner, const QString& prompt, const QString& title, const QString& defaultText,
                     bool* ok) override;

private:
    QString NextPath(const char* kind);
};

// Records what would have been opened.
class FakeShell final : public IShell {
public:
    FakeShell();
    ~FakeShell() override;
    void Open(const QString& target) override { opened << target; }
    QStringList opened;
};
