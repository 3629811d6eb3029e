#pragma once
#include "platform/Dialogs.h"

#include <QFont>

// The dialogs over Qt's colour, font and file dialogs, and an input box of our own.
class QtDialogs final : public IDialogs {
public:
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
};

// How wide an input box must be for the window frame to show its whole title.
int InputBoxTitleWidth(const QString& title);

// A QFont from the program's font record and back.
QFont ToQFont(const tFontSpec& record);
tFontSpec FromQFont(const QFont& font);
