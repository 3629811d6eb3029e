#pragma once
// The burn-in wizard: collects the output settings, the video tool's folder and the output file
// on four pages, writes the job script and starts the tool with it, which then draws the open
// SubStation Alpha subtitle into the open video on its own. A borderless, modeless window owned
// by the main window; there is at most one.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QStackedWidget;

// True when the open subtitle and video can be burnt in; otherwise one message has been shown.
bool CanEmbed();

class frmEmbed : public QDialog {
    Q_OBJECT
public:
    explicit frmEmbed(QWidget* owner = nullptr);
    ~frmEmbed() override;

    void Form_Load();
    void Form_MouseMove();
    void ShowDetails(const QString& text);

    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    void cmdBrowseVD_Click();
    void cmdSave_Click();
    void cmdConfigure_Click();
    void chkPreview_Click();
    void sldPreview_Change();
    void cmbResolution_Click();

    // Members.
    int m_Step = 0;
    bool m_ConfirmOverwrite = false;
    QString m_ToolExe;
    QString m_CodecDll;
    QString m_ScriptPath;
    QString m_TargetPath;

    // Controls.
    QFrame* picTop;
    QLabel* imgDrag;
    QLabel* lblTop;
    QLabel* lblTop2;
    QFrame* picMenu;
    QFrame* shpDetails;
    QLabel* lblDetailsTitle;
    QLabel* lblDetails;
    QStackedWidget* pages;
    QWidget* picStep[4];
    QPushButton* cmdBack;
    QPushButton* cmdNext;
    QPushButton* cmdCancel;

    QLabel* lblFormat;
    QComboBox* cmbFormat;
    QLabel* imgFormat;
    QPushButton* cmdConfigure;
    QLabel* imgConfigure;
    QLabel* lblRes;
    QComboBox* cmbResolution;
    QLabel* imgRes;
    QLabel* lblSize;
    QLineEdit* txtWidth;
    QLabel* lblX;
    QLineEdit* txtHeight;
    QLabel* lblMode;
    QComboBox* cmbMode;
    QLabel* imgMode;
    QCheckBox* chkPreview;
    QSlider* sldPreview;
    QLabel* lblPreview;
    QLabel* imgPreview;

    QLabel* picVirtualDub;
    QLabel* lblVD;
    QLineEdit* txtVirtualdub;
    QPushButton* cmdBrowseVD;
    QLabel* imgVD;
    QLabel* lblVDinfo;
    QLabel* imgGetVirtualDub;

    QLabel* picSaveAs;
    QLabel* lblVideo;
    QLineEdit* txtSave;
    QPushButton* cmdSave;
    QLabel* imgSave;

    QLabel* lblReady;
    QLineEdit* txtTFileName;
    QLineEdit* txtVFileName;
    QLabel* imgNotice;
    QLabel* lblNotice;
    QLabel* lblNote1;
    QLabel* lblNote2;
    QLabel* lblConvert;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void ShowPage(int step);
    void Advance();
    void EnterReadyPage();
    void Run();
    // Checks the paths and the preview's end and writes the script; false (with a message
    // shown) when no script was written.
    bool WriteScript();
    // Disables the three buttons and shows the busy pointer, or undoes that.
    void SetBusy(bool busy);
    int HintFor(QObject* watched) const;

    bool mBusy = false;
    bool mEnabledBefore[3] = {true, true, true}; // the buttons before a wait disabled them
};

// The loaded burn-in wizard, null when there is none.
frmEmbed* EmbedWindow();
// Unloads the burn-in wizard when it is loaded.
void UnloadEmbedWindow();
// Unloads any burn-in wizard and shows a new one, modeless, owned by owner (the main window).
frmEmbed* ShowEmbedWindow(QWidget* owner);
