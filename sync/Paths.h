#pragma once

#include <string>
#include <string_view>

// A character that ends a folder part: the delimiter, and on Windows a drive's ':'.
bool IsFolderBreak(char c);

// Everything up to and including the last delimiter or drive colon ("" if none).
std::string FolderPart(std::string_view path);

// The folder a file lies in: everything before its last delimiter, except that a
// root keeps its delimiter ("E:\" for "E:\x", "/" for "/x").
std::string FileFolder(std::string_view path);

// A name for a temporary file in the folder of path, with the program's name in
// it; the comparison skips such names (leading "~", extension ".tmp"). attempt
// varies the name after a clash. While it is being made, the file also carries
// the back end's own mark (hidden on Windows, no permissions elsewhere): only a
// file with both is ever taken for a leftover.
std::string TempPathBeside(std::string_view path, unsigned attempt);

// True for a name that TempPathBeside makes, and for no other.
bool IsOwnTempName(std::string_view name);

// The last part of a path: everything after its last delimiter or drive colon.
std::string_view NamePart(std::string_view path);

// The root of a full exact path: "E:\" for "E:\x\y", "\\server\share\" for a
// network path, "/" elsewhere; empty when there is none.
std::string RootPart(std::string_view path);
