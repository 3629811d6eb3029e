#include "platform/Dialogs.h"

#include "language/lang.h"
#include "platform/MsgBox.h"

#include <QFileInfo>

namespace {

// Until a window layer installs its dialogs every dialog counts as cancelled.
NoDialogs gNoDialogs;
IDialogs* gDialogs = &gNoDialogs;

} // namespace

IDialogs& Dialogs() {
    return *gDialogs;
}
void SetDialogs(IDialogs* dialogs) {
    gDialogs = dialogs ? dialogs : &gNoDialogs;
}

const std::array<int32_t, 16>& CustomColors() {
    static const std::array<int32_t, 16> colors = {0xC0C0C0, 0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFFFF00,
                                                   0xFF0000, 0xFF00FF, 0x808080, 0x0000C0, 0x0040C0, 0x00C0C0,
                                                   0x00C000, 0xC0C000, 0xC00000, 0xC000C0};
    return colors;
}

double ClampFontSize(double size, int minSize, int maxSize) {
    if (minSize > 0 && size < minSize) size = minSize;
    if (maxSize > 0 && size > maxSize) size = maxSize;
    return size;
}

QString StripNulls(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString ConvertFilter(const QString& filter) {
    QStringList items = filter.split(QLatin1Char('|'));
    if (!items.isEmpty() && items.last().isEmpty()) items.removeLast();
    QStringList out;
    for (qsizetype i = 0; i < items.size(); i += 2) {
        const QString desc = items[i].trimmed();
        QStringList patterns;
        if (i + 1 < items.size())
            for (const QString& p : items[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
                patterns << p.trimmed();
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        // Qt reads the patterns from the last parenthesised group, so the description may keep its own.
        out << desc + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

int32_t ShowColor(QWidget* owner, int32_t flags, int32_t initial) {
    const int32_t c = Dialogs().ShowColor(owner, flags, initial);
    return c < 0 ? -1 : (c & 0xFFFFFF);
}

bool ShowFont(QWidget* owner, int32_t /*flags*/, tFontSpec& font, int32_t& color, int minSize, int maxSize) {
    tFontSpec chosen = font;
    int32_t chosenColor = color;
    if (!Dialogs().ChooseFont(owner, chosen, chosenColor)) return false;
    // The Qt font dialog cannot limit the sizes it offers: bring the choice into range here.
    chosen.size = ClampFontSize(chosen.size, minSize, maxSize);
    // The weight decides bold in the end.
    chosen.bold = chosen.weight >= 600;
    font = chosen;
    color = chosenColor;
    return true;
}

QString ShowOpen(QWidget* owner, const QString& filter, const QString& title, const QString& initialFolder) {
    return StripNulls(Dialogs().ShowOpen(owner, ConvertFilter(filter), title, initialFolder));
}

QString ShowSave(QWidget* owner, const QString& filter, const QString& title, const QString& initialFolder,
                 const QString& defaultName, bool confirmOverwrite) {
    return StripNulls(Dialogs().ShowSave(owner, ConvertFilter(filter), title, initialFolder,
                                         StripNulls(defaultName), confirmOverwrite));
}

QString ChooseSaveTarget(QWidget* owner, const QString& filter, const QString& title, QString folder,
                         QString name, const std::function<QString(const QString&)>& finalName,
                         const QString& questionTitle) {
    for (;;) {
        const QString answer = ShowSave(owner, filter, title, folder, name, false).trimmed();
        if (answer.isEmpty()) return {};
        const QString target = finalName(answer);
        if (!QFileInfo::exists(target) ||
            MsgBox(LangText(414, target), vbYesNo + vbExclamation + vbDefaultButton2, questionTitle) == vbYes)
            return target;
        // Not that one: the dialog again, on the name it would have replaced.
        const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
        folder = slash < 0 ? QString() : target.left(slash + 1);
        name = target.mid(slash + 1);
    }
}

QString BrowseForFolder(QWidget* owner, const QString& title) {
    QString folder = StripNulls(Dialogs().BrowseForFolder(owner, title));
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}
