// Rules: how a rule matches, which patterns are refused, and the rules' text
// form. What regular expressions match is the pattern engine's own test.
#include "viewer/rules/RuleText.h"
#include "viewer/rules/TextRule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tracing;

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
        { "x.y", false, false, "xzy", false },  // plain text is never a pattern
        { "^file", true, false, "File OPENED", true },
        { "^file", true, true, "File OPENED", false },
    };
    for (const auto& row : rows) {
        const TextRule definition { .regex = row.regex, .matchCase = row.matchCase, .pattern = row.pattern };
        std::string error;
        const auto rule = Rule::Make(definition, error);
        ASSERT_TRUE(rule) << row.pattern << ": " << error;
        EXPECT_EQ(rule->Matches(row.text), row.matches ? MatchResult::Match : MatchResult::NoMatch)
            << row.pattern << " in " << row.text;
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
        { "(unclosed", true, "not closed" },
        { "a\tb", false, "tab" },
        { "a\nb", true, "tab" },
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(Rule::Make(TextRule { .regex = row.regex, .pattern = row.pattern }, error)) << row.pattern;
        EXPECT_NE(error.find(row.reason), std::string::npos) << row.pattern << ": " << error;
    }
    std::string error;
    EXPECT_TRUE(Rule::Make(TextRule { .pattern = "(unclosed" }, error)) << "plain text is never a pattern";
}

// Every rule the text form reads writes back as the same line: the rules'
// fuzzer checks that on any text, this table that each word is the one meant.
TEST(RuleTextTest, EveryActionFieldAndMatchHasItsWord)
{
    const struct {
        TextRule rule;
        const char* line;
    } rows[] = {
        { TextRule { .pattern = "connect" }, "include\ttext\ttext\tconnect" },
        { TextRule { .action = RuleAction::Exclude, .enabled = false, .regex = true, .matchCase = true,
              .field = RuleField::Process, .pattern = "^svc.*\\.exe$" },
            "-exclude\tprocess\tregex+case\t^svc.*\\.exe$" },
        { TextRule { .matchCase = true, .field = RuleField::WholeLine, .pattern = "a b" }, "include\tline\ttext+case\ta b" },
        { TextRule { .field = RuleField::Line, .pattern = "7" }, "include\tnumber\ttext\t7" },
        { TextRule { .regex = true, .field = RuleField::Time, .pattern = ":00\\." }, "include\ttime\tregex\t:00\\." },
        { TextRule { .field = RuleField::Pid, .pattern = "42" }, "include\tpid\ttext\t42" },
        { TextRule { .field = RuleField::Kind, .pattern = "error" }, "include\tkind\ttext\terror" },
        { TextRule { .field = RuleField::Source, .pattern = "net" }, "include\tsource\ttext\tnet" },
        { TextRule { .action = RuleAction::Highlight, .pattern = "warn", .textColour = 0x00563412, .backColour = 0x00EFCDAB },
            "highlight\ttext\ttext\twarn\t#abcdef\t#123456" },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RuleToLine(row.rule), row.line);
        const ParsedRules parsed = ParseRules(row.line);
        ASSERT_EQ(parsed.rules.size(), 1u) << row.line;
        EXPECT_EQ(parsed.rules[0].rule, row.rule) << row.line;
    }
}

TEST(RuleTextTest, LinesThatDoNotParseAreReportedByNumberAndTheOthersStillLoad)
{
    const std::string text = "\xEF\xBB\xBF# rules\r\n"
                             "include\ttext\ttext\tgood\r\n"
                             "\n"
                             "keep\ttext\ttext\tx\n"  // 4
                             "include\tcolumn\ttext\tx\n"  // 5
                             "include\ttext\tglob\tx\n"  // 6
                             "include\ttext\ttext\n"  // 7
                             "include\ttext\ttext\t\n"  // 8
                             "exclude\ttext\ttext\tx\t#ffffff\n"  // 9
                             "highlight\ttext\ttext\tx\tred\n"  // 10
                             "highlight\ttext\ttext\tx\t#ffffff\t#000000\textra\n"  // 11
                             "highlight\tkind\ttext\terror\n"  // 12: default colours
                             "   \t \n"
                             "include\ttext\tregex\t(unclosed";  // 14, no line end
    const ParsedRules parsed = ParseRules(text);
    std::vector<std::size_t> lines;
    for (const RuleProblem& problem : parsed.problems) {
        lines.push_back(problem.line);
        EXPECT_FALSE(problem.message.empty());
    }
    EXPECT_EQ(lines, (std::vector<std::size_t> { 4, 5, 6, 7, 8, 9, 10, 11 }));
    lines.clear();
    for (const NumberedRule& rule : parsed.rules) {
        lines.push_back(rule.line);
    }
    EXPECT_EQ(lines, (std::vector<std::size_t> { 2, 12, 14 }));
    EXPECT_EQ(parsed.rules[1].rule.backColour, kDefaultHighlightBack);
    EXPECT_EQ(parsed.rules[1].rule.textColour, kDefaultHighlightText);
    // A pattern that does not compile is left out when the rules are made, by its line.
    const CompiledRules compiled = CompileRules(parsed);
    EXPECT_EQ(compiled.filters.size(), 1u);
    EXPECT_EQ(compiled.highlights.size(), 1u);
    ASSERT_EQ(compiled.problems.size(), 9u);
    EXPECT_EQ(compiled.problems.back().line, 14u);
    EXPECT_NE(compiled.problems.back().message.find("Syntax error"), std::string::npos);
}

}  // namespace

namespace {

TEST(DurationRuleTest, TheTextFormReadsComparisonsOnTheDurationAndRefusesTheRest)
{
    const struct {
        const char* line;
        const char* problem;  // a part of the reason, or null when the line is a rule
        RuleCompare compare;
    } rows[] = {
        { "include\tduration\t>=\t50", nullptr, RuleCompare::AtLeast },
        { "exclude\tduration\t<\t0.5", nullptr, RuleCompare::Below },
        { "highlight\tduration\t>=\t12.25\t#ffffff\t#000000", nullptr, RuleCompare::AtLeast },
        { "include\tduration\t>=\tfifty", "not a number of milliseconds", RuleCompare::None },
        { "include\tduration\t>=\t-5", "not a number of milliseconds", RuleCompare::None },
        { "include\tduration\t>=\t.", "not a number of milliseconds", RuleCompare::None },
        { "include\tduration\t>=\t99999999999", "not a number of milliseconds", RuleCompare::None },
        { "include\tduration\ttext\t50", "not matched as text", RuleCompare::None },
        { "include\ttext\t>=\t50", "Only the duration is compared", RuleCompare::None },
        { "include\tduration\t>=+case\t50", "unknown match", RuleCompare::None },
    };
    for (const auto& row : rows) {
        const ParsedRules parsed = ParseRules(row.line);
        if (row.problem == nullptr) {
            ASSERT_EQ(parsed.rules.size(), 1u) << row.line;
            EXPECT_EQ(parsed.rules[0].rule.compare, row.compare) << row.line;
            EXPECT_EQ(RuleToLine(parsed.rules[0].rule), row.line);
            EXPECT_TRUE(CompileRules(parsed).problems.empty()) << row.line;
        } else {
            ASSERT_EQ(parsed.problems.size(), 1u) << row.line;
            EXPECT_NE(parsed.problems[0].message.find(row.problem), std::string::npos)
                << row.line << ": " << parsed.problems[0].message;
        }
    }
}

TEST(DurationRuleTest, ADurationRuleComparesMillisecondsAndNeverMatchesWithoutOne)
{
    const auto make = [](RuleCompare compare, const char* pattern) {
        std::string error;
        return *Rule::Make(TextRule { .field = RuleField::Duration, .compare = compare, .pattern = pattern }, error);
    };
    const Rule atLeast = make(RuleCompare::AtLeast, "50");
    const Rule below = make(RuleCompare::Below, "12.5");
    const struct {
        std::optional<std::int64_t> ticks;
        bool atLeast;
        bool below;
    } rows[] = {
        { 500000, true, false },  // 50 ms
        { 499999, false, false },
        { 124999, false, true },
        { 125000, false, false },
        { 0, false, true },
        { std::nullopt, false, false },  // open, or not an entry line
    };
    for (const auto& row : rows) {
        const std::int64_t shown = row.ticks.value_or(-1);
        EXPECT_EQ(atLeast.MatchesDuration(row.ticks), row.atLeast) << shown;
        EXPECT_EQ(below.MatchesDuration(row.ticks), row.below) << shown;
    }
    EXPECT_EQ(atLeast.Matches("50"), MatchResult::NoMatch) << "no text holds a duration";
    EXPECT_EQ(ParseMilliseconds("0.0001"), std::optional<std::int64_t>(1));
}

}  // namespace
