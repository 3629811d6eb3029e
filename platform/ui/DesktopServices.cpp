#include "platform/ui/DesktopServices.h"

#include "base/shell.h"
#include "language/lang.h"
#include "platform/Dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
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

void ApplyLayoutDirection(Qt::LayoutDirection direction) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QGuiApplication::setLayoutDirection(direction);
}

} // namespace

// Colours are kept as 0x00BBGGRR in the program; only the windows need Qt's colour type.
QColor BgrToColor(int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int32_t ColorToBgr(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

void InstallDesktopServices() {
    static DesktopShell shell;
    SetDefaultShell(&shell);
    gApplyLayoutDirection = &ApplyLayoutDirection;
}
