#include "foundation/text/FormatBounded.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FormatBounded, FitsAndReportsLength)
{
    char buffer[16];
    EXPECT_EQ(FormatBounded(buffer, sizeof buffer, "0x%08lX", 5ul), 10);
    EXPECT_STREQ(buffer, "0x00000005");
    EXPECT_EQ(FormatBounded(buffer, sizeof buffer, "%%%d", 10), 3);
    EXPECT_STREQ(buffer, "%10");
}

TEST(FormatBounded, OverflowCutsAndReturnsSizeMinusOne)
{
    char narrow[8];
    EXPECT_EQ(FormatBounded(narrow, sizeof narrow, "%s", "0123456789"), 7);
    EXPECT_STREQ(narrow, "0123456");
    // Exactly size characters: one too many for the terminator.
    EXPECT_EQ(FormatBounded(narrow, sizeof narrow, "%s", "01234567"), 7);
    EXPECT_STREQ(narrow, "0123456");

    char single[1] = {'x'};
    EXPECT_EQ(FormatBounded(single, sizeof single, "%d", 42), 0);
    EXPECT_EQ(single[0], '\0');
}

TEST(FormatBounded, WideOverflowKeepsTheStartOfTheText)
{
    wchar_t wide[260];
    const std::wstring longText(1000, L'x');
    EXPECT_EQ(FormatBounded(wide, 260, L"out of %ls", longText.c_str()), 259);
    EXPECT_EQ(std::wstring(wide), L"out of " + std::wstring(252, L'x'));
    EXPECT_EQ(FormatBounded(wide, 260, L"%d, %ls", 7, L"\u00E9"), 4);
    EXPECT_STREQ(wide, L"7, \u00E9");
}

}  // namespace
