#include "controls/html/ShellIcons.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

int ImageIndex(const std::string& text) {
    return static_cast<int>(std::clamp<long long>(std::strtoll(text.c_str(), nullptr, 10), -1,
                                                  std::numeric_limits<int>::max()));
}

TShellIcon ShellIcon(const std::string& name, bool small) {
    UINT flags = SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    const bool number = !name.empty() && std::all_of(name.begin(), name.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    DWORD attributes = 0;
    // A number only needs the list; a name that does not exist is looked up by its type.
    if (number || GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) {
        flags |= SHGFI_USEFILEATTRIBUTES;
        attributes = FILE_ATTRIBUTE_NORMAL;
    }
    SHFILEINFOA info{};
    const auto list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(number ? "file" : name.c_str(), attributes, &info, sizeof(info), flags));
    const int index = number ? ImageIndex(name) : info.iIcon;
    if (!list || index < 0 || index >= ImageList_GetImageCount(list))
        return {};
    return TShellIcon{list, index};
}
