#pragma once
#include <QDialog>
#include <QHash>

#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

// What the settings dialog changes in the main window while it is open: the preview caption's
// look and place, and the player's stretching. The main window fills these in.
struct SettingsHooks {
    std::function<void()> applyCaptionFont;
    std::function<void()> placeCaption;
    std::function<void(bool)> setStretch;
    // Re-captions the main window after the UI language changed.
    std::function<void()> applyLanguageToMain;
};
extern SettingsHooks gSettingsHooks;

// Pure rules of the dialog's boxes, kept apart so they are tested without widgets.
// The credit keywords when their box loses the focus: ",," -> "," in one pass, blanks trimmed, one
// leading and one trailing comma dropped.
QString NormalizeCreditsText(const QString& text);
// The seconds of a Rewind or Forward box when it loses the focus: its leading number, 2..600.
int ClampSeconds(const QString& text);

// The options dialog: a page menu on the left, the visible page, a details pane explaining
// whatever the mouse is over, OK and Reset. There is no Cancel: each control writes its setting
// variable at once, so the main window follows while the dialog is open; OK writes every setting
// to the store; every close writes the UI language.
class frmSettings : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPages = 5;

    explicit frmSettings(QWidget* owner = nullptr);
    ~frmSettings() override;

    // --- Frame ---
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void ShowDetails(const QString& text);
    void HighlightOption(QCheckBox* check, QFrame* box, int height);
    void ClearOptionHighlights();
    void ShowCurrentSettings();
    void ApplyLanguage();
    void lblMenu_MouseDown(int index, Qt::MouseButton button);
    void lblMenu_MouseMove(int index);
    void picMenu_MouseMove();
    void picOptions_MouseMove(int index);
    void Form_MouseMove();
    void cmdOK_Click();
    void cmdReset_Click();
    // The page shown, 0..4.
    int VisiblePage() const;

    QWidget* picMenu = nullptr;
    QLabel* lblMenu[kPages] = {};
    QLabel* imgMenu[kPages] = {};
    QWidget* picOptions[kPages] = {};
    QLabel* picTop = nullptr;
    QLabel* lblTop = nullptr;
    QLabel* lblSettingsTitle = nullptr;
    QLabel* imgDrag = nullptr;
    QFrame* shpDetails = nullptr;
    QLabel* lblDetailsTitle = nullptr;
    QLabel* lblDetails = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdReset = nullptr;
    QFrame* picAutoJoin = nullptr;
    QFrame* picDuration = nullptr;
    QFrame* picCredits = nullptr;

    // --- Page 0: timing rules ---
    void chkAutoJoin_Click();
    void chkDuration_Click();
    void chkCredits_Click();
    void sldAutoJoin_Change();
    void sldDuration_Change(int index);
    void sldTolerance_Change(int index);
    void txtCredits_KeyUp();
    void txtCredits_LostFocus();
    void cmbApply_LostFocus();
    QCheckBox* chkAutoSplit = nullptr;
    QCheckBox* chkCollision = nullptr;
    QCheckBox* chkAutoJoin = nullptr;
    QLabel* lblAutoJoin = nullptr;
    QSlider* sldAutoJoin = nullptr;
    QCheckBox* chkDuration = nullptr;
    QLabel* lblShort = nullptr;
    QLabel* lblMedium = nullptr;
    QLabel* lblLong = nullptr;
    QLabel* lblDuration[3] = {};
    QLabel* lblTolerance[3] = {};
    QSlider* sldDuration[3] = {};
    QSlider* sldTolerance[3] = {};
    QCheckBox* chkCredits = nullptr;
    QLabel* lblCredits = nullptr;
    QLineEdit* txtCredits = nullptr;
    QCheckBox* chkBreaks = nullptr;
    QLabel* lblWhen = nullptr;
    QComboBox* cmbApply = nullptr;

    // --- Page 1: hot keys ---
    void chkKeys_Click();
    // A key typed into hot-key box index; true when it was handled (taken or refused).
    bool txtHotkey_KeyPress(int index, int key, const QString& text);
    void txtPosition_LostFocus(int index);
    QCheckBox* chkKeys = nullptr;
    QGroupBox* fraPlayback = nullptr;
    QGroupBox* fraCaptioning = nullptr;
    QGroupBox* fraOther = nullptr;
    QLabel* lblHotkey[10] = {};
    QLineEdit* txtHotkey[10] = {};
    QLineEdit* txtPosition[2] = {};
    QLabel* lblSeconds[2] = {};

    // --- Page 2: player ---
    void chkStretch_Click();
    void cmdVSFilter_Click();
    QCheckBox* chkStretch = nullptr;
    QLabel* lblUImode = nullptr;
    QComboBox* cmbUImode = nullptr;
    QLabel* lblVSFilter = nullptr;
    QRadioButton* optVSDisable = nullptr;
    QRadioButton* optVSHide = nullptr;
    QLabel* lblVSNotice = nullptr;
    QPushButton* cmdVSFilter = nullptr;
    QLabel* imgVSHelp = nullptr;

    // --- Page 3: preview caption ---
    void cmdFont_Click();
    void cmdColor_Click();
    void optOpaque_Click();
    void optShadow_Click();
    void sldShadow_Change();
    void sldHeight_Change();
    void chkFollow_Click();
    void RefreshSampleBackground();
    QLabel* lblFormat = nullptr;
    QPushButton* cmdFont = nullptr;
    QPushButton* cmdColor = nullptr;
    QRadioButton* optOpaque = nullptr;
    QRadioButton* optShadow = nullptr;
    QLabel* lblShadow = nullptr;
    QSlider* sldShadow = nullptr;
    QLabel* lblHeight = nullptr;
    QSlider* sldHeight = nullptr;
    QCheckBox* chkFollow = nullptr;
    QLabel* picSample = nullptr;
    QLabel* lblSample = nullptr;
    QLabel* lblSampleShadow = nullptr;

    // --- Page 4: language (settingslanguage.cpp) ---
    void cboLanguage_Click();
    void imgAddLanguage_MouseDown(Qt::MouseButton button);
    void lblComplete_MouseDown(Qt::MouseButton button);
    void lblReqLang_MouseDown(Qt::MouseButton button);
    void cmdRegionalSettings_Click();
    QGroupBox* fraLanguage = nullptr;
    QComboBox* cboLanguage = nullptr;
    QLabel* lblTranslator = nullptr;
    QLabel* lblComplete = nullptr;
    QLabel* imgAddLanguage = nullptr;
    QGroupBox* fraCharset = nullptr;
    QLineEdit* txtCharset = nullptr;
    QLabel* lblCharset = nullptr;
    QFrame* fraNotice = nullptr;
    QLabel* lblWarning = nullptr;
    QLabel* lblCurrLang = nullptr;
    QLabel* lblReqLang = nullptr;
    QPushButton* cmdRegionalSettings = nullptr;
    QLabel* imgLanguage = nullptr;
    QLabel* imgCharset = nullptr;
    QLabel* imgNotice = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void BuildFrame();
    void BuildRulesPage();
    void BuildKeysPage();
    void BuildPlayerPage();
    void BuildPreviewPage();
    void ShowRulesSettings();
    void ShowKeysSettings();
    void ShowPlayerSettings();
    void ShowPreviewSettings();
    void ApplyRulesTexts();
    void ApplyKeysTexts();
    void ApplyPlayerTexts();
    void ApplyPreviewTexts();
    void ResetRulesPage();
    void ResetKeysPage();
    void ResetPlayerPage();
    void ResetPreviewPage();
    void BuildLanguagePage();
    void FillLanguageList();
    void ApplyLanguageTexts();
    void ResetLanguagePage();
    void EnableRulesControls();
    // What the mouse over a control shows in the details pane.
    void OnHover(QWidget* control, std::function<void()> handler);
    // Commits what a focused box would commit on losing the focus (OK by keyboard).
    void CommitFocusedControl();

    QHash<QObject*, std::function<void()>> mHover;
    bool mActivated = false;
    bool mUnloaded = false;
    bool mLettersShown = false;
    // The player-controls position the dialog last put in the list from gUIMode; the list
    // holding another one is the user's choice, pending until OK.
    int mUIModeShown = -1;
};

// Settings > Options and the report's link: shows the dialog modally over owner.
void ShowSettingsDialog(QWidget* owner);
