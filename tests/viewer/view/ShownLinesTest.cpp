// Which lines the list shows: function scopes read from the lines, folding,
// and filters on each field working together. Find is the session's test.
#include "viewer/view/ShownLines.h"

#include "foundation/trace/TraceProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tracing;

namespace {

// One line of a scenario: its sender (a pid; 0 for debug output of pid 9) and its text.
struct Line {
    std::uint32_t pid;
    std::int32_t kind;
    const char* text;
};

constexpr std::int32_t F = UTrace::kTraceFunction;
constexpr std::int32_t M = UTrace::kTraceMessage;
constexpr std::size_t kAll = ~std::size_t { 0 };

void Fill(LineStore& store, const std::vector<Line>& lines)
{
    for (const Line& line : lines) {
        const bool debug = line.pid == 0;
        store.Add({ 0, debug ? 9 : line.pid, debug ? LineOrigin::Debug : LineOrigin::Record, debug ? 0 : line.kind,
            debug ? "" : "app.exe", debug ? "" : "src", line.text });
    }
}

std::vector<Rule> Made(const std::vector<TextRule>& definitions)
{
    std::vector<Rule> rules;
    std::string error;
    for (const TextRule& definition : definitions) {
        rules.push_back(*Rule::Make(definition, error));
    }
    return rules;
}

std::vector<std::uint64_t> Shown(const ShownLines& shown)
{
    std::vector<std::uint64_t> sequences;
    for (std::size_t i = 0; i < shown.Size(); ++i) {
        sequences.push_back(shown.SequenceAt(i));
    }
    return sequences;
}

TEST(ScopeLineTest, StampAndIndentationAreReadApart)
{
    // Debug output names its scopes behind its source, if there is one. Plain
    // entry and exit lines are read by the folding tests below.
    const LineOrigin R = LineOrigin::Record;
    const LineOrigin D = LineOrigin::Debug;
    const struct {
        LineOrigin origin;
        const char* text;
        std::uint32_t depth;
        bool enter;
        const char* name;
        bool traced;
    } rows[] = {
        { R, "1:2:3.004 :   Inner - enter", 1, true, "Inner", true },
        { R, "12:0:59.100 : Outer - return", 0, false, "Outer", true },
        { R, "1:2:3.04 :   x - enter", 0, true, "1:2:3.04 :   x", true },  // not a stamp: two digits of milliseconds
        { R, "   odd - enter", 1, true, "odd", true },
        { R, "- enter", 0, false, "- enter", true },
        { R, "", 0, false, "", true },
        { D, "demo: 1:2:3.004 :     Read - return", 2, false, "Read", true },
        { D, ": Open - enter", 0, true, "Open", true },
        { D, "two words: x - enter", 0, true, "two words: x", false },
        { D, "1:2:3.004 :   x - enter", 1, true, "x", false },
    };
    for (const auto& row : rows) {
        const bool record = row.origin == R;
        const ScopeLine line = ReadScopeLine(row.origin, record ? F : 0, row.text);
        EXPECT_EQ(line.depth, row.depth) << row.text;
        EXPECT_EQ(line.enter, row.enter) << row.text;
        EXPECT_EQ(line.name, row.name) << row.text;
        EXPECT_EQ(line.function, record) << row.text;
        if (!record) {
            EXPECT_EQ(line.traced, row.traced) << row.text;
        }
    }
    EXPECT_FALSE(ReadScopeLine(LineOrigin::Debug, F, "A - enter").function);
    EXPECT_FALSE(ReadScopeLine(LineOrigin::Record, M, "A - enter").function);
}

// Two senders, nested three deep, interleaved; the second leaves a scope open.
const std::vector<Line> kTwoSenders = {
    { 1, F, "A - enter" },  // 0
    { 1, M, "  in A" },  // 1
    { 2, F, "X - enter" },  // 2
    { 1, F, "  B - enter" },  // 3
    { 1, F, "    C - enter" },  // 4
    { 2, M, "  in X" },  // 5
    { 1, M, "      in C" },  // 6
    { 1, F, "    C - return" },  // 7
    { 1, F, "  B - return = 1" },  // 8
    { 1, F, "A - return" },  // 9
    { 1, M, "after A" },  // 10
    { 2, M, "  still in X" },  // 11
    { 0, 0, "debug line" },  // 12
};

TEST(ShownLinesTest, FiltersOnEachFieldAndFoldedScopesHideLines)
{
    const auto include = [](RuleField field, const char* pattern) {
        // The whole line's fields are joined by tabs, which a regular expression writes \t.
        return TextRule { .regex = field == RuleField::WholeLine, .field = field, .pattern = pattern };
    };
    const auto exclude = [&](RuleField field, const char* pattern) {
        TextRule rule = include(field, pattern);
        rule.action = RuleAction::Exclude;
        return rule;
    };
    const std::vector<std::uint64_t> all = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
    const struct {
        const char* name;
        std::vector<std::uint64_t> folded;  // entry lines
        std::vector<TextRule> filters;
        std::vector<std::uint64_t> shown;
    } rows[] = {
        { "nothing folded", {}, {}, all },
        { "outermost: the other sender stays", { 0 }, {}, { 0, 2, 5, 10, 11, 12 } },
        { "open scope to the end of its sender", { 2 }, {}, { 0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 12 } },
        { "a filter inside a folded scope", { 4 }, { exclude(RuleField::Text, "in X") },
            { 0, 1, 2, 3, 4, 8, 9, 10, 12 } },
        { "an include rule", { 0 }, { include(RuleField::Text, "X") }, { 2, 5, 11 } },
        { "rules switched off take no part", {},
            { exclude(RuleField::Text, "X"), TextRule { .enabled = false, .pattern = "A" },
                TextRule { .action = RuleAction::Exclude, .enabled = false, .pattern = "in" } },
            { 0, 1, 3, 4, 6, 7, 8, 9, 10, 12 } },
        { "two includes: either", {}, { include(RuleField::Text, "in X"), include(RuleField::Kind, "debug") },
            { 5, 11, 12 } },
        { "an exclude beats an include", {}, { include(RuleField::Text, "X"), exclude(RuleField::Kind, "function") },
            { 5, 11 } },
        { "the pid", {}, { include(RuleField::Pid, "2") }, { 2, 5, 11 } },
        { "the line number counts from 1", {}, { include(RuleField::Line, "13") }, { 12 } },
        { "the whole line joins the fields", {}, { include(RuleField::WholeLine, "function\\tsrc\\tA - ") }, { 0, 9 } },
        { "the whole line holds the process", {}, { exclude(RuleField::WholeLine, "app\\.exe") }, { 12 } },
    };
    for (const auto& row : rows) {
        LineStore store;
        Fill(store, kTwoSenders);
        LineRules rules;
        rules.SetFilters(Made(row.filters));
        const ScopeDurations durations;
        ShownLines shown(store, rules, durations);
        static_cast<void>(shown.Work(kAll));
        for (std::uint64_t entry : row.folded) {
            FunctionScopes::Scope* scope = shown.Scopes().At(entry);
            ASSERT_NE(scope, nullptr) << row.name << " " << entry;
            shown.Scopes().SetFolded(*scope, true);
        }
        shown.Refold();
        EXPECT_EQ(Shown(shown), row.shown) << row.name;
    }
}

TEST(ShownLinesTest, TracedDebugOutputFoldsUpToItsExitLine)
{
    LineStore store;
    Fill(store,
        { { 0, 0, "demo: Run - enter" }, { 0, 0, "demo:   Step - enter" }, { 0, 0, "demo:     working" },
            { 0, 0, "demo:   Step - return" }, { 0, 0, "demo: Run - return = 0" }, { 0, 0, "demo: idle" } });
    const LineRules rules;
    const ScopeDurations durations;
    ShownLines shown(store, rules, durations);
    static_cast<void>(shown.Work(kAll));
    shown.Scopes().SetFolded(*shown.Scopes().At(1), true);
    shown.Refold();
    EXPECT_EQ(Shown(shown), (std::vector<std::uint64_t> { 0, 1, 4, 5 }));
    shown.Scopes().SetAllFolded(true);
    shown.Refold();
    EXPECT_EQ(Shown(shown), (std::vector<std::uint64_t> { 0, 5 }));
}

TEST(ShownLinesTest, ARefoldOverManyLinesGoesOnInSlicesAndEndsAsOneDoneAtOnce)
{
    // Two senders' lines interleaved, with a scope of sender 1 around most of them.
    std::vector<Line> lines = { { 1, F, "Outer - enter" } };
    for (int i = 0; i < 100000; ++i) {
        lines.push_back({ static_cast<std::uint32_t>(1 + i % 2), M, "  working" });
    }
    lines.push_back({ 1, F, "Outer - return" });
    lines.push_back({ 2, M, "after" });
    LineStore store(200000);
    Fill(store, lines);
    const LineRules rules;
    const ScopeDurations durations;
    ShownLines sliced(store, rules, durations);
    ShownLines whole(store, rules, durations);
    for (ShownLines* shown : { &sliced, &whole }) {
        static_cast<void>(shown->Work(kAll));
        shown->Scopes().SetAllFolded(true);
    }
    whole.Refold(kAll);
    sliced.Refold(1000);
    EXPECT_LT(sliced.Size(), whole.Size());
    EXPECT_NE(sliced.Unmatched(), 0u) << "the rest is still to be shown";
    EXPECT_FALSE(sliced.FilteredPast(5000));
    int slices = 0;
    while (sliced.Unmatched() != 0) {
        static_cast<void>(sliced.Work(4096));
        ++slices;
    }
    EXPECT_GT(slices, 10);
    EXPECT_EQ(Shown(sliced), Shown(whole));
    EXPECT_EQ(whole.Size(), 1u + 50000 + 1) << "the entry, the other sender's lines, and the line after";
}

TEST(ShownLinesTest, LinesArrivingIntoAFoldedScopeStayHiddenAndDroppedLinesGo)
{
    LineStore store(6);
    const LineRules rules;
    const ScopeDurations durations;
    ShownLines shown(store, rules, durations);
    Fill(store, { { 1, F, "A - enter" }, { 1, M, "  one" } });
    static_cast<void>(shown.Work(kAll));
    shown.Scopes().SetAllFolded(true);
    shown.Refold();
    Fill(store, { { 1, M, "  two" }, { 2, M, "other" }, { 1, F, "A - return" }, { 1, M, "after" } });
    ShownLines::Change change = shown.Work(kAll);
    EXPECT_EQ(change.added, 2u);
    EXPECT_EQ(Shown(shown), (std::vector<std::uint64_t> { 0, 3, 5 }));
    // The store drops the entry line, and its scope goes with it.
    Fill(store, { { 1, M, "last" } });
    change = shown.Work(kAll);
    EXPECT_EQ(change.droppedShown, 1u);
    EXPECT_EQ(Shown(shown), (std::vector<std::uint64_t> { 3, 5, 6 }));
    EXPECT_EQ(shown.Scopes().At(0), nullptr);
    store.Clear();
    Fill(store, { { 1, M, "new" } });
    static_cast<void>(shown.Work(kAll));
    EXPECT_EQ(Shown(shown), (std::vector<std::uint64_t> { 0 }));
}

TEST(ShownLinesTest, RulesAreMatchedInSlicesAndColourTheirLines)
{
    LineStore store;
    for (int i = 0; i < 100; ++i) {
        store.Add({ 0, 1, LineOrigin::Record, M, "", "src", i % 10 == 0 ? "error here" : "fine" });
    }
    LineRules rules;
    const ScopeDurations durations;
    ShownLines shown(store, rules, durations);
    static_cast<void>(shown.Work(kAll));
    rules.SetFilters(Made({ TextRule { .pattern = "error" } }));
    rules.SetHighlights(Made({ TextRule { .action = RuleAction::Highlight, .pattern = "here" } }));
    shown.FiltersChanged();
    shown.HighlightsChanged();
    EXPECT_EQ(shown.Size(), 0u);
    EXPECT_EQ(shown.Unmatched(), 200u);
    // Twenty-five lines of rules at a time: the list fills from the oldest.
    const ShownLines::Change first = shown.Work(25);
    EXPECT_EQ(first.added, 3u);
    EXPECT_TRUE(shown.FilteredPast(24));
    EXPECT_FALSE(shown.FilteredPast(25));
    while (shown.Unmatched() != 0) {
        static_cast<void>(shown.Work(25));
    }
    EXPECT_EQ(shown.Size(), 10u);
    EXPECT_EQ(shown.HighlightOf(10), 0);
    EXPECT_EQ(shown.HighlightOf(11), -1);
    EXPECT_EQ(shown.GaveUp(), 0u);
}

}  // namespace

namespace {

// A line with its arrival stamp.
struct Timed {
    std::uint32_t pid;
    std::int32_t kind;
    const char* text;
    std::int64_t ms;
};

TextRule DurationRule(RuleAction action, RuleCompare compare, const char* ms)
{
    return TextRule { .action = action, .field = RuleField::Duration, .compare = compare, .pattern = ms };
}

// Shown lines over lines paired into durations as the intake pairs them.
struct TimedView {
    explicit TimedView(const std::vector<TextRule>& filters, const std::vector<TextRule>& highlights = {})
    {
        rules.SetFilters(Made(filters));
        rules.SetHighlights(Made(highlights));
    }
    ShownLines::Change Feed(const std::vector<Timed>& lines)
    {
        for (const Timed& line : lines) {
            store.Add({ 0, line.pid, LineOrigin::Record, line.kind, "app.exe", "src", line.text });
            durations.Add(store.End() - 1, LineOrigin::Record, line.kind, line.text,
                PairingSender(LineOrigin::Record, line.pid, line.pid), line.ms * 10000);
        }
        return shown.Work(kAll);
    }

    LineStore store;
    ScopeDurations durations;
    LineRules rules;
    ShownLines shown { store, rules, durations };
};

const std::vector<Timed> kBeforeSlowReturns = {
    { 1, F, "Slow - enter", 0 },  // 0
    { 1, M, "  busy", 10 },  // 1
    { 2, F, "Fast - enter", 20 },  // 2
    { 2, F, "Fast - return", 30 },  // 3: 10 ms
};
const std::vector<Timed> kSlowReturns = {
    { 1, F, "Slow - return", 80 },  // 4: 80 ms
    { 1, M, "after", 90 },  // 5
};

TEST(ShownLinesTest, DurationRulesDecideAnEntryLineAgainWhenItsScopeReturns)
{
    const TextRule atLeast50 = DurationRule(RuleAction::Include, RuleCompare::AtLeast, "50");
    const struct {
        const char* name;
        std::vector<TextRule> filters;
        std::vector<std::uint64_t> before;
        std::vector<std::uint64_t> after;
        bool reshown;
    } rows[] = {
        { "include >= 50: the slow call once it returns", { atLeast50 }, {}, { 0 }, true },
        { "exclude >= 50: shown until it returns", { DurationRule(RuleAction::Exclude, RuleCompare::AtLeast, "50") },
            { 0, 1, 2, 3 }, { 1, 2, 3, 4, 5 }, true },
        { "shown again before lines already shown", { TextRule { .pattern = "busy" }, atLeast50 }, { 1 }, { 0, 1 },
            true },
    };
    // Every view also colours the calls of 50 ms or more, once they return.
    for (const auto& row : rows) {
        TimedView view(row.filters, { DurationRule(RuleAction::Highlight, RuleCompare::AtLeast, "50") });
        static_cast<void>(view.Feed(kBeforeSlowReturns));
        EXPECT_EQ(Shown(view.shown), row.before) << row.name;
        EXPECT_EQ(view.shown.HighlightOf(0), -1) << row.name;
        const std::uint64_t generation = view.shown.Generation();
        const ShownLines::Change change = view.Feed(kSlowReturns);
        EXPECT_EQ(Shown(view.shown), row.after) << row.name;
        EXPECT_EQ(change.reshown, row.reshown) << row.name;
        EXPECT_EQ(view.shown.Generation() != generation, row.reshown) << row.name;
        EXPECT_TRUE(change.coloured) << row.name;
        EXPECT_EQ(view.shown.HighlightOf(0), 0) << row.name;
        EXPECT_EQ(view.shown.HighlightOf(2), -1) << row.name << ": 10 ms";
    }
}

TEST(ShownLinesTest, AScopeReturningInsideAFoldedScopeStaysHidden)
{
    TimedView view({ DurationRule(RuleAction::Exclude, RuleCompare::Below, "5") });
    static_cast<void>(view.Feed({ { 1, F, "Outer - enter", 0 }, { 1, F, "  Inner - enter", 1 }, { 1, M, "    x", 2 } }));
    view.shown.Scopes().SetFolded(*view.shown.Scopes().At(0), true);
    view.shown.Refold();
    ASSERT_EQ(Shown(view.shown), (std::vector<std::uint64_t> { 0 }));
    // Inner returns in 2 ms and is excluded; Outer's lines stay folded away.
    EXPECT_TRUE(view.Feed({ { 1, F, "  Inner - return", 3 } }).reshown);
    EXPECT_EQ(Shown(view.shown), (std::vector<std::uint64_t> { 0 }));
}

}  // namespace
