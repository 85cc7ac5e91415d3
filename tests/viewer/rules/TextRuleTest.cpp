// Rules: how a rule matches, which patterns are refused, and the rules' text form.
#include "viewer/rules/RuleText.h"
#include "viewer/rules/TextRule.h"

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
        { "a\tb", true, "tab" },
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(Rule::Make(TextRule { .regex = row.regex, .pattern = row.pattern }, error)) << row.pattern;
        EXPECT_NE(error.find(row.reason), std::string::npos) << row.pattern << ": " << error;
    }
    std::string error;
    EXPECT_TRUE(Rule::Make(TextRule { .pattern = "(unclosed" }, error)) << "plain text is never a pattern";
}

TEST(RuleTextTest, EveryActionFieldAndMatchComesBackFromItsLine)
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
    std::vector<TextRule> all;
    for (const auto& row : rows) {
        EXPECT_EQ(RuleToLine(row.rule), row.line);
        const ParsedRules parsed = ParseRules(row.line);
        ASSERT_EQ(parsed.rules.size(), 1u) << row.line;
        EXPECT_EQ(parsed.rules[0].rule, row.rule) << row.line;
        all.push_back(row.rule);
    }
    // A whole text comes back the same, its comment line passed over.
    const ParsedRules parsed = ParseRules(RulesToText(all));
    ASSERT_EQ(parsed.rules.size(), all.size());
    EXPECT_TRUE(parsed.problems.empty());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(parsed.rules[i].rule, all[i]);
        EXPECT_EQ(parsed.rules[i].line, i + 2);
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
    ASSERT_EQ(parsed.rules.size(), 3u);
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
