#pragma once
// The audio extraction wizard: gets the audio track of the open video into a file by running
// the video tool with a small job script, waits for the tool, checks that the file appeared and
// can hand a WAV to the audio bar. A borderless modal dialog with five pages.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// The WAV the last run of the wizard produced for the audio bar; empty otherwise.
extern QString gExtractedWav;

// Task states as the colour each is shown in.
enum TaskState : int {
    kTaskFailed = 255,
    kTaskDone = 65280,
    kTaskRunning = 65535,
    kTaskIdle = 0xFFFFFF,
};

class frmAudioWizard : public QDialog {
    Q_OBJECT
public:
    explicit frmAudioWizard(QWidget* owner = nullptr);
    ~frmAudioWizard() override;

    void Form_Load();
    void SetTaskIcon(int task, int state);
    // Starts the tool on the script and waits for it to end (or for the dialog to close).
    // False when it could not be started.
    bool RunAndWait();
    void FinishWizard(bool failed, int task, const QString& message);
    void ExtractAudio();

    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    void cmdBrowseVD_Click();
    void cmdSave_Click();
    void optOriginal_Click();
    void optWAV_Click();

    // The state each task is shown in (kTaskIdle ...).
    int TaskStateOf(int task) const { return mTaskState[task]; }

    int m_Step = 0;
    bool m_Cancelled = false;
    bool m_ConfirmOverwrite = false;
    QString m_ToolExe;
    QString m_ScriptPath;
    QString m_TargetPath;
    QString m_SourceShort;
    QString m_TargetShort;
    QString m_CommandLine;

    QWidget* picTop;
    QLabel* imgDrag;
    QLabel* lblTop;
    QStackedWidget* pages;
    QWidget* picStep[5];
    QPushButton* cmdBack;
    QPushButton* cmdNext;
    QPushButton* cmdCancel;

    QLabel* lblStep1;
    QRadioButton* optOriginal;
    QRadioButton* optWAV;
    QCheckBox* chkAudioBar;
    QLabel* lblStep1b;

    QLabel* lblStep2;
    QLabel* lblSampleRate;
    QComboBox* cmbSampleRate;
    QLabel* lblStep2b;
    QLabel* picWave;

    QLabel* lblStep3;
    QLabel* lblVirtualdub;
    QLineEdit* txtVirtualdub;
    QPushButton* cmdBrowseVD;
    QLabel* imgGetVirtualDub;
    QLabel* picVirtualDub;

    QLabel* lblStep4;
    QLabel* lblSave;
    QLineEdit* txtSave;
    QPushButton* cmdSave;
    QLabel* lblStep4b;
    QLabel* picSaveAs;

    QLabel* lblStep5;
    QLabel* lblTask[3];
    QLabel* picTask[3];
    QCheckBox* chkClose;
    QLabel* lblStep5b;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void ShowPage(int step);
    void Form_QueryUnload();
    void SetTaskBold(int task, bool bold);

    int mTaskState[3] = {kTaskIdle, kTaskIdle, kTaskIdle};
    bool mFinished = false; // the work has ended: Next reads "Finish" and closes
};
