#include "console/actions/LocaleList.h"

#include <gtest/gtest.h>

using Codes = std::vector<std::string>;

TEST(LocaleList, SplitsAtEveryCommaKeepingCodesAsTyped)
{
    const struct {
        std::string text;
        Codes expected;
    } cases[] = {
        { "", { "ENU" } }, { "enu,deu", { "enu", "deu" } }, { ",enu", { "", "enu" } }, { "enu,", { "enu" } },
        { "enu,,deu", { "enu", "", "deu" } }, { ",,", { "", "" } }, { " enu , deu ", { " enu ", " deu " } },
        { std::string(5000, ','), Codes(5000) },  // the trailing comma adds none
    };
    for (const auto& c : cases) {
        EXPECT_EQ(console::SplitLocaleList(c.text), c.expected) << '"' << c.text.substr(0, 20) << '"';
    }
}
