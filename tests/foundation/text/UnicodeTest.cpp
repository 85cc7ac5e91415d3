#include "foundation/text/Unicode.h"
#include "tests/support/TestText.h"

#include <gtest/gtest.h>

namespace {

using testing_support::Bytes;

// The ANSI code page's default character is checked where window texts and
// exception messages are converted.
TEST(Unicode, EmptySourcesEmbeddedNulsAndUtf8)
{
    EXPECT_TRUE(unicode::to_wstring(std::string()).empty() && unicode::to_wstring(string8()).empty());
    EXPECT_TRUE(unicode::to_string(std::wstring()).empty() && unicode::to_string8(std::wstring()).empty());
    EXPECT_TRUE(unicode::to_upper8(string8()).empty());
    // Conversions stop at the first NUL; upper-casing keeps it.
    const std::wstring wide(L"ab\0cd", 5);
    EXPECT_EQ(unicode::to_string(wide), "ab");
    EXPECT_EQ(unicode::to_string8(wide), Bytes("ab"));
    EXPECT_EQ(unicode::to_wstring(Bytes(std::string("ab\0cd", 5))), L"ab");
    EXPECT_EQ(unicode::to_upper(wide), std::wstring(L"AB\0CD", 5));
    EXPECT_EQ(unicode::to_string8(std::wstring(L"\u00E9\u4E2D")), Bytes("\xC3\xA9\xE4\xB8\xAD"));
    EXPECT_EQ(unicode::to_wstring(Bytes("\xC3\xA9\xE4\xB8\xAD")), L"\u00E9\u4E2D");
    EXPECT_EQ(unicode::to_upper8(Bytes("\xC3\xA9t\xC3\xA9")), Bytes("\xC3\x89T\xC3\x89"));
    EXPECT_EQ(unicode::to_string8(std::string("plain")), Bytes("plain"));
}

}  // namespace
