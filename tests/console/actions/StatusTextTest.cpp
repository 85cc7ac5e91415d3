#include "console/actions/StatusText.h"

#include <gtest/gtest.h>

using console::FormatStatus;
using console::kStatusBufferSize;
using console::UpdateResultName;

TEST(StatusText, UpdateResultNamesAndEmptyNameForOthers)
{
    const struct {
        int value;
        const wchar_t* name;
    } cases[] = {
        { 0, L"eUpdate_NoError" },
        { 1, L"eUpdate_Error_Install" },
        { 2, L"eUpdate_Error_Certificate" },
        { 3, L"eUpdate_Error_Registry" },
        { 4, L"eUpdate_Error_Update" },
        { 5, L"" },
        { 7, L"" },
        { -1, L"" },
        { INT_MIN, L"" },
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(UpdateResultName(c.value), c.name) << c.value;
    }
}

TEST(StatusText, LongTextIsCutAtTheBufferEnd)
{
    const std::wstring longLocale(5000, L'x');
    const std::wstring status = FormatStatus(L"Selected Lang %d out of %ls", 0, longLocale.c_str());
    ASSERT_EQ(status.size(), kStatusBufferSize - 1);
    EXPECT_EQ(status.substr(0, 24), L"Selected Lang 0 out of x");

    EXPECT_EQ(FormatStatus(L"MEV::InvokeUpdate returned %d : %ls", 7, L""), L"MEV::InvokeUpdate returned 7 : ");
}
