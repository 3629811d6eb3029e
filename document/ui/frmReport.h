#pragma once
// The rule report window: the totals and the findings of the last rule run, in a standard view
// (one line per finding) or a detailed view (one block per finding). A borderless, modeless
// window owned by the main window; there is at most one.
#include <QDialog>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class frmReport : public QDialog {
    Q_OBJECT
public:
    // Loads the window (texts from the UI language); shown with show().
    explicit frmReport(QWidget* owner = nullptr);

    // Fill the report box with the chosen view, built in one go.
    void ShowStandardReport();
    void ShowDetailedReport();

    void Form_Load();
    void Form_Activate();
    void optStandard_Click();
    void optDetailed_Click();
    void cmdOK_Click();
    void lblDefine_MouseDown(Qt::MouseButton button);

    QLabel* picTop;
    QLabel* imgDrag;
    QLabel* lblTop;
    QRadioButton* optStandard;
    QRadioButton* optDetailed;
    QPlainTextEdit* txtReport;
    QLabel* lblTotal;
    QLabel* lblDefine;
    QPushButton* cmdOK;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void FillReport(const QString& text);

    bool mFilling = false; // the box is being filled (events run meanwhile)
};

// The loaded report window, null when there is none.
frmReport* ReportWindow();
// Unloads the report window when it is loaded.
void UnloadReportWindow();
// Unloads any report window and shows a new one, modeless, owned by owner (the main window).
frmReport* ShowReportWindow(QWidget* owner);

// Tools > Rules and the rule run after a load: applies the timing rules (ApplyRules) with the
// report window owned by owner, which opens when the report has entries. Without entries the
// run says that all captions comply, unless bSilent.
void ApplyRulesAndReport(QWidget* owner, bool bSilent = false);

// Opens the settings dialog modally, where the rules are defined (the report window's
// "Define correction rules..." link). Does nothing until the settings dialog sets it.
extern std::function<void()> gShowRulesSettings;
