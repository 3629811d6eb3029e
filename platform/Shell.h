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
void SetShell(IShell* shell); // nullptr puts back the desktop one
