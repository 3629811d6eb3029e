#pragma once
// The find and replace windows: small modeless windows owned by the main window, thin front
// ends over FindInLines (document/findreplace.h). At most one of the two is loaded at a time;
// each forgets its boxes and options when it closes.
#include <QDialog>

#include <cstdint>

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// What the two windows share: the search box, the two options, Find Next, Close and the result
// line.
class FindWindowBase : public QDialog {
    Q_OBJECT
public:
    void Form_Activate();
    void txtFind_Change();
    void cmdFind_Click();
    void cmdClose_Click();

    QGroupBox* fraFind;
    QLineEdit* txtFind;
    QCheckBox* chkEntire;
    QCheckBox* chkCase;
    QPushButton* cmdFind;
    QPushButton* cmdClose;
    QLabel* imgInfo;
    QLabel* lblInfo;

    // The count the last search gave.
    int16_t LastCount() const { return mCount; }

protected:
    // Loads the window with its caption (a UI text number), placed over the owner.
    FindWindowBase(QWidget* owner, int captionText);
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

    // The options as FindInLines takes them.
    uint8_t WholeWord() const;
    uint8_t MatchCase() const;
    // Runs a search and shows where it stopped.
    void Search(bool doReplace, bool replaceAll, const QString& replaceWith = QString());
    void ShowInfo(const QString& text);
    // The replace window's buttons follow Find Next.
    virtual void SearchTextChanged(bool hasText) { (void)hasText; }

    QVBoxLayout* mBoxes;   // the text boxes and the options
    QVBoxLayout* mButtons; // the buttons
    int16_t mCount = 0;
};

class frmFind : public FindWindowBase {
    Q_OBJECT
public:
    explicit frmFind(QWidget* owner = nullptr);
};

// The loaded find window, or null.
frmFind* FindWindow();
// Brings the find window forward when it is open; else unloads the replace window and shows a
// new find window, modeless, owned by owner.
frmFind* ShowFindWindow(QWidget* owner);
// Unloads the find window when it is loaded.
void UnloadFindWindow();
// Unloads the find and the replace window, whichever is loaded.
void UnloadFindWindows();
