#pragma once
#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

class QWidget;

// A font as the program keeps it: the preview caption and the grid font settings.
struct tFontSpec {
    QString name;
    double size = 8;  // points; fractions survive (10.5)
    int weight = 400; // 100..900, 400 normal, 700 bold
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
};

// Flags the callers pass to ShowFont (kept for what they say; the Qt dialog offers the same fonts).
inline constexpr int32_t kFontDialogFlags = 0x1831841;
inline constexpr int32_t kFontLimitSize = 0x2000;

// The system's modal dialogs. The window layer installs the Qt implementation; tests a scripted one.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A colour as 0x00BBGGRR, or -1 when cancelled.
    virtual int32_t ShowColor(QWidget* owner, int32_t flags, int32_t initial) = 0;
    // The font the user chose, or false (nothing changed). Sizes are limited by the caller.
    virtual bool ChooseFont(QWidget* owner, tFontSpec& font, int32_t& color) = 0;
    // A path, or empty text when cancelled. The filter is already in Qt's form.
    virtual QString ShowOpen(QWidget* owner, const QString& qtFilter, const QString& title,
                             const QString& initialFolder) = 0;
    // With confirmOverwrite the dialog itself asks before it returns the name of an existing
    // file; a caller that changes the name afterwards (adds an extension) asks on its own.
    virtual QString ShowSave(QWidget* owner, const QString& qtFilter, const QString& title,
                             const QString& initialFolder, const QString& defaultName,
                             bool confirmOverwrite) = 0;
    // A folder, or empty text when cancelled.
    virtual QString BrowseForFolder(QWidget* owner, const QString& title) = 0;
    // A line of text; ok false when cancelled.
    virtual QString InputBox(QWidget* owner, const QString& prompt, const QString& title,
                             const QString& defaultText, bool* ok) = 0;
};

// Every dialog cancelled: what the program has before a window layer installs its dialogs, and a
// base for command-line tools that answer one dialog themselves.
class NoDialogs : public IDialogs {
public:
    int32_t ShowColor(QWidget*, int32_t, int32_t) override { return -1; }
    bool ChooseFont(QWidget*, tFontSpec&, int32_t&) override { return false; }
    QString ShowOpen(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString ShowSave(QWidget*, const QString&, const QString&, const QString&, const QString&,
                     bool) override {
        return {};
    }
    QString BrowseForFolder(QWidget*, const QString&) override { return {}; }
    QString InputBox(QWidget*, const QString&, const QString&, const QString&, bool* ok) override {
        if (ok) *ok = false;
        return {};
    }
};

IDialogs& Dialogs();
void SetDialogs(IDialogs* dialogs); // nullptr puts back the one that cancels everything

// The program's procedures over the dialogs.
int32_t ShowColor(QWidget* owner, int32_t flags, int32_t initial);
bool ShowFont(QWidget* owner, int32_t flags, tFontSpec& font, int32_t& color, int minSize, int maxSize);
QString ShowOpen(QWidget* owner, const QString& filter, const QString& title, const QString& initialFolder);
QString ShowSave(QWidget* owner, const QString& filter, const QString& title, const QString& initialFolder,
                 const QString& defaultName, bool confirmOverwrite = true);
// The save dialog for a file whose name the caller still changes (adds or replaces an
// extension): the dialog itself does not ask about an existing file, since the name it returns is
// not the one written. finalName makes the written name of the dialog's answer; when that file
// exists, text 414 asks about it (Yes / No, No by default, titled questionTitle). No offers the
// dialog again on that name. The name to write (agreed to be replaced when it exists), or empty
// text when the dialog was cancelled.
QString ChooseSaveTarget(QWidget* owner, const QString& filter, const QString& title, QString folder,
                         QString name, const std::function<QString(const QString&)>& finalName,
                         const QString& questionTitle);
// Adds "/" to the chosen folder unless it ends in one; empty on cancel.
QString BrowseForFolder(QWidget* owner, const QString& title);
// The text before its first NUL (all of it when it has none).
QString StripNulls(const QString& text);

// "SubRip (*.srt)|*.srt|All files|*.*" -> "SubRip (*.srt) (*.srt);;All files (*.*)".
// A trailing "|" or none makes no difference; patterns separated by ";" become blank-separated.
QString ConvertFilter(const QString& filter);

// Colours stay 0x00BBGGRR inside the program.
QColor BgrToColor(int32_t bgr);
int32_t ColorToBgr(const QColor& color);

// The custom colours the colour dialog offers, fresh on every call.
const std::array<int32_t, 16>& CustomColors();

// A font size within the caller's limits (0 = no limit on that side).
double ClampFontSize(double size, int minSize, int maxSize);
