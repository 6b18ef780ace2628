#include "framework/Errors.h"

#include <windows.h>

#include <exception>

namespace {
TExceptionHook& Hook() {
    static TExceptionHook hook;
    return hook;
}

// Writes the report to the debugger output and hands it to the hook.
void Report(const char* kind, const char* where, const std::string& what) {
    const std::string line = std::string("Korvandel: ") + kind + where + ": " + what + "\n";
    OutputDebugStringA(line.c_str());
    if (Hook())
        Hook()(where, what);
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
        Report("exception in ", where, what);
    } catch (...) {
        // The report itself failed (no memory, a throwing hook): nothing more to do.
    }
}

void ReportSystemFailure(const char* where, const std::string& call, unsigned long error) noexcept {
    try {
        Report("failure in ", where, call + " failed with error " + std::to_string(error));
    } catch (...) {
        // As above: a report must not throw.
    }
}

TExceptionHook SetExceptionHook(TExceptionHook hook) {
    TExceptionHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}
