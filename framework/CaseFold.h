// Case folding for 8-bit texts in the system's ANSI code page: the one rule
// for every comparison that ignores case (accelerators, tag and attribute
// names, picture names, window classes).
#pragma once

#include <string>
#include <string_view>

// The lower-case form of a character, as the code page defines it.
char FoldCase(char c);
bool SameTextChar(char a, char b);
bool SameText(std::string_view a, std::string_view b);
std::string FoldedCase(std::string_view text);
