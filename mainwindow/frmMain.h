#pragma once
#include "mainwindow/layout.h"
#include "platform/HookXP.h"

#include <QMainWindow>
#include <QPoint>
#include <QPointer>

#include <functional>

class CHookMinMax;
class GridView;
class IMediaPlayer;
class QAction;
class QActionGroup;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;
class QWindow;
class TimingController;
class MainTimingView;
class MainTimingFilter;
class WaveBar;
class WaveHost;

// The main editor window: the caption grid beside the media player, the caption and time
// boxes, the timing buttons and modes, the info bar, the audio bar and the menus.
//
// The caption grid is the model grdSubs() (document/captions.h); grdSubsView shows it. The
// window's part of selecting a caption (menu checks, caption box, time boxes) is
// ShowSelectedLine, which SelectLine reaches through gOnShowSelectedLine.
//
// Every handler that changes the document does nothing while the document is busy
// (document/busy.h): a file being read or the rules running let window events run.
class frmMain : public QMainWindow, public IHookXP {
    Q_OBJECT
public:
    // The window plays through player and becomes its owner; without one it makes its own
    // QtMediaPlayer. The window is made with its controls, menus and texts; Form_Load, which
    // the start-up calls before showing it, reads the format list and the settings into it.
    explicit frmMain(IMediaPlayer* player = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    // The one main window, or null when none is loaded.
    static frmMain* Instance();

    // --- Life cycle ---
    void Form_Load();
    // Runs on the first activation and on each return from another window of the program.
    void Form_Activate();
    // True when the window may close (the user did not cancel the save prompt, and no run
    // over the document is under way).
    bool Form_QueryUnload();
    void Form_Unload();
    void LoadOptions();
    void ResetControls();
    void CloseAll();
    void CloseMedia();
    void ToggleInfoBar();
    void cmdUpdate_Click();

    // --- Texts ---
    void ApplyLanguageToMain();
    void UpdateFileLabels(bool bShowIcon);

    // --- File commands ---
    // Opens a subtitle or text file as the document. True when a document was loaded.
    bool LoadTextFile(const QString& path);
    void LoadVideoFile(const QString& path);
    void LoadAudioFile(const QString& path);
    // Saves the document to gSubFile in the current format. True when the file was written.
    bool SaveTextFile();
    // Asks whether to save a modified document. True when the command may go on: the
    // document was saved, or the user chose not to save it.
    bool PromptForSave();
    // The subtitle file the user chose to open, or empty text.
    QString GetOpenSubtitleName();
    // Save as; true when the document was written.
    bool SaveTextFileAs();
    // Set while the burn-in wizard asks to save before it runs: closing the side windows then
    // leaves the wizard open.
    bool mKeepEmbedWindow = false;
    // The path Save as writes to, chosen in the save dialog for format id, with the format's
    // extension; an existing file is replaced only when the user says so. Empty when cancelled.
    QString ChooseSaveAsPath(const QString& id);
    // Remembers the folder of path as "LastFolder".
    void SavePath(const QString& path);
    // Disables the file commands while a file is read, and enables them again afterwards.
    void EnableFileCommands(bool enabled);

    void mnuFile_Click();
    void mnuNew_Click();
    void mnuNewClip_Click();
    void mnuOpenText_Click();
    void mnuOpenVideo_Click();
    void mnuOpenURL_Click();
    void mnuOpenWav_Click();
    void mnuAppend_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuClose_Click();
    void mnuExit_Click();
    void mnuTFileName_Click();
    void mnuVFileName_Click();
    void mnuAFileName_Click();

    // --- Other menu commands ---
    void mnuRules_Click();
    void mnuReport_Click();
    void mnuInfoBar_Click();
    void mnuAddBelow_Click();
    void mnuAddBottom_Click();
    void mnuEditSelected_Click();
    void mnuRemove_Click();
    void mnuWebsite_Click();
    void mnuAbout_Click();

    // --- Update check and spell check ---
    void mnuUpdate_Click();
    void CheckForUpdates();
    void mnuSpell_Click();
    // One round trip through the spelling service: the corrected text (text itself when the
    // service failed, with mSpellFailed set).
    QString MsSpellCheck(const QString& text);
    bool mSpellFailed = false;
    bool mSpellCancelled = false; // the user stopped the check in the spelling dialog

    // --- Format settings (mainwindow/mainformats.cpp) ---
    void mnuFormatSettings_Click();

    // --- Video-tool wizards (mainwindow/maintools.cpp) ---
    void mnuEmbed_Click();
    void mnuAudioExtract_Click();
    // Hands the WAV the audio extraction wizard made to the audio bar.
    void LoadExtractedWav(const QString& path);

    // --- Find, replace, time shift, conversion, help and settings (mainwindow/menucommands.cpp) ---
    void mnuFind_Click();
    void mnuReplace_Click();
    void mnuDelay_Click();
    void mnuUTF8_Click();
    void mnuHelpTopics_Click();
    void mnuGSettings_Click();
    // The help file for the UI language (gLanguage) in the program folder.
    static QString HelpFilePath(const QString& language);
    // The settings dialog, shown modally; General Settings does only its own part until it is set.
    std::function<void()> showSettingsDialog;

    // --- Timing modes, hot keys and the player's position (mainwindow/TimingController.h) ---
    TimingController* Timing() const { return mTiming; }
    void optPress_Click();
    void optManual_Click();
    void optPreview_Click();
    void SetPreviewMode(bool bOn);
    // Shows a caption over the video (the preview and the caption being timed).
    void ShowCaption(int row);

    // --- Layout and the window's hooks (mainwindow/mainlayout.cpp, mainwindow/layout.h) ---
    // Re-flows the window for its size (bForce: the height too, after a bar was switched).
    void ArrangeMainForm(bool bForce);
    // The grid, splitter and player after the grid (bFromGrid) or the splitter moved, then the
    // columns; bColumnsOnly sizes only the columns.
    void ApplyResize(bool bFromGrid, bool bColumnsOnly);
    void imgSize_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void imgLogo_MouseDown(Qt::MouseButton Button);
    void m_MinMax_GetMinMax(int& MinTrackX, int& MinTrackY, int& MaxTrackX, int& MaxTrackY);
    // The window's own hook: it passes every event on.
    bool Message(QObject* hWnd, QEvent* msg, quintptr dwRefData) override;
    const MainLayout& Layout() const { return mLayout; }
    // The audio bar after a layout changed its width: called once a burst of resizes is over.
    // Does nothing until the waveform is connected.
    std::function<void()> wavePlaced;
    CHookMinMax* m_MinMax = nullptr;
    CHookMouseWheel* m_MW = nullptr;

    // --- Audio bar (waveform/ui/WaveBar.h) and the audio target chooser (dialogs/frmAudio.h) ---
    WaveBar* Wave() const { return mWave; }
    // An audio file was chosen (Open audio, the audio extraction wizard): the chooser asks
    // where it goes, then it is loaded onto the audio bar, into the player or both. Nothing
    // happens when the chooser is cancelled.
    void LoadChosenAudioFile(const QString& path);
    void mnuAudioBar_Click();
    void mnuFullWave_Click();
    void mnuAudioBarColor_Click();

    // --- Grid ---
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
    void m_MW_MouseWheel(QObject* hWnd, int delta, int shift, int button, int x, int y, bool& cancel);

    // Grid menu commands.
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
    // seconds. They talk to WMP; tests may replace them.
    std::function<int()> playerState;
    std::function<void(double seconds)> playerSeek;

    // Where an audio file goes (sets gAudioChoice; 0 = cancelled): the audio target chooser
    // (tests may replace it). Without one the player is the only place that takes one.
    std::function<void()> showAudioChooser;
    // The export dialog of Save as: chooses gFormatIndex and gFPS; false when cancelled. Tests
    // may replace it.
    std::function<bool()> showExportDialog;
    // Loads a WAV file into the audio bar (sets gWaveFile): the audio bar's LoadWave.
    std::function<void(const QString& path)> loadWave;
    // The waveform's play cursor: one tick of it, and shown or hidden (hiding redraws the
    // wave): the audio bar's.
    std::function<void()> waveCursorTick;
    std::function<void(bool on)> showWaveCursor;

    // --- Controls ---
    IMediaPlayer* WMP = nullptr;

    QWidget* picStatus = nullptr; // the info bar
    QLabel* imgText = nullptr;
    QLabel* lblTextFile = nullptr;
    QLabel* imgVideo = nullptr;
    QLabel* lblVideoFile = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;

    QWidget* imgSize = nullptr;  // the splitter between the grid and the player
    QFrame* imgSlide = nullptr;  // its grip
    GridView* grdSubsView = nullptr;
    QLabel* picPLogo = nullptr;
    QLabel* lblSub = nullptr;
    QLabel* lblSubShadow = nullptr;

    QWidget* picBottom = nullptr;
    QPlainTextEdit* txtSub = nullptr;
    QLineEdit* txtTime[2] = {nullptr, nullptr}; // 0 start, 1 duration
    QLabel* lblShow = nullptr;
    QLabel* lblDuration = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdEnd = nullptr;
    QLabel* lblPosition = nullptr;
    QLabel* lblStringPos = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblMainMode = nullptr;
    QRadioButton* optPress = nullptr;
    QRadioButton* optManual = nullptr;
    QRadioButton* optPreview = nullptr;
    QLabel* lblMode = nullptr;
    QLabel* imgLogo = nullptr;
    QFrame* Line3 = nullptr;
    QFrame* Line4 = nullptr;
    QFrame* Line5 = nullptr;
    QFrame* Line6 = nullptr;

    QWidget* picAudio = nullptr; // the audio bar row
    QFrame* picLevel = nullptr;
    QFrame* picWave = nullptr;
    QSlider* sldWavScale = nullptr;
    QLabel* imgWavPos = nullptr;
    QLabel* lblWaveTip = nullptr;
    QLabel* lblWave = nullptr;

    // The timing controller's timers (the automatic end needs none: it is checked whenever
    // the position is read).
    QTimer* tmrPreview = nullptr;
    QTimer* tmrTime = nullptr;
    QTimer* tmrWave = nullptr;

    // Menus.
    QMenu* mnuFile = nullptr;
    QAction* mnuNew = nullptr;
    QAction* mnuNewClip = nullptr;
    QAction* mnuOpenText = nullptr;
    QAction* mnuOpenVideo = nullptr;
    QAction* mnuOpenURL = nullptr;
    QAction* mnuOpenWav = nullptr;
    QAction* mnuClose = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuEmbed = nullptr;
    QAction* mnuLine0b = nullptr;
    QAction* mnuTFileName = nullptr;
    QAction* mnuVFileName = nullptr;
    QAction* mnuAFileName = nullptr;
    QAction* mnuExit = nullptr;

    QMenu* mnuEdit = nullptr;
    QMenu* mnuAdd = nullptr;
    QAction* mnuAddBelow = nullptr;
    QAction* mnuAddBottom = nullptr;
    QAction* mnuEditSelected = nullptr;
    QAction* mnuRemove = nullptr;
    QAction* mnuFind = nullptr;
    QAction* mnuReplace = nullptr;
    QAction* mnuGoTo = nullptr;
    QAction* mnuCountUntimed = nullptr;
    QAction* mnuNextUntimed = nullptr;
    QAction* mnuAppend = nullptr;
    QAction* mnuDelay = nullptr;
    QAction* mnuReset = nullptr;
    QAction* mnuRemoveTags = nullptr;

    QMenu* mnuFormat = nullptr;
    QAction* mnuFont = nullptr;
    QAction* mnuFormatBold = nullptr;
    QAction* mnuFormatItalic = nullptr;
    QAction* mnuFormatUnderline = nullptr;
    QMenu* mnuConvert = nullptr;
    QAction* mnuUTF8 = nullptr;

    QMenu* mnuView = nullptr;
    QAction* mnuInfoBar = nullptr;
    QAction* mnuAudioBar = nullptr;
    QAction* mnuAudioBarColor = nullptr;
    QAction* mnuFullWave = nullptr;

    QMenu* mnuTools = nullptr;
    QAction* mnuSpell = nullptr;
    QAction* mnuRules = nullptr;
    QAction* mnuAudioExtract = nullptr;
    QAction* mnuReport = nullptr;

    QMenu* mnuSettings = nullptr;
    QAction* mnuFormatSettings = nullptr;
    QMenu* mnuLineSeparator = nullptr;
    QAction* mnuSeparator[4] = {nullptr, nullptr, nullptr, nullptr};
    QAction* mnuGSettings = nullptr;

    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpTopics = nullptr;
    QAction* mnuSuggest = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuWebsite = nullptr;
    QAction* mnuAbout = nullptr;

    QMenu* mnuRclick = nullptr; // the grid's pop-up menu
    QAction* rmnuAdd = nullptr;
    QAction* rmnuEdit = nullptr;
    QAction* rmnuRemove = nullptr;
    QAction* rmnuBold = nullptr;
    QAction* rmnuItalic = nullptr;
    QAction* rmnuUnderline = nullptr;

    // --- Preview caption over the video and caption editing (mainpreview.cpp, mainediting.cpp) ---
    // Puts the caption labels over the player's picture; called after every layout change.
    void PlaceCaption();
    // Gives the caption labels the caption font settings and shows or hides them.
    void ApplyCaptionFont();
    void mnuFont_Click();
    void mnuReset_Click();
    void mnuRemoveTags_Click();
    void mnuSeparator_Click(int index);
    void txtSub_Change();
    // The focus left the caption box: it shows what the caption holds.
    void txtSub_LostFocus();
    void txtTime_GotFocus(int index);
    // The focus left the time box: unless it went to the other time box, both show the
    // caption's times again (only Enter writes).
    void txtTime_LostFocus(int index);
    // True when the key was taken (the box itself should not see it).
    bool txtTime_KeyPress(int index, QKeyEvent* event);
    void txtTime_Change(int index);
    void txtTime_MouseUp(int index);
    // Enter in either time box: the start and the duration become the current caption's times.
    void txtTime_Enter(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    // Connects the commands of menucommands.cpp to their menu entries.
    void ConnectMenuCommands();
    void ConnectHooks();
    void DisconnectHooks();
    void ComputeFrameMetrics();
    void PlaceStatusLabels();
    // Layout (mainlayout.cpp).
    void CreateLayout();
    void CreateWindowHooks();
    void DestroyWindowHooks();
    LayoutDesign MeasureDesign() const;
    // Measures the design again; true when it changed (the layout then re-flows whole).
    bool RefreshDesign();
    void ApplyLayout();
    // The layout as the window shows it: mirrored where it reads right to left.
    MainLayout ShownLayout() const;
    // The width of the area under the menu bar, which the layout fills.
    int AreaWidth() const;
    bool mLaidOutRightToLeft = false; // the controls stand where a right-to-left window has them
    void ApplyColumnWidths();
    bool IsGridWindow(const QObject* hWnd) const;
    LayoutDesign mDesign;
    MainLayout mLayout;
    bool mArranging = false;
    QTimer* mWaveRedraw = nullptr;
    QObject* mLayoutEvents =
        nullptr; // the area's resizes and the logo's clicks (removed first when the window goes)
    void SetStyleChecks(int row);
    // Seeks the player to the row's start when the row is timed and the player is playing.
    void SeekToLine(int row, double extraSeconds);
    // Makes the timing controller, its view of this window and the key preview.
    void CreateTiming();
    // Takes them down again, before the player goes.
    void DestroyTiming();
    // Runs New; false when the save prompt was cancelled (or the document is busy).
    bool NewDocument();
    // Hides the preview caption over the video.
    void ClearCaption();
    // The menu entries that need an open subtitle, enabled or not.
    void EnableSubtitleCommands(bool sub);
    // Unloads the find, replace, rule report and burn-in windows.
    void CloseSideWindows();
    // Puts the focus on the grid (on the window while no subtitle is open), where the hot keys
    // act; the caption box takes typing only once the user puts the focus there.
    void FocusGrid();
    // Asks where an audio file goes; false when cancelled.
    bool AskAudioChoice();
    // The recent-file entry for a path, shown with the separator.
    void ShowRecentEntry(QAction* entry, const QString& path);
    // The subtitle read step shared by open and append. False when the read failed midway.
    bool ReadSubtitle(const QString& path, bool append);
    void OnFocusWindowChanged(QWindow* window);
    // Runs Form_Activate from the event loop (once, however often it is asked meanwhile).
    void QueueActivate();
    void OnMediaError(const QString& description);

    // Opening a video: a local file that is missing or empty is refused before the player
    // sees it; one the player cannot open is forgotten again (mainvideo.cpp).
    bool RefuseVideoFile(const QString& path);
    void ForgetFailedVideo();
    QString mVideoOpening;     // the path LoadVideoFile gave the player last
    QString mRecentVideoBefore; // the recent video entry before it
    bool mVideoFailed = false;  // the player could not open it

    // Menu entries and the text numbers that caption them ("..." appended when dots).
    struct MenuText {
        QAction* action;
        int text;
        bool dots;
    };
    QList<MenuText> mMenuTexts;
    QActionGroup* mSeparatorGroup = nullptr;

    bool mSeenActive = false; // the window has been active once
    bool mOtherWindowHadFocus = false;
    bool mActivatePending = false;
    bool mUnloaded = false;

    // Preview caption and caption editing.
    void CreatePreviewCaption();
    // The caption's opaque box, shown only behind a caption.
    void FillCaptionBox();
    void ConnectEditing();
    // The grid cell's font follows the row's style tags.
    void MirrorTags(int row);
    void CheckSeparatorItem();
    void SelectTimeDigit(int index, int selStart);
    // A time box whose text lost the time code's shape gets back what it held on focus.
    void RestoreTimeShape(int index);
    // The time boxes show the row's start and duration.
    void ShowTimeBoxes(int row);
    // The caption box's and the time boxes' events (removed first when the window goes).
    QObject* mEditingEvents = nullptr;
    int TimeBoxSelStart(int index) const;
    QString mCaptionFontKey;      // the caption font settings ApplyCaptionFont last applied
    bool mCaptionBoxSync = false; // the caption box and the current caption are being matched
    QString mTimeTag[2];          // each time box's text when it got the focus

    // The audio bar: made with the window, taken down before the player goes.
    void CreateWave();
    void DestroyWave();
    WaveHost* mWaveHost = nullptr;
    WaveBar* mWave = nullptr;

    friend class MainTimingView;
    friend class MainTimingFilter;
    MainTimingView* mTimingView = nullptr;
    MainTimingFilter* mTimingFilter = nullptr;
    TimingController* mTiming = nullptr;
};
