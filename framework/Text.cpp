#include "framework/Text.h"

#include <windows.h>

#include <array>

namespace {

// Built once from the code page, so that changing a character's case is a
// look-up.
using TCaseTable = std::array<char, 256>;

TCaseTable CaseTable(DWORD(WINAPI* change)(LPSTR, DWORD)) {
    TCaseTable t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<char>(i);
    change(t.data() + 1, 255);
    return t;
}

const TCaseTable& LowerTable() {
    static const TCaseTable table = CaseTable(CharLowerBuffA);
    return table;
}

const TCaseTable& UpperTable() {
    static const TCaseTable table = CaseTable(CharUpperBuffA);
    return table;
}

std::string Mapped(std::string_view text, const TCaseTable& table) {
    std::string mapped(text);
    for (char& c : mapped)
        c = table[static_cast<unsigned char>(c)];
    return mapped;
}

} // namespace

char FoldCase(char c) {
    return LowerTable()[static_cast<unsigned char>(c)];
}

bool SameTextChar(char a, char b) {
    return FoldCase(a) == FoldCase(b);
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SameTextChar(a[i], b[i]))
            return false;
    return true;
}

std::string FoldedCase(std::string_view text) {
    return Mapped(text, LowerTable());
}

std::string UpperCase(std::string_view text) {
    return Mapped(text, UpperTable());
}

std::wstring ToWide(std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string FromWide(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::string FromWide(const wchar_t* text) {
    return text ? FromWide(std::wstring_view(text)) : std::string();
}

// Copies into a new string rather than replacing in place, which would move
// the rest of the text once per occurrence.
void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    std::size_t at = what.empty() ? std::string::npos : text.find(what);
    if (at == std::string::npos)
        return;
    std::string replaced;
    replaced.reserve(text.size());
    std::size_t done = 0;
    for (; at != std::string::npos; at = text.find(what, done)) {
        replaced.append(text, done, at - done).append(with);
        done = at + what.size();
    }
    text = std::move(replaced.append(text, done));
}

std::string DecodeLineBreaks(std::string text, std::string_view lineBreak) {
    ReplaceAll(text, "\\n", lineBreak);
    return text;
}
