#pragma once
#include <QStringList>
#include <QWidget>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;

// The window the program starts with. Its load step runs the start-up sequence; with a media
// backend installed it opens the main window and goes away without ever being shown, without
// one it stays as a warning page offering Ignore (open the main window anyway) and Exit.
class frmStart : public QWidget {
    Q_OBJECT
public:
    explicit frmStart(QWidget* parent = nullptr);

    // What the start-up works on; set before Form_Load (tests replace them).
    QStringList commandLine;                    // the program's arguments, without its name
    std::function<QWidget*()> createMainWindow; // makes the main window (frmMain)
    std::function<void(int)> exitProgram;       // ends the program with an exit code

    void Form_Load();
    void cmdIgnore_Click();
    void cmdExit_Click();
    void imgWMP_MouseDown(Qt::MouseButton button);
    void lblMediaplayer_MouseDown(Qt::MouseButton button);
    void lblWebsite_MouseDown(Qt::MouseButton button);
    void ApplyLanguage();

    // The main window opened by the start-up or by Ignore; null until then.
    QWidget* mainWindow() const { return mMainWindow; }
    // True once the program is to end (Exit, or a main window that could not be made), with
    // the code to end with. The caller returns it when no event loop runs yet.
    bool programEnded() const { return mEnded; }
    int exitCode() const { return mExitCode; }
    // True while the page stands for a missing media backend.
    bool backendMissing() const { return mLibraryMissing; }

    QFrame* fraMain = nullptr;
    QLabel* imgIco = nullptr;
    QLabel* lblMain = nullptr;
    QLabel* lblInfo = nullptr;
    QLabel* lblFile = nullptr;
    QLabel* imgWMP = nullptr;
    QLabel* lblMediaplayer = nullptr;
    QLabel* lblWebsite = nullptr;
    QPushButton* cmdIgnore = nullptr;
    QPushButton* cmdExit = nullptr;
    QFrame* ln1 = nullptr;
    QFrame* ln2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The page's widgets; until the page is needed the pointers above stay null.
    void BuildPage();
    // Makes the main window once (false after telling why it could not be made: the program
    // ends); shows the window made.
    bool MakeMainWindow();
    void ShowMainWindow();
    void EndProgram(int code);

    bool mLibraryMissing = false;
    bool mEnded = false;
    int mExitCode = 0;
    QWidget* mMainWindow = nullptr;
};
