#pragma once
#include <QMainWindow>
#include <QPoint>

#include <functional>

class GridView;
class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;

// The main editor window.
//
// The caption grid is the model grdSubs() (document/captions.h); grdSubsView shows it. The
// window's part of selecting a caption (menu checks, caption box, time boxes) is
// ShowSelectedLine, which SelectLine reaches through gOnShowSelectedLine.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Clears the grid and sets it up for an open subtitle (true) or for nothing loaded (false),
    // with the caption box and the time boxes to match.
    void ResetGrid(bool bSubtitle);
    // Asks for a new caption's text and inserts it untimed at row (0 appends), then selects it
    // and marks the document modified. False when the answer was empty or nothing was inserted.
    bool CreateCaption(int row);
    // Edits a caption's text through an input box.
    void EditLine(int row);
    // The grid font from the settings (gGridFontName, gGridFontSize, gGridFontBold).
    void ApplyGridFont();
    // Column widths for the grid's current width.
    void SizeGridColumns();
    // SelectLine's window part for row: the Format menu checks (while the grid is enabled), the
    // caption box and the two time boxes.
    void ShowSelectedLine(int row);

    // Grid events.
    void grdSubs_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void grdSubs_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void grdSubs_DblClick();
    void grdSubs_KeyDown(int key, Qt::KeyboardModifiers shift);
    void m_MW_MouseWheel(int delta);

    // Menu commands.
    void mnuGoTo_Click();
    void mnuNextUntimed_Click();
    void mnuCountUntimed_Click();
    void mnuFormatBold_Click();
    void mnuFormatItalic_Click();
    void mnuFormatUnderline_Click();
    void rmnuAdd_Click();
    void rmnuEdit_Click();
    void rmnuRemove_Click();
    void rmnuBold_Click() { mnuFormatBold_Click(); }
    void rmnuItalic_Click() { mnuFormatItalic_Click(); }
    void rmnuUnderline_Click() { mnuFormatUnderline_Click(); }

    // The player as the grid needs it: its play state (3 = playing) and a seek to a position in
    // seconds. Until the media player is connected nothing plays.
    std::function<int()> playerState;
    std::function<void(double seconds)> playerSeek;

    // Controls.
    GridView* grdSubsView = nullptr;
    QPlainTextEdit* txtSub = nullptr;
    QLineEdit* txtTime[2] = {nullptr, nullptr}; // 0 start, 1 duration
    QMenu* mnuEdit = nullptr;
    QAction* mnuGoTo = nullptr;
    QAction* mnuCountUntimed = nullptr;
    QAction* mnuNextUntimed = nullptr;
    QMenu* mnuFormat = nullptr;
    QAction* mnuFormatBold = nullptr;
    QAction* mnuFormatItalic = nullptr;
    QAction* mnuFormatUnderline = nullptr;
    QMenu* mnuRclick = nullptr; // the grid's pop-up menu
    QAction* rmnuAdd = nullptr;
    QAction* rmnuEdit = nullptr;
    QAction* rmnuRemove = nullptr;
    QAction* rmnuBold = nullptr;
    QAction* rmnuItalic = nullptr;
    QAction* rmnuUnderline = nullptr;

private:
    void CreateControls();
    void CreateMenus();
    void SetStyleChecks(int row);
    // Seeks the player to the row's start when the row is timed and the player is playing.
    void SeekToLine(int row, double extraSeconds);
};
