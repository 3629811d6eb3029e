#include "base/processstate.h"

#include <vector>

namespace processstate {

static std::vector<ResetFn>& Registry() {
    static std::vector<ResetFn> fns;
    return fns;
}

bool RegisterReset(ResetFn fn) {
    Registry().push_back(fn);
    return true;
}

void ResetAll() {
    for (ResetFn fn : Registry())
        fn();
}

} // namespace processstate
