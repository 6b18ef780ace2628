// The window class of the framework's own windows; every window of it runs
// TWinControl's window procedure.
#pragma once

#include <windows.h>

#include <string>

// The name that CreateParams gives for a window of our own class.
inline constexpr char kOwnClass[] = "KorvandelWindow";

// The name of our window class with the given class styles, registered on
// first use: the default styles keep the plain name, others get theirs
// appended. A failed registration is reported, and tried again next time.
std::string OwnClassFor(UINT classStyle, WNDPROC proc);
