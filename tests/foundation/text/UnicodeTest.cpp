#include "foundation/text/Unicode.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

string8 Bytes(const char* text)
{
    return string8(reinterpret_cast<const unsigned char*>(text));
}

TEST(Unicode, EmptySourceGivesEmptyResultEverywhere)
{
    EXPECT_TRUE(unicode::to_wstring(std::string()).empty());
    EXPECT_TRUE(unicode::to_wstring(string8()).empty());
    EXPECT_TRUE(unicode::to_wstring(std::wstring()).empty());
    EXPECT_TRUE(unicode::to_string(std::wstring()).empty());
    EXPECT_TRUE(unicode::to_string(string8()).empty());
    EXPECT_TRUE(unicode::to_string8(std::wstring()).empty());
    EXPECT_TRUE(unicode::to_string8(std::string()).empty());
    EXPECT_TRUE(unicode::to_upper(std::wstring()).empty());
    EXPECT_TRUE(unicode::to_upper8(string8()).empty());
}

TEST(Unicode, ConversionStopsAtEmbeddedNul)
{
    const std::wstring wide(L"AB\0CD", 5);
    EXPECT_EQ(unicode::to_string(wide), "AB");
    EXPECT_EQ(unicode::to_string8(wide), Bytes("AB"));
    EXPECT_EQ(unicode::to_wstring(std::string("AB\0CD", 5)), L"AB");
    EXPECT_EQ(unicode::to_wstring(string8(reinterpret_cast<const unsigned char*>("AB\0CD"), 5)), L"AB");
}

TEST(Unicode, EAcuteRoundTripsThroughUtf8)
{
    const string8 utf8 = unicode::to_string8(std::wstring(L"\u00E9"));
    ASSERT_EQ(utf8.size(), 2u);
    EXPECT_EQ(utf8[0], 0xC3);
    EXPECT_EQ(utf8[1], 0xA9);
    EXPECT_EQ(unicode::to_wstring(utf8), L"\u00E9");
}

TEST(Unicode, NarrowRoutesPassThroughTheAnsiCodePage)
{
    // U+4E2D is outside the Western code pages: it becomes the default character.
    const std::wstring outside(L"a\u4E2Db");
    const std::string narrow = unicode::to_string(outside);
    ASSERT_EQ(narrow.size(), 3u);
    EXPECT_EQ(narrow[0], 'a');
    EXPECT_EQ(narrow[2], 'b');
    EXPECT_NE(unicode::to_wstring(narrow), outside);
    EXPECT_EQ(unicode::to_string(unicode::to_string8(std::wstring(L"plain"))), "plain");
    EXPECT_EQ(unicode::to_string8(std::string("plain")), Bytes("plain"));
}

TEST(Unicode, UpperCasingKeepsEmbeddedNulOnNt)
{
    EXPECT_EQ(unicode::to_upper(L"abc"), L"ABC");
    EXPECT_EQ(unicode::to_upper8(Bytes("\xC3\xA9t\xC3\xA9")), Bytes("\xC3\x89T\xC3\x89"));
    ASSERT_FALSE(unicode::IsNonNtPlatform());
    const std::wstring upper = unicode::to_upper(std::wstring(L"ab\0cd", 5));
    EXPECT_EQ(upper, std::wstring(L"AB\0CD", 5));
}

}  // namespace
