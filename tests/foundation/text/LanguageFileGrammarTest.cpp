#include "foundation/text/LanguageFileGrammar.h"
#include "foundation/text/LanguageTable.h"
#include "tests/foundation/text/LanguageFileOracle.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Table = std::map<std::int32_t, string8>;

string8 Bytes(const std::string& text)
{
    return string8(text.begin(), text.end());
}

Table Parse(const std::string& content)
{
    const string8 bytes = Bytes(content);
    std::vector<languagefile::Entry> entries;
    languagefile::ParseContent(bytes.data(), 0, bytes.size(), entries);
    languagefile::LanguageTable table;
    table.Assign(bytes, entries);
    Table result;
    for (std::size_t i = 0; i < table.Size(); ++i) {
        result[table.IdAt(i)] = table.TextAt(i);
    }
    return result;
}

struct LineCase {
    const char* name;
    std::string line;
    Table expected;
};

class LanguageFileLine : public testing::TestWithParam<LineCase> { };

TEST_P(LanguageFileLine, IsReadAsTheGrammarSays)
{
    EXPECT_EQ(Parse(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, LanguageFileLine,
    testing::Values(LineCase { "HexLowerCasePrefix", "0x1F Hello", { { 31, Bytes("Hello") } } },
        LineCase { "HexUpperCasePrefixReadsZero", "0X1F Hello", {} }, LineCase { "Zero", "0 Hello", {} },
        LineCase { "LeadingZerosAreNotOctal", "012 twelve", { { 12, Bytes("twelve") } } },
        LineCase { "TextDirectlyAfterId", "12Hello", { { 12, Bytes("Hello") } } },
        LineCase { "HexLettersBelongToTheId", "0x1Fab c", { { 8107, Bytes("c") } } },
        LineCase { "Extremes", "2147483647 max\n-2147483648 min\n0x7fffffff h",
            { { INT32_MIN, Bytes("min") }, { INT32_MAX, Bytes("h") } } },
        LineCase { "OutOfRange", "2147483648 a\n-2147483649 b\n0x80000000 c\n99999999999999999999 d", {} },
        LineCase { "Signs", "-11 minus\n+7 plus\n0x-1F hex",
            { { -31, Bytes("hex") }, { -11, Bytes("minus") }, { 7, Bytes("plus") } } },
        LineCase { "BrokenSigns", "- 1 a\n+-7 b\n-0x1F c", {} },
        LineCase { "HexPrefixes", "0x text\n0x0x1F twice\n0x+0x0x1F thrice", { { 31, Bytes("twice") } } },
        LineCase { "GroupSeparatorEndsTheId", "1,000 x", { { 1, Bytes(",000 x") } } },
        LineCase { "LeadingWhitespace", " 12 a\n\t13 b", {} },
        LineCase { "Comments", ";12 a\n#13 b\n14 c;d #e", { { 14, Bytes("c;d #e") } } },
        LineCase { "IdAloneStoresEmpty", "12\n13   ", { { 12, {} }, { 13, {} } } },
        LineCase { "OuterBlanksGoInnerStay", "12 \t\v\fa  b\t \v\f", { { 12, Bytes("a  b") } } },
        LineCase { "BytesKeptAsTheyAre", "5 \\n \"q\" \xC3\xA9", { { 5, Bytes("\\n \"q\" \xC3\xA9") } } },
        LineCase {
            "NulEndsTheLine", std::string("12 ab\0cd\n1\0002 x\n\0003 y", 19), { { 1, {} }, { 12, Bytes("ab") } } },
        LineCase { "AnyRunOfLineBreaksSeparates", "\r\n\r\n1 a\r\n2 b\n3 c\r4 d\n\r\n\r\r\n5 e",
            { { 1, Bytes("a") }, { 2, Bytes("b") }, { 3, Bytes("c") }, { 4, Bytes("d") }, { 5, Bytes("e") } } },
        LineCase { "LaterLineWins", "12 first\n-3 minus\n0x0c second\n7 seven\n12 third",
            { { -3, Bytes("minus") }, { 7, Bytes("seven") }, { 12, Bytes("third") } } }),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// Ids are read as the C++ library's stream extraction reads them: compare
// with it on many short lines built from the characters that matter.
TEST(LanguageFileIds, MatchStreamExtraction)
{
    const std::string alphabet = "0123456789abcdefxX+- A#";
    std::mt19937 random(4);
    for (int round = 0; round < 20000; ++round) {
        std::string line = round % 2 == 0 ? "0x" : "";
        for (unsigned length = random() % 14; length > 0; --length) {
            line.push_back(alphabet[random() % alphabet.size()]);
        }
        const string8 bytes = Bytes(line);
        ASSERT_EQ(Parse(line), oracle::ExpectedTable(bytes.data(), bytes.size())) << '"' << line << '"';
    }
}

}  // namespace
