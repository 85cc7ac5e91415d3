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

// Debug output that is valid UTF-8 beyond ASCII is kept as written; any
// other is read in the ANSI code page (1252 under the tests).
TEST(Unicode, DebugTextIsKeptWhereItIsUtf8AndReadAsAnsiElsewhere)
{
    const struct {
        const char* what;
        std::string bytes;
        bool valid;
    } rows[] = {
        { "two-byte characters", "Gr\xC3\xBC\xC3\x9F\x65", true },
        { "three-byte characters", "\xE2\x80\x93 \xE6\xB8\xA9\xE5\xBA\xA6", true },
        { "a four-byte character", "\xF0\x9F\x98\x80", true },
        { "the largest code point", "\xF4\x8F\xBF\xBF", true },
        { "ASCII only", std::string("plain\0\x7F", 7), true },
        { "nothing", "", true },
        { "a Latin-1 byte", "caf\xE9", false },
        { "a two-byte character cut", "x\xC3", false },
        { "a three-byte character cut", "x\xE6\xB8", false },
        { "a four-byte character cut", "x\xF0\x9F\x98", false },
        { "a character cut before ASCII", "\xE6\xB8x", false },
        { "a stray continuation byte", "\xC3\xA9\x80", false },
        { "an overlong two-byte form", "\xC1\xBF", false },
        { "an overlong three-byte form", "\xE0\x9F\xBF", false },
        { "an overlong four-byte form", "\xF0\x8F\xBF\xBF", false },
        { "a surrogate", "\xED\xA0\x80", false },
        { "past U+10FFFF", "\xF4\x90\x80\x80", false },
        { "a five-byte form", "\xF8\x88\x80\x80\x80", false },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(unicode::is_valid_utf8(row.bytes), row.valid) << row.what;
        std::string ansi;
        unicode::append_ansi_as_utf8(ansi, row.bytes);
        std::string debug = "kept: ";
        unicode::append_debug_text_as_utf8(debug, row.bytes);
        EXPECT_EQ(debug, "kept: " + (row.valid ? row.bytes : ansi)) << row.what;
    }
    std::string latin;
    unicode::append_debug_text_as_utf8(latin, "caf\xE9");
    EXPECT_EQ(latin, "caf\xC3\xA9");
}

}  // namespace
