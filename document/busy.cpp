#include "document/busy.h"

#include "base/processstate.h"

namespace {

int gBusyDepth = 0;

void ResetBusyState() {
    gBusyDepth = 0;
}
SCRIVELLE_REGISTER_RESET(ResetBusyState);

} // namespace

bool IsDocumentBusy() {
    return gBusyDepth > 0;
}

DocumentBusyGuard::DocumentBusyGuard() {
    ++gBusyDepth;
}

DocumentBusyGuard::~DocumentBusyGuard() {
    if (gBusyDepth > 0) --gBusyDepth;
}
