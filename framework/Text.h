// Texts: 8-bit strings in the system's ANSI code page. The one case rule for
// every comparison that ignores case (accelerators, tag and attribute names,
// picture names, window classes, list box prefixes), the conversion to and
// from UTF-16, replacing, and the backslash-n pairs that captions and dialog
// texts write for line breaks.
#pragma once

#include <string>
#include <string_view>

// The lower-case form of a character, as the code page defines it.
char FoldCase(char c);
bool SameTextChar(char a, char b);
bool SameText(std::string_view a, std::string_view b);
std::string FoldedCase(std::string_view text);
// The upper-case form, by the same code page.
std::string UpperCase(std::string_view text);

// The text in UTF-16 and back, through the ANSI code page.
std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view text);
// A null-terminated UTF-16 text; null gives an empty one.
std::string FromWide(const wchar_t* text);

// Every occurrence of `what` replaced with `with`, from left to right.
void ReplaceAll(std::string& text, std::string_view what, std::string_view with);
// The two characters backslash and n become `lineBreak`.
std::string DecodeLineBreaks(std::string text, std::string_view lineBreak);
