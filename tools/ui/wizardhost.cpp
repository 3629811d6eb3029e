#include "tools/ui/wizardhost.h"

namespace {

class NoHost final : public IWizardHost {
public:
    bool PromptForSave() override { return true; }
    int32_t MediaLength() override { return 0; }
    void ReleaseFiles() override {}
};

NoHost gNoHost;
IWizardHost* gHost = nullptr;

} // namespace

IWizardHost& WizardHost() {
    return gHost ? *gHost : gNoHost;
}

void SetWizardHost(IWizardHost* host) {
    gHost = host;
}
