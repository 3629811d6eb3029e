#pragma once
// What the video-tool wizards need of the main window, without knowing its class: the main
// window installs its own host when it is built; without one (a wizard on its own) there are
// no unsaved edits to ask about, no media length and nothing to let go of.
#include <cstdint>

class IWizardHost {
public:
    virtual ~IWizardHost() = default;
    // Asks about unsaved edits; false when the user cancels.
    virtual bool PromptForSave() = 0;
    // The open media's length in seconds as the player reports it; 0 when unknown.
    virtual int32_t MediaLength() = 0;
    // The external tool has the files now: the window closes its preview and empties its controls.
    virtual void ReleaseFiles() = 0;
};

IWizardHost& WizardHost();
void SetWizardHost(IWizardHost* host); // nullptr puts back the one that does nothing
