#pragma once
#include <QString>

// Opens documents and web addresses with the desktop's associated programs.
class IShell {
public:
    virtual ~IShell() = default;
    // A web address ("http://...", "mailto:...") or a local file path.
    virtual void Open(const QString& target) = 0;
};

IShell& Shell();
void SetShell(IShell* shell); // nullptr puts back the default one
// The shell used when none is set: the window layer installs the desktop's; without one
// (command-line tools) nothing is opened.
void SetDefaultShell(IShell* shell);
