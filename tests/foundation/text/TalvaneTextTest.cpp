#include "foundation/text/TalvaneText.h"
#include "tests/support/TestText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using testing_support::Bytes;

// The texts between '|' as arguments; none for an empty string.
std::vector<string8> Arguments(const std::string& joined)
{
    std::vector<string8> result;
    for (std::size_t start = 0, stop = 0; start < joined.size(); start = stop + 1) {
        stop = std::min(joined.find('|', start), joined.size());
        result.push_back(Bytes(joined.substr(start, stop - start)));
    }
    return result;
}

TEST(TalvaneTextList, StaysSortedWithTheNewestOfEqualIdsFirst)
{
    const auto listed = [](std::vector<const TalvaneText*> among) {
        std::vector<const TalvaneText*> order;
        for (const TalvaneText* item = TalvaneText::First(); item != nullptr; item = item->Next()) {
            EXPECT_TRUE(item->Next() == nullptr || item->GetId() <= item->Next()->GetId());
            order.insert(order.end(), std::count(among.begin(), among.end(), item), item);
        }
        return order;
    };
    std::vector<const TalvaneText*> items;
    {
        const TalvaneText first(5, "first"), minus(-1, "minus"), second(5, "second");
        items = { &first, &minus, &second };
        EXPECT_EQ(listed(items), (std::vector<const TalvaneText*> { &minus, &second, &first }));
        EXPECT_EQ(listed({ &gEmptyText }).size(), 1u);
    }
    EXPECT_TRUE(listed(items).empty());
}

TEST(TalvaneTextFormat, ReplacesPlaceholders)
{
    const char* const cases[][3] = {
        { "runtime error: %0", "", "runtime error: %0" },
        { "internal software error: %0, line %1", "x.cpp|12", "internal software error: x.cpp, line 12" },
        { "%0 and %1", "%1 %0|%0", "%1 %0 and %0" },  // inserted text is not expanded again
        { "%1 before %0, %1", "a|b", "b before a, b" },
        { "%0 %2 100% %x", "a|b", "a %2 100% %x" },
        { "%10|%1|%0", "a0|a1|a2|a3|a4|a5|a6|a7|a8|a9|a10", "a10|a1|a0" },
        { "%10", "x|y", "y0" },
        { "%01", "a|b", "a1" },
    };
    for (const auto& [pattern, arguments, expected] : cases) {
        EXPECT_EQ(TalvaneText(424242, pattern).Format(Arguments(arguments)), Bytes(expected)) << pattern;
    }
}

}  // namespace
