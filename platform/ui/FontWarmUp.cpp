#include "platform/ui/FontWarmUp.h"

#include <QFont>

namespace {
std::function<void(const QFont&)>& Warm() {
    static std::function<void(const QFont&)> warm;
    return warm;
}
} // namespace

void SetFontWarmUp(std::function<void(const QFont&)> warm) {
    Warm() = std::move(warm);
}

void WarmUpFont(const QFont& font) {
    if (Warm()) Warm()(font);
}
