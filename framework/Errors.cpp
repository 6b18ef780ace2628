#include "framework/Errors.h"

#include <windows.h>

#include <exception>

namespace {
TExceptionHook& Hook() {
    static TExceptionHook hook;
    return hook;
}
} // namespace

void ReportBoundaryException(const char* where) noexcept {
    try {
        std::string what;
        try {
            throw;
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
            what = "unknown exception";
        }
        const std::string line =
            std::string("Korvandel: exception in ") + where + ": " + what + "\n";
        OutputDebugStringA(line.c_str());
        if (Hook())
            Hook()(where, what);
    } catch (...) {
        // The report itself failed (no memory, a throwing hook): nothing more to do.
    }
}

TExceptionHook SetExceptionHook(TExceptionHook hook) {
    TExceptionHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}
