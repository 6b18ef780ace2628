// The framework's text rules: case, UTF-16, replacing, written line breaks.
#include "framework/Text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextTest, CaseFoldsLettersOfTheCodePageAndNothingElse) {
    struct TCase {
        const char *a, *b;
        bool same;
    };
    const TCase cases[] = {
        {"Static", "STATIC", true}, {"img", "IMG", true}, {"a&B", "A&b", true},
        {"ab", "abc", false},       {"[", "{", false},    {"@", "`", false},
        {"1", "1", true},           {"", "", true},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(SameText(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(FoldedCase("A-Z"), "a-z");
    if (GetACP() == 1252) {
        // Letters beyond ASCII fold as the code page says: an umlaut in Western
        // European code pages.
        EXPECT_TRUE(SameTextChar('\xC4', '\xE4'));
    }
}

TEST(TextTest, UpperCaseFollowsTheSameCodePage) {
    EXPECT_EQ(UpperCase("src=\"a-z\" [x]"), "SRC=\"A-Z\" [X]");
    EXPECT_EQ(UpperCase(""), "");
    if (GetACP() == 1252) {
        // An umlaut of code page 1252, and no capital sharp s.
        EXPECT_EQ(UpperCase("gr\xFC\xDF"), "GR\xDC\xDF") << "an umlaut, and no capital sharp s";
    }
}

TEST(TextTest, WideTextsRoundTripThroughTheCodePage) {
    for (const std::string text : {"", "Kopierergebnis", "a\tb\r\nc"}) {
        EXPECT_EQ(FromWide(ToWide(text)), text) << text;
        EXPECT_EQ(ToWide(text).size(), text.size()) << text;
    }
    EXPECT_EQ(FromWide(static_cast<const wchar_t*>(nullptr)), "");
    EXPECT_EQ(FromWide(L"Hilfe"), "Hilfe");
    if (GetACP() == 1252) {
        EXPECT_EQ(ToWide("Gr\xFC\xDF"
                         "e"),
                  L"Gr\u00FC\u00DF"
                  L"e");
        EXPECT_EQ(FromWide(L"Gr\u00FC\u00DF"
                           L"e"),
                  "Gr\xFC\xDF"
                  "e");
    }
}

TEST(TextTest, ReplaceAllGoesLeftToRightAndNeverRescansWhatItPutIn) {
    struct TCase {
        const char *Text, *What, *With, *Expected;
    };
    const TCase cases[] = {
        {"&lt;b&gt;", "&lt;", "<", "<b&gt;"},
        {"aaaa", "aa", "a", "aa"},
        {"ab", "b", "bb", "abb"},
        {"x", "y", "z", "x"},
        {"", "a", "b", ""},
        {"abc", "", "-", "abc"},
    };
    for (const TCase& c : cases) {
        std::string text = c.Text;
        ReplaceAll(text, c.What, c.With);
        EXPECT_EQ(text, c.Expected) << c.Text << " / " << c.What;
    }
}

TEST(TextTest, BackslashNPairsBecomeTheGivenLineBreak) {
    struct TCase {
        const char *Text, *Expected;
    };
    const TCase cases[] = {
        {"erste\\nzweite", "erste|zweite"},
        {"\\n\\n", "||"},
        {"C:\\\\neu", "C:\\|eu"},
        {"Ende\\", "Ende\\"},
        {"n\\", "n\\"},
        {"ohne", "ohne"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(DecodeLineBreaks(c.Text, "|"), c.Expected) << c.Text;
}

} // namespace
