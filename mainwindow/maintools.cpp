// The main window's commands that hand work to the external video tool: burning the subtitle
// into the video, and extracting the video's audio for the audio bar.
#include "base/appinfo.h"
#include "base/toolbox.h"
#include "document/busy.h"
#include "language/lang.h"
#include "mainwindow/filecommands.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/IMediaPlayer.h"
#include "platform/MsgBox.h"
#include "tools/ui/frmAudioWizard.h"
#include "tools/ui/frmEmbed.h"
#include "tools/ui/wizardhost.h"

namespace {

// The wizards reach the main window through this, so that they need nothing of its class.
class MainWindowWizardHost final : public IWizardHost {
public:
    bool PromptForSave() override {
        frmMain* main = frmMain::Instance();
        if (!main) return true;
        // The burn-in wizard asks before it hands the file to the tool: a Save as on the way
        // must not close the wizard that is waiting for it.
        const bool before = main->mKeepEmbedWindow;
        main->mKeepEmbedWindow = true;
        const bool saved = main->PromptForSave();
        main->mKeepEmbedWindow = before;
        return saved;
    }
    int32_t MediaLength() override { return GetMediaLength(); }
    void ReleaseFiles() override {
        if (frmMain* main = frmMain::Instance()) {
            main->SetPreviewMode(false);
            main->ResetControls();
        }
    }
};

MainWindowWizardHost gMainWindowWizardHost;
[[maybe_unused]] const bool gWizardHostSet = (SetWizardHost(&gMainWindowWizardHost), true);

} // namespace

void frmMain::mnuEmbed_Click() {
    if (IsDocumentBusy()) return;
    if (!CanEmbed()) return;
    CloseSideWindows();
    ShowEmbedWindow(this);
}

void frmMain::mnuAudioExtract_Click() {
    if (IsDocumentBusy()) return;
    if (gVideoFile.isEmpty()) {
        MsgBox(LangText(438), vbExclamation, LangText(437));
        return;
    }
    const QString tail = gVideoFile.right(3).toLower();
    if (tail != QLatin1String("mpg") && tail != QLatin1String("avi") && tail != QLatin1String("peg")) {
        MsgBox(LangText(366), vbCritical, LangText(437));
        return;
    }
    CloseSideWindows();
    if (WMP->playState() == kPlayStatePlaying) WMP->pause();
    {
        frmAudioWizard wizard(this);
        wizard.exec();
    }
    if (!gExtractedWav.isEmpty() && FileExists(gExtractedWav)) LoadExtractedWav(gExtractedWav);
}

void frmMain::LoadExtractedWav(const QString& path) {
    // The audio bar only; the video stays in the player.
    gAudioChoice = 1;
    LoadAudioFile(path);
}
