// How rules combine over held lines, and how find walks its matches.
#include "viewer/view/LineFinder.h"
#include "viewer/view/LineRules.h"
#include "viewer/view/ShownLines.h"

#include "foundation/trace/TraceProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::size_t kAll = ~std::size_t { 0 };

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

Rule Filter(RuleField field, const char* pattern, bool exclude = false, bool enabled = true)
{
    std::string error;
    auto rule = Rule::Make(TextRule { .action = exclude ? RuleAction::Exclude : RuleAction::Include,
                               .enabled = enabled,
                               .regex = field == RuleField::WholeLine,  // the fields are joined by tabs
                               .field = field,
                               .pattern = pattern },
        error);
    EXPECT_TRUE(rule) << pattern << ": " << error;
    return std::move(*rule);
}

TEST(LineRulesTest, ExcludesWinAndIncludesKeep)
{
    LineStore store;
    Fill(store);
    const struct {
        const char* name;
        std::vector<Rule> filters;
        std::vector<bool> passes;
    } rows[] = {
        { "no rules", {}, { true, true, true, true } },
        { "an include on the text", { Filter(RuleField::Text, "connect") }, { true, true, false, false } },
        { "two includes: either", { Filter(RuleField::Text, "connect"), Filter(RuleField::Source, "disk") },
            { true, true, true, false } },
        { "an exclude beats an include", { Filter(RuleField::Text, "connect"), Filter(RuleField::Kind, "error", true) },
            { false, true, false, false } },
        { "the kind column", { Filter(RuleField::Kind, "debug") }, { false, false, false, true } },
        { "the pid column", { Filter(RuleField::Pid, "11") }, { false, false, true, false } },
        { "the line number", { Filter(RuleField::Line, "2") }, { false, true, false, false } },
        { "the whole line joins the fields", { Filter(RuleField::WholeLine, "disk\\twrote") },
            { false, false, true, false } },
        { "the whole line holds the process", { Filter(RuleField::WholeLine, "app\\.exe", true) },
            { false, false, false, true } },
        { "a rule switched off", { Filter(RuleField::Text, "connect", false, false) }, { true, true, true, true } },
    };
    for (const auto& row : rows) {
        LineRules rules;
        rules.SetFilters(row.filters);
        for (std::size_t i = 0; i < kLines.size(); ++i) {
            EXPECT_EQ(rules.Filter(store, store.Record(i), i).passes, row.passes[i]) << row.name << " line " << i;
        }
    }
}

TEST(LineFinderTest, FindsInTheShownLinesAndGoesRound)
{
    LineStore store;
    Fill(store);
    LineRules rules;
    ShownLines shown(store, rules);
    static_cast<void>(shown.Work(kAll));
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
    rules.SetFilters({ Filter(RuleField::Kind, "error", true) });
    shown.FiltersChanged();
    static_cast<void>(shown.Work(kAll));
    finder.Update(shown);
    EXPECT_EQ(finder.Count(), 1u);
    EXPECT_TRUE(finder.IsMatch(1));
    // Lines added later are found too; the whole line includes the source.
    store.Add({ 0, 0, LineOrigin::Record, 0, "", "connector", "x" });
    static_cast<void>(shown.Work(kAll));
    finder.Update(shown);
    EXPECT_EQ(finder.Count(), 2u);
    EXPECT_TRUE(finder.IsMatch(4));
}

}  // namespace
