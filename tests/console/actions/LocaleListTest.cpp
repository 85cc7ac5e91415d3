#include "console/actions/LocaleList.h"

#include <gtest/gtest.h>

using console::SplitLocaleList;
using Codes = std::vector<std::string>;

TEST(LocaleList, SplitsAtEveryCommaKeepingCodesAsTyped)
{
    struct Case {
        std::string text;
        Codes expected;
    } cases[] = {
        { "", { "ENU" } },
        { "enu", { "enu" } },
        { "enu,deu", { "enu", "deu" } },
        { ",enu", { "", "enu" } },
        { "enu,", { "enu" } },
        { "enu,,deu", { "enu", "", "deu" } },
        { ",", { "" } },
        { ",,", { "", "" } },
        { " enu , deu ", { " enu ", " deu " } },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitLocaleList(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(LocaleList, ThousandsOfCommasGiveOneCodeEach)
{
    const std::string text(5000, ',');
    const Codes codes = SplitLocaleList(text);
    ASSERT_EQ(codes.size(), 5000u);  // the trailing comma adds none
    EXPECT_EQ(codes.front(), "");
}
