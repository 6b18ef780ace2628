// Exceptions that reach a boundary to the system (window procedure, paint,
// timer, event handler) stop there: nothing may unwind through the system's
// code. They are reported, never dropped silently; so are failed system calls
// that the program goes on without.
#pragma once

#include <functional>
#include <string>

using TExceptionHook = std::function<void(const std::string& where, const std::string& what)>;

// Called from inside a `catch (...)`: writes the exception to the debugger
// output and hands it to the hook. Never throws.
void ReportBoundaryException(const char* where) noexcept;

// Reports a system call that failed where the program goes on without its
// result (a window class or window that could not be made), with the
// system's error code, the same way as an exception. Never throws.
void ReportSystemFailure(const char* where, const std::string& call, unsigned long error) noexcept;

// Replaces the hook (an empty one removes it); returns the previous one.
TExceptionHook SetExceptionHook(TExceptionHook hook);
