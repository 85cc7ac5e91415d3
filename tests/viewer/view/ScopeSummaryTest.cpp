// The scope summary's figures over a view's shown lines, its order and its
// copied text, on a scripted stream of entry and exit lines with known stamps.
#include "viewer/view/ScopeSummary.h"

#include "foundation/trace/TraceProtocol.h"
#include "viewer/view/ScopeDurations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tracing;

namespace {

using Cells = std::vector<std::string>;

// The summary of the stream's lines that filters let through.
std::vector<ScopeFigures> Summarize(const std::vector<TextRule>& filters = {})
{
    const struct {
        bool debug;
        const char* text;
        std::int64_t ms;
    } stream[] = {
        { false, "A - enter", 0 },  // line 1
        { false, "A - return", 10 },
        { false, "A - enter", 20 },  // line 3: A's longest, 40 ms
        { false, "  B - enter", 25 },
        { false, "  B - return", 55 },
        { false, "A - return", 60 },
        { false, "A - enter", 70 },  // line 7: still open
        { true, "lib: C - enter", 75 },
        { true, "lib: C - return", 125 },
    };
    LineStore store;
    ScopeDurations durations;
    LineRules rules;
    std::vector<Rule> made;
    std::string error;
    for (const TextRule& filter : filters) {
        made.push_back(*Rule::Make(filter, error));
    }
    rules.SetFilters(std::move(made));
    for (const auto& line : stream) {
        const LineOrigin origin = line.debug ? LineOrigin::Debug : LineOrigin::Record;
        const std::int32_t kind = line.debug ? 0 : UTrace::kTraceFunction;
        store.Add({ 0, 5, origin, kind, "app.exe", "", line.text });
        durations.Add(store.End() - 1, origin, kind, line.text, PairingSender(origin, 5, 0), line.ms * 10000);
    }
    ShownLines shown(store, rules, durations);
    static_cast<void>(shown.Work(1000));
    return SummarizeScopes(shown);
}

std::vector<Cells> Table(const std::vector<ScopeFigures>& rows)
{
    std::vector<Cells> table;
    for (const ScopeFigures& row : rows) {
        table.emplace_back();
        for (std::size_t column = 0; column < kSummaryColumns; ++column) {
            table.back().push_back(SummaryCell(row, static_cast<SummaryColumn>(column)));
        }
    }
    return table;
}

TEST(ScopeSummaryTest, FiguresCountTheShownCallsAndTimeOnlyTheReturnedOnes)
{
    const TextRule hideLine3 { .action = RuleAction::Exclude, .field = RuleField::Line, .pattern = "3" };
    const TextRule onlyLine7 { .field = RuleField::Line, .pattern = "7" };
    const struct {
        const char* name;
        std::vector<TextRule> filters;
        std::vector<Cells> table;
    } cases[] = {
        { "every line", {},
            { { "A", "3", "50.000", "25.000", "40.000", "38.5", "3" },
                { "B", "1", "30.000", "30.000", "30.000", "23.1", "4" },
                { "C", "1", "50.000", "50.000", "50.000", "38.5", "8" } } },
        { "A's longest call hidden", { hideLine3 },
            { { "A", "2", "10.000", "10.000", "10.000", "11.1", "1" },
                { "B", "1", "30.000", "30.000", "30.000", "33.3", "4" },
                { "C", "1", "50.000", "50.000", "50.000", "55.6", "8" } } },
        { "no call returned", { onlyLine7 }, { { "A", "1", "", "", "", "", "" } } },
    };
    for (const auto& each : cases) {
        EXPECT_EQ(Table(Summarize(each.filters)), each.table) << each.name;
    }
}

TEST(ScopeSummaryTest, RowsSortByAnyColumnEitherWayAndCopyAsTabSeparatedText)
{
    std::vector<ScopeFigures> rows = Summarize();
    const auto names = [&] { return Cells { rows[0].name, rows[1].name, rows[2].name }; };
    SortSummary(rows, SummaryColumn::Total, true);
    EXPECT_EQ(names(), (Cells { "A", "C", "B" })) << "ties by name";
    SortSummary(rows, SummaryColumn::Calls, false);
    EXPECT_EQ(names(), (Cells { "B", "C", "A" }));
    SortSummary(rows, SummaryColumn::Function, true);
    EXPECT_EQ(names(), (Cells { "C", "B", "A" }));
    const std::string text = SummaryText(rows);
    EXPECT_EQ(text.substr(0, text.find("C\t")),
        "Function\tCalls\tTotal (ms)\tMean (ms)\tLongest (ms)\tShare (%)\tLongest call (line)\r\n");
    EXPECT_EQ(text.substr(text.rfind("\r\n", text.size() - 3) + 2), "A\t3\t50.000\t25.000\t40.000\t38.5\t3\r\n");
}

}  // namespace
