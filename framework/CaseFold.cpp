#include "framework/CaseFold.h"

#include <windows.h>

#include <array>

namespace {
// Built once from the code page, so that folding a character is a look-up.
const std::array<char, 256>& LowerTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<char>(i);
        CharLowerBuffA(t.data() + 1, 255);
        return t;
    }();
    return table;
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
    std::string folded(text);
    for (char& c : folded)
        c = FoldCase(c);
    return folded;
}
