// Icons of the shell's system image lists, named in markup by a file or
// folder name or by an index into the list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// An image index written in a source; out-of-range numbers stay out of range
// rather than overflow.
int ImageIndex(const std::string& text);

// An image of the system's small or large image list; List is null when the
// name gives none.
struct TShellIcon {
    HIMAGELIST List = nullptr;
    int Index = -1;
};

// The icon of the file or folder `name` (a name that does not exist by its
// type), or, for a number, that index of the list.
TShellIcon ShellIcon(const std::string& name, bool small);
