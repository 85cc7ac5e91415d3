// Rules and find: how a rule matches, how rules combine, how they are kept
// as text, and how find walks its matches.
#include "viewer/view/TextRule.h"
#include "viewer/view/LineFinder.h"
#include "viewer/view/LineRules.h"
#include "viewer/view/RuleText.h"
#include "viewer/view/ShownLines.h"

#include "foundation/trace/TraceProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TextRuleTest, PlainTextAndRegularExpressionsMatchAsAsked)
{
    const struct {
        const char* pattern;
        bool regex;
        bool matchCase;
        const char* text;
        bool matches;
    } rows[] = {
        { "open", false, false, "File OPENED", true },
        { "open", false, true, "File OPENED", false },
        { "OPEN", false, true, "File OPENED", true },
        { "Open", false, false, "", false },
        { "ab", false, false, "aAb", true },  // a partial match before the real one
        { "\xC3\xA9", false, false, "caf\xC3\xA9", true },
        { "^File [A-Z]+$", true, true, "File OPENED", true },
        { "^file", true, false, "File OPENED", true },
        { "^file", true, true, "File OPENED", false },
        { "\\d{3}", true, false, "code 404", true },
        { "(a|b)+c", true, false, "xxabababx", false },
        { "ab+c", true, false, "xABBBC", true },
        { "x\\.y", true, false, "x.y", true },
        { "x\\.y", true, false, "xzy", false },
        { "colou?r", true, false, "COLOR", true },
        { "\\x41bc", true, true, "Abc", true },
        { "a|zz", true, false, "a", true },
        // Tried only where their leading text stands: a later place matches,
        // case is folded alike, and what stands before it still counts.
        { "\\t40[0-3]2\\t", true, true, "\t4091\t4012\tx", true },
        { "TOKEN -", true, false, "token token - x", true },
        { "ab\\b", true, false, "abc ab", true },
        { "ab\\b", true, false, "abc abd", false },
        { "b\\B", true, true, "ab bc", true },
        { "x+y", true, true, "axxy", true },
    };
    for (const auto& row : rows) {
        const TextRule rule { .regex = row.regex, .matchCase = row.matchCase, .pattern = row.pattern };
        std::string error;
        const auto matcher = RuleMatcher::Compile(rule, error);
        ASSERT_TRUE(matcher) << row.pattern << ": " << error;
        EXPECT_EQ(matcher->Matches(row.text), row.matches) << row.pattern << " in " << row.text;
    }
}

TEST(TextRuleTest, TheTextEveryMatchHoldsIsFoundOnlyWhereItIsSure)
{
    const struct {
        const char* pattern;
        const char* required;
        const char* leading = "";  // what every match starts with
    } rows[] = {
        { "^ *Token - (enter|return)", "Token - " },
        { "\\t40[0-3]2\\t", "\t40", "\t40" },
        { "plain", "plain", "plain" },
        { "a|bcd", "" },
        { "ab|cdefg", "" },
        { "(abc)+", "" },
        { "abc?", "ab", "ab" },
        { "ab+cde", "cde", "ab" },
        { "abc*d", "ab", "ab" },
        { "x\\.y", "x.y", "x.y" },
        { "\\x41BC", "BC" },
        { "\\u0041BC", "BC" },
        { "\\d+ms", "ms" },
        { "\\bword\\b", "word" },
        { "(a)\\12b", "b" },
        { "[abc]def", "def" },
        { "[^\\]x]yz", "yz" },
        { "[]a]bc", "" },
        { "a{0}bc", "bc" },
        { "ab{2,3}", "a", "a" },
        { "a.b", "a", "a" },
        { "(?:ab|cd)ef", "ef" },
        { "(?!no)yes", "yes" },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RequiredText(row.pattern), row.required) << row.pattern;
        EXPECT_EQ(LeadingText(row.pattern), row.leading) << row.pattern;
    }
}

TEST(TextRuleTest, PatternsThatCannotBeUsedAreRefusedWithTheReason)
{
    const struct {
        const char* pattern;
        bool regex;
        const char* reason;
    } rows[] = {
        { "", false, "empty" },
        { "", true, "empty" },
        { "(unclosed", true, "not valid" },
        { "[z-a]", true, "not valid" },
        { "a{2,1}", true, "not valid" },
        { "*", true, "not valid" },
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(RuleMatcher::Compile(TextRule { .regex = row.regex, .pattern = row.pattern }, error))
            << row.pattern;
        EXPECT_NE(error.find(row.reason), std::string::npos) << row.pattern << ": " << error;
    }
    std::string error;
    EXPECT_TRUE(RuleMatcher::Compile(TextRule { .pattern = "(unclosed" }, error)) << "plain text is never a pattern";
}

TEST(RuleTextTest, RulesComeBackFromTheirTextAndBrokenTextsAreRefused)
{
    const TextRule full { .exclude = true,
        .regex = true,
        .matchCase = true,
        .field = RuleField::Source,
        .pattern = "a\tb",
        .textColour = 0x00123456,
        .backColour = 0x00ABCDEF };
    EXPECT_EQ(RuleToText(full), "exrc\t6\t563412\tEFCDAB\ta\tb");
    const TextRule off { .enabled = false, .field = RuleField::WholeLine, .pattern = "x" };
    for (const TextRule& rule : { full, off, TextRule { .pattern = "p" } }) {
        const auto back = RuleFromText(RuleToText(rule));
        ASSERT_TRUE(back) << RuleToText(rule);
        EXPECT_EQ(*back, rule) << RuleToText(rule);
    }
    for (const char* broken : { "", "e\t7\t000000\tFFFFFF", "e\t7\t000000\tFFFFFF\t", "q\t7\t000000\tFFFFFF\tx",
             "e\t8\t000000\tFFFFFF\tx", "e\t-1\t000000\tFFFFFF\tx", "e\t7\t00000\tFFFFFF\tx", "e\t7\t00000G\tFFFFFF\tx",
             "\t7\t000000\tFFFFFF\tx" }) {
        EXPECT_FALSE(RuleFromText(broken)) << broken;
    }
}

// Lines for rules and find: pid, kind, source, text.
struct Line {
    std::uint32_t pid;
    std::int32_t kind;
    const char* source;
    const char* text;
};

const std::vector<Line> kLines = {
    { 10, UTrace::kTraceError, "net", "Connect failed" },  // 0
    { 10, UTrace::kTraceMessage, "net", "connected" },  // 1
    { 11, UTrace::kTraceMessage, "disk", "wrote 12 bytes" },  // 2
    { 0, 0, "", "debug: failed to open" },  // 3
};

void Fill(LineStore& store)
{
    for (const Line& line : kLines) {
        store.Add({ 0, line.pid, line.source[0] == '\0' ? LineOrigin::Debug : LineOrigin::Record, line.kind,
            line.pid == 0 ? "" : "app.exe", line.source, line.text });
    }
}

TextRule Rule(RuleField field, const char* pattern, bool exclude = false, bool enabled = true)
{
    TextRule rule;
    rule.field = field;
    rule.pattern = pattern;
    rule.exclude = exclude;
    rule.enabled = enabled;
    return rule;
}

TEST(LineRulesTest, ExcludesWinAndIncludesKeep)
{
    LineStore store;
    Fill(store);
    const struct {
        const char* name;
        std::vector<TextRule> filters;
        std::vector<bool> passes;
    } rows[] = {
        { "no rules", {}, { true, true, true, true } },
        { "an include on the text", { Rule(RuleField::Text, "connect") }, { true, true, false, false } },
        { "two includes: either", { Rule(RuleField::Text, "connect"), Rule(RuleField::Source, "disk") },
            { true, true, true, false } },
        { "an exclude beats an include", { Rule(RuleField::Text, "connect"), Rule(RuleField::Kind, "error", true) },
            { false, true, false, false } },
        { "the kind column", { Rule(RuleField::Kind, "debug") }, { false, false, false, true } },
        { "the pid column", { Rule(RuleField::Pid, "11") }, { false, false, true, false } },
        { "the line number", { Rule(RuleField::Line, "2") }, { false, true, false, false } },
        { "the whole line joins the fields", { Rule(RuleField::WholeLine, "disk\twrote") },
            { false, false, true, false } },
        { "the whole line holds the process", { Rule(RuleField::WholeLine, "app.exe", true) },
            { false, false, false, true } },
        { "a rule switched off", { Rule(RuleField::Text, "connect", false, false) }, { true, true, true, true } },
        { "a pattern that does not compile", { TextRule { .regex = true, .pattern = "(" } },
            { true, true, true, true } },
    };
    for (const auto& row : rows) {
        LineRules rules;
        rules.SetFilters(row.filters);
        const LineStore::Reading reading = store.Read();
        for (std::size_t i = 0; i < kLines.size(); ++i) {
            EXPECT_EQ(rules.Passes(reading, reading.Record(i), i), row.passes[i]) << row.name << " line " << i;
        }
    }
}

TEST(LineFinderTest, FindsInTheShownLinesAndGoesRound)
{
    LineStore store;
    Fill(store);
    ShownLines shown(store);
    static_cast<void>(shown.CatchUp());
    LineFinder finder;
    finder.Set("FAILED", false);
    finder.Update(shown);
    EXPECT_EQ(finder.Count(), 2u);
    const struct {
        std::uint64_t from;
        bool forward;
        std::uint64_t match;
    } rows[] = { { 0, true, 3 }, { 3, true, 0 }, { 1, true, 3 }, { 0, false, 3 }, { 3, false, 0 }, { 2, false, 0 } };
    for (const auto& row : rows) {
        EXPECT_EQ(finder.Next(row.from, row.forward), row.match) << row.from << (row.forward ? " forward" : " back");
    }
    EXPECT_EQ(finder.NumberOf(3), 2u);
    EXPECT_EQ(finder.NumberOf(1), 0u);
    finder.Set("FAILED", true);
    finder.Update(shown);
    EXPECT_EQ(finder.Count(), 0u);
    EXPECT_FALSE(finder.Next(0, true));
    // A filter changes what is shown: find looks again.
    finder.Set("connect", false);
    finder.Update(shown);
    EXPECT_EQ(finder.Count(), 2u);
    shown.SetFilters({ Rule(RuleField::Kind, "error", true) });
    finder.Update(shown);
    EXPECT_EQ(finder.Count(), 1u);
    EXPECT_TRUE(finder.IsMatch(1));
    // Lines added later are found too; the whole line includes the source.
    store.Add({ 0, 0, LineOrigin::Record, 0, "", "connector", "x" });
    static_cast<void>(shown.CatchUp());
    finder.Update(shown);
    EXPECT_EQ(finder.Count(), 2u);
    EXPECT_TRUE(finder.IsMatch(4));
}

}  // namespace
