#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

class DesktopShell final : public IShell {
public:
    void Open(const QString& target) override {
        if (target.isEmpty()) return;
        // A path that exists locally is a file, whatever it looks like; anything else is an address.
        const QUrl url =
            QDir::isAbsolutePath(target) ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
        QDesktopServices::openUrl(url);
    }
};

DesktopShell gDesktopShell;
IShell* gShell = &gDesktopShell;

} // namespace

IShell& Shell() {
    return *gShell;
}
void SetShell(IShell* shell) {
    gShell = shell ? shell : &gDesktopShell;
}
