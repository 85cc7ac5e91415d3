#include "foundation/text/FormatBounded.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Wide: wide strings are taken and the start is kept on overflow.
TEST(FormatBounded, AlwaysTerminatesAndReturnsSizeMinusOneOnOverflowNarrowAndWide)
{
    char buffer[8] = {};
    EXPECT_EQ(FormatBounded(buffer, sizeof buffer, "%%%d", 10), 3);
    EXPECT_STREQ(buffer, "%10");
    // Exactly size characters is one too many for the terminator.
    for (const char* text : { "0123456789", "01234567" }) {
        EXPECT_EQ(FormatBounded(buffer, sizeof buffer, "%s", text), 7);
        EXPECT_STREQ(buffer, "0123456");
    }
    char single[1] = { 'x' };
    EXPECT_EQ(FormatBounded(single, sizeof single, "%d", 42), 0);
    EXPECT_EQ(single[0], '\0');
    wchar_t wide[260];
    EXPECT_EQ(FormatBounded(wide, 260, L"out of %ls", std::wstring(1000, L'x').c_str()), 259);
    EXPECT_EQ(std::wstring(wide), L"out of " + std::wstring(252, L'x'));
    EXPECT_EQ(FormatBounded(wide, 260, L"%d, %ls 0x%08lX", 7, L"\u00E9", 5ul), 15);
    EXPECT_STREQ(wide, L"7, \u00E9 0x00000005");
}

}  // namespace
