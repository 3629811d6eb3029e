#pragma once
#include "dialogs/frmFind.h"

// The replace window: the find window's controls with a replacement box and the two replace
// buttons.
class frmReplace : public FindWindowBase {
    Q_OBJECT
public:
    explicit frmReplace(QWidget* owner = nullptr);

    void cmdReplace_Click();
    void cmdReplaceAll_Click();

    QGroupBox* fraReplace;
    QLineEdit* txtReplace;
    QPushButton* cmdReplace;
    QPushButton* cmdReplaceAll;

protected:
    void SearchTextChanged(bool hasText) override;
};

// The loaded replace window, or null.
frmReplace* ReplaceWindow();
// Brings the replace window forward when it is open; else unloads the find window and shows a
// new replace window, modeless, owned by owner.
frmReplace* ShowReplaceWindow(QWidget* owner);
// Unloads the replace window when it is loaded.
void UnloadReplaceWindow();
