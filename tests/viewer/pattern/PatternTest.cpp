// The pattern engine: a table of constructs (chiefly those the differential
// fuzzer cannot judge against std::regex: UTF-8, NUL bytes, long texts,
// the literal prefilters; its seed corpus, replayed here, holds more), what
// is refused and why, the pathological cases and the give-up budget.
#include "viewer/pattern/Pattern.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TestPaths.h"
#include "tests/viewer/pattern/fuzz/PatternOracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

using namespace tracing;

namespace {

using pattern::Pattern;
using pattern::SearchResult;

constexpr bool kCase = true;
constexpr bool kAnyCase = false;

TEST(PatternTest, EachConstructMatchesAsInEcmaScript)
{
    const struct {
        const char* pattern;
        bool matchCase;
        std::string text;
        bool matches;
    } rows[] = {
        // '.', classes and their escapes, assertions.
        { "a.c", kCase, std::string("a\0c", 3), true },
        { "^[-a]+[a-]$", kCase, "-a-", true },
        { "[\\]\\\\]", kCase, "a\\b", true },
        { "[\\b]", kCase, "\b", true },
        { "[^\\d\\s]", kCase, "1 2 x", true },
        { "\\d\\D\\w\\W\\s\\S", kCase, "1a_- x", true },
        { "cat$", kCase, "cat\n", false },
        // Groups, alternation, quantifiers counted and lazy.
        { "x(?:abc|zbc)", kCase, "xabx", false },
        { "^(?:ab){2}$", kCase, "ab", false },
        { "^a{0}b", kCase, "b", true },
        { "^(?:x{1000}){9}$", kCase, std::string(9000, 'x'), true },  // the largest count, nearly the largest program
        // Escapes for characters, and punctuation standing for itself.
        { "\\t\\n\\r\\f\\v", kCase, "\t\n\r\f\v", true },
        { "a\\0b", kCase, std::string("a\0b", 3), true },
        { "\\x41\\u0042\\cJ", kCase, "AB\n", true },
        { "\\.\\*\\+\\?\\(\\)\\[\\{\\|\\^\\$\\/", kCase, ".*+?()[{|^$/", true },
        // Skipping to where a match may start must not skip a match.
        { "\\t40[0-3]2\\t", kCase, "\t4091\t4012\tx", true },
        { "ab\\b", kCase, "abc ab", true },
        { "aab", kCase, "aaab", true },
        { "ab-cd", kCase, "b-cd ab-c", false },  // found by its rarest byte, at either end of the text
        { "ab-cd", kAnyCase, "xAB-CD", true },
        { "TOKEN -", kAnyCase, "token token - x", true },
        // Without matchCase ASCII folds, in literals, classes and negated classes.
        { "HeLLo", kCase, "say hello", false },
        { "[a-c]+x", kAnyCase, "ABCX", true },
        { "[^a]", kAnyCase, "A", false },
        { "\\W", kAnyCase, "a", false },
        // Texts are read as UTF-8 code points; case is folded for ASCII only.
        { "^.{4}$", kCase, "\xE2\x82\xAC\xC3\xA9xy", true },  // four code points in seven bytes
        { "^.{3}$", kCase, "\xE2\x82\xAC\xC3\xA9xy", false },
        { "^[^a]$", kCase, "\xF0\x9F\x98\x80", true },
        { "\\xE9", kCase, "caf\xC3\xA9", true },
        { "\\uD83D\\uDE00", kCase, "\xF0\x9F\x98\x80", true },
        { "[\xC3\xA0-\xC3\xBF]", kCase, "caf\xC3\xA9", true },
        { "\xC3\xA9+x", kCase, "\xC3\xA9\xC3\xA9x", true },
        { "\xC3\x89", kAnyCase, "\xC3\xA9", false },
        // Bytes that are not UTF-8 count one each, and never join a neighbour.
        { "^a.z$", kCase, "a\xFFz", true },
        { "^..$", kCase, "\xE2\x82", true },
        { "^.$", kCase, "\xE0\x80\xAF", false },  // overlong
        { "^.$", kCase, "\xED\xA0\x80", false },  // surrogate
        { "\xFF", kCase, "a\xFF", true },
        { "^\\D\\W\\S$", kCase, "\xFF\xFE\xFD", true },
    };
    for (const auto& row : rows) {
        std::string error;
        const auto compiled = Pattern::Compile(row.pattern, row.matchCase, error);
        ASSERT_TRUE(compiled) << row.pattern << ": " << error;
        EXPECT_EQ(compiled->Search(row.text), row.matches ? SearchResult::Match : SearchResult::NoMatch)
            << row.pattern << " in \"" << row.text << "\"";
    }
}

std::string Joined(const std::vector<std::string_view>& fields)
{
    std::string joined;
    pattern::JoinFields(fields, joined);
    return joined;
}

// A line searched field by field answers as the fields joined by tabs:
// tabs in the pattern cross fields, anchors hold at the ends of the line
// only; word boundaries and bytes beyond ASCII take the joined way.
TEST(PatternTest, FieldsAnswerAsTheJoinedLine)
{
    const struct {
        const char* pattern;
        bool matchCase;
        std::vector<std::string_view> fields;
        bool matches;
    } rows[] = {
        { "\\t40[0-3]2\\t", kCase, { "12", "4002", "x" }, true },
        { "\\t40[0-3]2\\t", kCase, { "12", "4012", "" }, true },  // the tab before an empty last field
        { "\\t40[0-3]2\\t", kCase, { "12", "4002" }, false },  // no tab after the last field
        { "^12\\t", kCase, { "12", "4" }, true },
        { "^4", kCase, { "12", "4" }, false },  // a field's start is not the line's
        { "1$", kCase, { "1", "2" }, false },  // nor its end
        { "^$", kCase, { "" }, true },
        { "^\\t$", kCase, { "", "" }, true },
        { "b\\tc", kAnyCase, { "a", "B", "C" }, true },
        { "\\t\\t", kCase, { "a", "", "c" }, true },
        { "ab", kCase, { "a", "b" }, false },
        { "a.b", kCase, { "a", "b" }, true },  // '.' takes the tab between them
        { "a[^\\t]b", kCase, { "a", "b" }, false },
        { "x\\b", kCase, { "ax", "y" }, true },
        { "\xC3\xA9\\tx", kCase, { "caf\xC3\xA9", "x" }, true },
        { "^.{3}$", kCase, { "\xC3\xA9", "x" }, true },  // two code points and the tab
        { "token - (enter|return)", kAnyCase, { "1", "", "Token - Return" }, true },
    };
    for (const auto& row : rows) {
        std::string error;
        const auto compiled = Pattern::Compile(row.pattern, row.matchCase, error);
        ASSERT_TRUE(compiled) << row.pattern << ": " << error;
        const SearchResult expected = row.matches ? SearchResult::Match : SearchResult::NoMatch;
        std::string scratch;
        EXPECT_EQ(compiled->SearchFields(row.fields, scratch), expected) << row.pattern << " in " << Joined(row.fields);
        EXPECT_EQ(compiled->Search(Joined(row.fields)), expected) << row.pattern << " in " << Joined(row.fields);
    }
}

// Lines made at random from bytes that every shortcut turns on: tabs, digits,
// letters in both cases, a byte beyond ASCII, empty fields. Lines whose
// fields hold no tab are also searched as such (FieldTabs::Between).
TEST(PatternTest, FieldsAgreeWithTheJoinedLineOnGeneratedLines)
{
    const char* const patterns[] = { "\\t40[0-3]2\\t", "^1", "x$", "\\t\\t", "ab\\tc", "[0-9]+\\tx", "a.b",
        "^[^\\t]*\\t[^\\t]*$", "b\\b", "\xC3\xA9", "(a|\\t)b", "Ab", "\\tb*\\t", "4\\t?0", "\\tAb", "\\t40\\t2",
        "\\tab?\\tx", "\\t4$", "\\t0*1" };
    std::vector<std::pair<std::string, Pattern>> compiled;
    for (const char* source : patterns) {
        for (const bool matchCase : { kCase, kAnyCase }) {
            std::string error;
            const auto pattern = Pattern::Compile(source, matchCase, error);
            ASSERT_TRUE(pattern) << source << ": " << error;
            compiled.emplace_back(std::string(source) + (matchCase ? "" : " (any case)"), *pattern);
        }
    }
    const std::string_view pieces[] = { "a", "A", "b", "x", "0", "1", "2", "4", "40", "\t", " ", "\xC3\xA9", "\xC3" };
    std::mt19937 random(20240611);
    for (int line = 0; line < 400; ++line) {
        std::vector<std::string> texts(1 + random() % 6);
        for (std::string& text : texts) {
            for (std::size_t n = random() % 7; n > 0; --n) {
                text += pieces[random() % std::size(pieces)];
            }
        }
        const std::vector<std::string_view> fields(texts.begin(), texts.end());
        const std::string joined = Joined(fields);
        const bool tabsBetween = std::none_of(
            texts.begin(), texts.end(), [](const std::string& text) { return text.find('\t') != std::string::npos; });
        for (const auto& [name, pattern] : compiled) {
            std::string scratch;
            const SearchResult expected = pattern.Search(joined);
            EXPECT_EQ(pattern.SearchFields(fields, scratch), expected) << name << " in " << joined;
            if (tabsBetween) {
                EXPECT_EQ(pattern.SearchFields(fields, scratch, tracing::pattern::FieldTabs::Between), expected)
                    << name << " in " << joined << " (tabs between fields only)";
            }
        }
    }
}

// Patterns anchored at the start (the automaton tried on the first bytes
// before any literal is looked for) and patterns whose every match starts
// with a tab (tried only at the fields that begin right, the first field
// never read), against the program stepped plainly, on lines made of the
// bytes those shortcuts turn on, some past the bytes the first one reads.
TEST(PatternTest, AnchoredAndTabLedPatternsAgreeWithThePlainSteppingOnGeneratedLines)
{
    const char* const patterns[] = { "^ *Token - (enter|return)", "^a", "^[0-9]+\\t", "^(a|\\t)*$", "^.{70}", "^a.*b$",
        "^x?$", "^ *$", "\\t40[0-3]2\\t", "\\t4", "\\t\\t", "\\t40\\t2", "\\t(a|b)\\tx", "\\ta$", "\\tA+b?",
        "\\t[0-9]*$", "\\t\xC3\xA9" };
    const std::string filler(40, 'a');
    const std::string_view pieces[]
        = { "a", "A", "b", "x", "0", "2", "4", "40", "\t", " ", "Token - ", "enter", "\xC3\xA9", filler };
    std::mt19937 random(4002);
    for (int line = 0; line < 300; ++line) {
        std::string text;
        for (std::size_t n = random() % 10; n > 0; --n) {
            text += pieces[random() % std::size(pieces)];
        }
        for (const char* pattern : patterns) {
            for (const bool matchCase : { kCase, kAnyCase }) {
                const std::optional<std::string> problem
                    = pattern_oracle::Disagreement({ .mMatchCase = matchCase, .mPattern = pattern, .mText = text });
                EXPECT_FALSE(problem) << pattern << (matchCase ? "" : " (any case)") << " in " << text << ": "
                                      << problem.value_or("");
            }
        }
    }
}

TEST(PatternTest, RefusedPatternsSayWhyAndWhere)
{
    const struct {
        std::string pattern;
        const char* words;
    } rows[] = {
        { "", "empty" },
        { "ab(c", "position 3: the group opened here is not closed" },
        { "a)", "position 2: ')' closes no group" },
        { "*a", "position 1: '*' has nothing to repeat" },
        { "a{", "position 2: '{' must begin a count" },
        { "a{,2}", "must begin a count" },
        { "a**", "position 3: a quantifier cannot follow another" },
        { "a{2}{3}", "cannot follow another" },
        { "^*", "assertion" },
        { "x{2,1}", "below its smallest" },
        { "[z-a]", "runs backwards" },
        { "[ab", "position 1: the class opened here is not closed" },
        { "[]a]", "cannot start with ']'" },
        { "[\\d-z]", "range cannot start or end with a class" },
        { "\\q", "\\q is not a known escape" },
        { "a\\", "ends in the middle of an escape" },
        { "\\x4", "two hexadecimal digits" },
        { "\\u{41}", "four hexadecimal digits" },
        { "\\c1", "followed by a letter" },
        { "(?x)", "must begin a group such as (?:" },
        { "(a)\\1", "Back-references such as \\1 are not supported (at position 4)" },
        { "\\01", "Octal escapes" },
        { "(?!a)", "Lookahead" },
        { "(?<=a)", "Lookbehind" },
        { "(?<n>a)", "Named groups" },
        { "[[:alpha:]]", "POSIX classes" },
        { "\xC3\xA9\xC3\xA9)", "position 3" },  // positions count characters, not bytes
        { "x{1001}", "Counts above 1000" },
        { "(?:a{1000}){10}", "too large" },
        { std::string(101, '(') + std::string(101, ')'), "nested more than 100 deep" },
        // Far past the limit: refused at the limit, without running out of stack.
        { std::string(100000, '('), "nested more than 100 deep" },
    };
    for (const auto& row : rows) {
        std::string error = "stale";
        EXPECT_FALSE(Pattern::Compile(row.pattern, true, error)) << row.pattern;
        EXPECT_NE(error.find(row.words), std::string::npos) << row.pattern << ": " << error;
    }
    std::string error;
    EXPECT_TRUE(Pattern::Compile(std::string(100, '(') + "a" + std::string(100, ')'), true, error)) << error;
    EXPECT_TRUE(error.empty()) << error;
}

// What makes a backtracking matcher hang or overflow its stack answers
// correctly here and at once; past the step budget a search gives up.
// Each row ends within the engine's bound of work on a text: the last one by
// giving up on it.
TEST(PatternTest, PathologicalPatternsAnswerOrGiveUpWithinTheirBoundOfWork)
{
    const struct {
        const char* pattern;
        std::string text;
        SearchResult expected;
    } rows[] = {
        { "(a+)+$", std::string(40, 'a') + "!", SearchResult::NoMatch },
        { "(x+x+)+y", "y" + std::string(5000, 'x'), SearchResult::NoMatch },
        { "(a|aa)*b", std::string(5000, 'a') + "c", SearchResult::NoMatch },
        { "(?:a*)*$", std::string(5000, 'a') + "!", SearchResult::Match },
        // Too many states for a deterministic automaton: the threads are stepped.
        { "(a|b)*a[ab]{20}", std::string(200, 'b') + "a" + std::string(19, 'b'), SearchResult::NoMatch },
        { "(a|b)*a[ab]{20}", std::string(200, 'b') + "a" + std::string(20, 'b'), SearchResult::Match },
        { ".*x", std::string(65536, 'a') + "x", SearchResult::Match },
        { "(.*)*y$", std::string(65536, 'a') + "yz", SearchResult::NoMatch },
        { "\\w{1000}[!?]", std::string(2000, 'a') + "!", SearchResult::Match },  // within the budget
        { "\\w{1000}[!?]", std::string(1 << 20, 'a'), SearchResult::GaveUp },
    };
    for (const auto& row : rows) {
        std::string error;
        const auto compiled = Pattern::Compile(row.pattern, true, error);
        ASSERT_TRUE(compiled) << error;
        const Pattern copy = *compiled;  // shares the program
        EXPECT_EQ(copy.Search(row.text), row.expected) << row.pattern;
    }
}

// The fuzzer's seed corpus, copied beside the test program at configure time:
// each seed agrees with std::regex and with the threads stepped alone.
TEST(PatternTest, FuzzCorpusReplays)
{
    int files = 0;
    for (const auto& item :
        std::filesystem::directory_iterator(testing_support::TestProgramFolder() + L"\\corpus\\pattern")) {
        const std::string input = testing_support::ReadFileBytes(item.path().wstring());
        const auto disagreement = pattern_oracle::Disagreement(
            pattern_oracle::SplitInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()));
        EXPECT_FALSE(disagreement) << item.path().filename().string() << ": " << *disagreement;
        ++files;
    }
    EXPECT_GE(files, 10);
}

}  // namespace
