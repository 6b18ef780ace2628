// The system's answers: which Windows runs, which common controls it
// resolves, and functions looked up at run time, so that the program starts
// on Windows XP and uses what later systems add. Tests override the answers
// here, beside the probes they stand in for.
#pragma once

#include <windows.h>

#include <optional>

// A function of a loaded library, looked up by name; null without the library
// or the function.
template <class F> F FindProc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

// The system's major version: 5 for Windows 2000 and XP, 6 from Vista on.
DWORD SystemMajorVersion();
// True from Windows Vista on (the kernel has GetLocaleInfoEx).
bool IsVistaOrLater();
// True on the NT line from Windows XP (5.1) on, and wherever IsVistaOrLater is.
bool IsXPOrLater();
// Makes IsVistaOrLater answer `answer`, so that tests run the rules of both
// kinds of system on one; std::nullopt asks the system again.
void OverrideVistaOrLater(std::optional<bool> answer);

// The major file version of "COMCTL32.DLL" as the system resolves the name,
// read through version.dll loaded at run time; none when it cannot be read.
std::optional<DWORD> CommonControlsMajorVersion();
// Common controls 6 or later; a version that cannot be read counts as such.
bool IsComCtl6();
// Makes IsComCtl6 answer `answer`; std::nullopt asks the system again.
void OverrideComCtl6(std::optional<bool> answer);
