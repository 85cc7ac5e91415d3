// One-click rules: the rule each menu item makes of a line, and its label.
#include "viewer/rules/RuleText.h"
#include "viewer/view/QuickRules.h"

#include <gtest/gtest.h>

using namespace tracing;

namespace {

TEST(QuickRules, EachItemMakesTheRuleItsLabelSays)
{
    LineView line;
    line.pid = 4242;
    line.process = "my(app)+1.exe";
    line.text = "connect failed\tcode 5";
    const struct {
        QuickRule rule;
        const wchar_t* label;
        const char* line;
    } cases[] = {
        { QuickRule::HideProcess, L"Hide process my(app)+1.exe", "exclude\tprocess\tregex\t^my\\(app\\)\\+1\\.exe$" },
        { QuickRule::ShowOnlyProcess, L"Show only process my(app)+1.exe",
            "include\tprocess\tregex\t^my\\(app\\)\\+1\\.exe$" },
        { QuickRule::HidePid, L"Hide process id 4242", "exclude\tpid\tregex\t^4242$" },
        { QuickRule::ShowOnlyPid, L"Show only process id 4242", "include\tpid\tregex\t^4242$" },
        { QuickRule::HideText, L"Hide lines with this text", "exclude\ttext\ttext+case\tconnect failed" },
        { QuickRule::HighlightProcess, L"Highlight process my(app)+1.exe",
            "highlight\tprocess\tregex\t^my\\(app\\)\\+1\\.exe$\t#ffdede\t#a00000" },
    };
    for (const auto& item : cases) {
        EXPECT_EQ(QuickRuleLabel(item.rule, line), item.label);
        const auto rule = MakeQuickRule(item.rule, line);
        ASSERT_TRUE(rule);
        EXPECT_EQ(RuleToLine(*rule), item.line);
        // Each rule reads back from its text form and matches the line's own program or id whole.
        std::string error;
        const auto made = Rule::Make(*rule, error);
        ASSERT_TRUE(made) << error;
    }
}

TEST(QuickRules, ProgramRulesMatchTheWholeNameWithoutRegardToCase)
{
    LineView line;
    line.pid = 7;
    line.process = "App.exe";
    std::string error;
    const auto rule = Rule::Make(*MakeQuickRule(QuickRule::HideProcess, line), error);
    ASSERT_TRUE(rule) << error;
    EXPECT_EQ(rule->Matches("app.EXE"), MatchResult::Match);
    EXPECT_EQ(rule->Matches("MyApp.exe"), MatchResult::NoMatch);
    EXPECT_EQ(rule->Matches("App.exe.bak"), MatchResult::NoMatch);
    EXPECT_EQ(rule->Matches("Appxexe"), MatchResult::NoMatch);
    const auto pid = Rule::Make(*MakeQuickRule(QuickRule::HidePid, line), error);
    EXPECT_EQ(pid->Matches("7"), MatchResult::Match);
    EXPECT_EQ(pid->Matches("17"), MatchResult::NoMatch);
}

TEST(QuickRules, ALineWithoutWhatARuleNeedsOffersNoItem)
{
    LineView bare;
    bare.text = "\tafter a tab";
    for (int rule = 0; rule < static_cast<int>(QuickRule::Count); ++rule) {
        EXPECT_FALSE(MakeQuickRule(static_cast<QuickRule>(rule), bare)) << rule;
        EXPECT_TRUE(QuickRuleLabel(static_cast<QuickRule>(rule), bare).empty()) << rule;
    }
}

}  // namespace
