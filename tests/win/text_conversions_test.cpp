// The one module of text conversions, as the system performs them under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "text_conversions.h"

namespace {

TEST(TextConversionsTest, Utf8AndUtf16CarryEveryCharacterBothWays) {
    struct Case {
        const char* name;
        std::string utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        // name, UTF-8, UTF-16
        {"empty", "", L""},
        {"ASCII", "Tolvek", L"Tolvek"},
        {"Czech", "P\xC5\x99\xC3\xADli\xC5\xA1 \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD",
         L"P\u0159\u00EDli\u0161 \u017Elu\u0165ou\u010Dk\u00FD"},
        {"beyond the first plane", "\xF0\x9D\x84\x9E", L"\xD834\xDD1E"},
        {"an embedded NUL", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.wide, WideFromUtf8(c.utf8)) << c.name;
        EXPECT_EQ(c.utf8, Utf8FromWide(c.wide)) << c.name;
    }
    EXPECT_EQ(std::wstring(L"a\xFFFD"), WideFromUtf8("a\xC3")) << "a sequence cut short";
}

TEST(TextConversionsTest, AnsiSaysWhenACharacterDidNotArriveAsItWas) {
    // Whatever the system's ANSI code page: ASCII and the NUL pass, a CJK character has no
    // fit in any Latin code page, and a-macron is in neither Windows-1250 nor -1252.
    struct Case {
        const char* name;
        std::wstring wide;
        bool altered;
    };
    const Case cases[] = {
        // name, UTF-16, altered on the way to ANSI
        {"empty", L"", false},
        {"ASCII", L"Tolvek 1.1", false},
        {"an embedded NUL", std::wstring(L"a\0b", 3), false},
        {"no fit at all", L"\u4E2D", true},
        {"a best fit or none", L"\u0101", true},
    };
    for (const Case& c : cases) {
        bool altered = false;
        const std::string ansi = AnsiFromWide(c.wide, altered);
        EXPECT_EQ(c.altered, altered) << c.name;
        EXPECT_EQ(ansi, AnsiFromWide(c.wide)) << c.name;
        EXPECT_EQ(c.wide.size(), ansi.size()) << c.name << ": one byte a character";
        if (!c.altered) {
            EXPECT_EQ(c.wide, WideFromAnsi(ansi)) << c.name;
        }
    }
    bool altered = false;
    EXPECT_EQ("?", AnsiFromWide(L"\u4E2D", altered));

    // The calendar's seam goes through the same conversions.
    altered = false;
    EXPECT_EQ("a?", AnsiCodePage().FromUtf8("a\xE4\xB8\xAD", altered));
    EXPECT_TRUE(altered);
    EXPECT_EQ("Tolvek", AnsiCodePage().ToUtf8("Tolvek"));
}

}  // namespace
