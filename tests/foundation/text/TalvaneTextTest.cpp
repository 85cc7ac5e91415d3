#include "foundation/text/TalvaneText.h"
#include "foundation/text/LanguageImpl.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

string8 Bytes(const char* text)
{
    return string8(reinterpret_cast<const unsigned char*>(text));
}

std::vector<string8> Arguments(std::initializer_list<const char*> texts)
{
    std::vector<string8> result;
    for (const char* text : texts) {
        result.push_back(Bytes(text));
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

struct FormatCase {
    const char* name;
    const char* pattern;
    std::vector<string8> arguments;
    const char* expected;
};

class TalvaneTextFormat : public testing::TestWithParam<FormatCase> { };

TEST_P(TalvaneTextFormat, ReplacesPlaceholders)
{
    const TalvaneText item(424242, GetParam().pattern);
    EXPECT_EQ(item.Format(GetParam().arguments), Bytes(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, TalvaneTextFormat,
    testing::Values(FormatCase { "NoArguments", "runtime error: %0", {}, "runtime error: %0" },
        FormatCase { "TwoArguments", "internal software error: %0, line %1", Arguments({ "x.cpp", "12" }),
            "internal software error: x.cpp, line 12" },
        FormatCase { "ArgumentsAreNotExpandedAgain", "%0 and %1", Arguments({ "%1 %0", "%0" }), "%1 %0 and %0" },
        FormatCase { "ReorderedAndRepeated", "%1 before %0, %1", Arguments({ "a", "b" }), "b before a, b" },
        FormatCase { "UnmatchedStay", "%0 %2 100% %x", Arguments({ "a", "b" }), "a %2 100% %x" },
        FormatCase { "TenWithElevenArguments", "%10|%1|%0",
            Arguments({ "a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a9", "a10" }), "a10|a1|a0" },
        FormatCase { "TenWithTwoArguments", "%10", Arguments({ "x", "y" }), "y0" },
        FormatCase { "LeadingZeroIsOnlyZero", "%01", Arguments({ "a", "b" }), "a1" }),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

class TalvaneTextTranslation : public testing::Test {
protected:
    void TearDown() override { Select(TalvaneText::LanguageImpl::kEmbeddedEnglish); }
    void Select(std::int32_t index) { TalvaneText::Language().SetLanguage(index, unicode::to_string8(mFolder.path())); }
    testing_support::TempFolder mFolder { L"translation" };
};

TEST_F(TalvaneTextTranslation, TableEntryWinsUntilTheTableIsCleared)
{
    const TalvaneText translated(9001, "default"), blank(9002, "blank"), other(9003, "other"), reordered(9004, "%0-%1");
    mFolder.WriteFile(L"ITA.txt",
        "\xEF\xBB\xBF"
        "9001 tradotto\n9002   \n9004 %1: %0 (%1)\n");
    Select(8);
    EXPECT_EQ(translated.GetText(), Bytes("tradotto"));
    EXPECT_EQ(blank.GetText(), Bytes("blank"));
    EXPECT_EQ(other.GetText(), Bytes("other"));
    EXPECT_EQ(reordered.Format(Arguments({ "x", "y" })), Bytes("y: x (y)"));
    Select(TalvaneText::LanguageImpl::kEmbeddedEnglish);
    EXPECT_EQ(translated.GetText(), Bytes("default"));
}

}  // namespace
