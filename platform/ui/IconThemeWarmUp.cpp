#include "platform/ui/IconThemeWarmUp.h"

namespace {
std::function<void()>& PendingWait() {
    static std::function<void()> wait;
    return wait;
}
} // namespace

void SetIconThemeWait(std::function<void()> wait) {
    PendingWait() = std::move(wait);
}

void WaitForIconTheme() {
    if (!PendingWait()) return;
    // Taken out first: the wait runs once.
    const std::function<void()> wait = std::move(PendingWait());
    PendingWait() = nullptr;
    wait();
}
