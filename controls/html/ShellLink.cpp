#include "controls/html/ShellLink.h"

#include "framework/Text.h"

#include <windows.h>

#include <shellapi.h>

#include <string_view>

bool IsShellLink(const std::string& href) {
    for (std::string_view scheme : {"http://", "https://", "ftp://", "mailto:"})
        if (SameText(std::string_view(href).substr(0, scheme.size()), scheme))
            return true;
    return false;
}

void OpenShellLink(const std::string& href) {
    ShellExecuteA(nullptr, "open", href.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool OpenIfShellLink(const std::string& href, const TShellOpener& opener) {
    if (!IsShellLink(href))
        return false;
    if (opener)
        opener(href);
    return true;
}
