// The main window's part of the audio bar: what the bar reaches of the window, the hooks that
// bring the selection and the player's events to it, and the audio target chooser in front of
// every audio file opened.
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "dialogs/frmAudio.h"
#include "document/captions.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/Dialogs.h"
#include "waveform/ui/WaveBar.h"
#include "waveform/ui/WavePane.h"

#include <QAction>

class MainWaveHost final : public WaveHost {
public:
    explicit MainWaveHost(frmMain* window) : w(window) {}

    IMediaPlayer* Player() override { return w->WMP; }
    int32_t PositionMs() override { return w->Timing()->PositionMs(); }
    void SetPositionMs(int32_t ms) override { w->Timing()->SetPositionMs(ms); }
    void CaptionRetimed() override {
        if (gTimingMode == 2) w->Timing()->GetPreviewCap();
    }
    void Relayout() override {
        w->ArrangeMainForm(true);
        w->PlaceCaption();
    }
    void SetLoadCommandEnabled(bool on) override { w->mnuAFileName->setEnabled(on); }
    void ShowAudioEntry(const QString& path) override {
        w->mnuAFileName->setText(ShortenPath(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
        w->mnuAFileName->setVisible(true);
        w->mnuLine0b->setVisible(true);
    }

private:
    frmMain* w;
};

void frmMain::CreateWave() {
    mWaveHost = new MainWaveHost(this);
    WaveControls controls;
    controls.picAudio = picAudio;
    controls.picWave = static_cast<WavePane*>(picWave);
    controls.picLevel = static_cast<LevelMeter*>(picLevel);
    controls.sldWavScale = sldWavScale;
    controls.imgWavPos = imgWavPos;
    controls.lblWaveTip = lblWaveTip;
    controls.lblWave = lblWave;
    controls.tmrWave = tmrWave;
    controls.mnuAudioBar = mnuAudioBar;
    controls.mnuFullWave = mnuFullWave;
    mWave = new WaveBar(mWaveHost, controls, this);
    connect(mnuAudioBarColor, &QAction::triggered, this, &frmMain::mnuAudioBarColor_Click);

    loadWave = [this](const QString& path) { mWave->LoadWave(path); };
    waveCursorTick = [this] { mWave->tmrWave_Timer(); };
    showWaveCursor = [this](bool on) { mWave->ShowCursor(on); };
    wavePlaced = [this] { mWave->Placed(); };
    showAudioChooser = [this] { ShowAudioChooser(this); };
    gOnShowWaveSelection = [this](int32_t startMs, int32_t endMs) {
        mWave->ShowWaveSelection(startMs, endMs);
    };
}

void frmMain::DestroyWave() {
    gOnShowWaveSelection = nullptr;
    loadWave = nullptr;
    waveCursorTick = nullptr;
    showWaveCursor = nullptr;
    wavePlaced = nullptr;
    // Stops a load in progress before the controls it draws on go.
    delete mWave;
    mWave = nullptr;
    delete mWaveHost;
    mWaveHost = nullptr;
}

void frmMain::LoadChosenAudioFile(const QString& path) {
    if (AskAudioChoice()) LoadAudioFile(path);
}

void frmMain::mnuAudioBar_Click() {
    mWave->mnuAudioBar_Click();
}

void frmMain::mnuFullWave_Click() {
    mWave->mnuFullWave_Click();
}

void frmMain::mnuAudioBarColor_Click() {
    const int32_t color = ShowColor(this, 1, gAudioBarColor);
    if (color == -1) return;
    if (color != gAudioBarColor) mWave->SetWaveColor(color);
    gAudioBarColor = color;
    WriteSetting(QStringLiteral("M_AUDIOBARCOLOR"), gAudioBarColor);
}
