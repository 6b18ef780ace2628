// Opening an anchor's href through the shell. Only web and mail links go
// there; a file, a program or an unknown protocol is the owner's business.
#pragma once

#include <functional>
#include <string>

// True for the hrefs that may go to the shell: web and mail links
// ("http://", "https://", "ftp://", "mailto:", any case).
bool IsShellLink(const std::string& href);
// Opens a link with the shell's "open" verb in a normally shown window.
void OpenShellLink(const std::string& href);

// What opens a shell link; replaceable so that tests open nothing.
using TShellOpener = std::function<void(const std::string& href)>;
// Hands a shell link to `opener` (an empty one opens nothing) and gives true;
// any other href is left alone and gives false.
bool OpenIfShellLink(const std::string& href, const TShellOpener& opener);
