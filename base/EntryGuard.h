// Runs the body of a host entry point (the load sequence, a hook, a timer, a notifier)
// so that no exception leaves it: an exception becomes one console line and the call ends.
#pragma once

#include <exception>

#include "base/Log.h"

namespace postplay {

inline void ReportEntryFailure(const char* what, const char* reason) noexcept {
    try {
        Log("Postplay: {} failed: {}", what, reason);
    } catch (...) {
        // Nothing is left to report through.
    }
}

template <typename Body>
void RunGuarded(const char* what, Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& error) {
        ReportEntryFailure(what, error.what());
    } catch (...) {
        ReportEntryFailure(what, "unknown error");
    }
}

} // namespace postplay
