#pragma once
// Process-wide state (settings, paths, the open document ...) lives in module-level
// variables. Each module that owns such state registers a function that puts it back to
// its start-up values, so that tests can start every case from a clean process.

namespace processstate {

using ResetFn = void (*)();

// Registers fn; returns true so it can initialise a static.
bool RegisterReset(ResetFn fn);

// Runs every registered reset function, in registration order.
void ResetAll();

} // namespace processstate

#define SCRIVELLE_REGISTER_RESET(fn)                                                                         \
    [[maybe_unused]] static const bool fn##_reset_registered = ::processstate::RegisterReset(&fn)
