#include "base/shell.h"

namespace {

class NoShell final : public IShell {
public:
    void Open(const QString&) override {}
};

NoShell gNoShell;
IShell* gDefaultShell = &gNoShell;
IShell* gShell = nullptr;

} // namespace

IShell& Shell() {
    return gShell ? *gShell : *gDefaultShell;
}

void SetShell(IShell* shell) {
    gShell = shell;
}

void SetDefaultShell(IShell* shell) {
    gDefaultShell = shell ? shell : &gNoShell;
}
