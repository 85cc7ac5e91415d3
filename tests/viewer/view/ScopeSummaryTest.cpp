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

constexpr std::int32_t F = UTrace::kTraceFunction;

struct Stamped {
    bool debug;
    const char* text;
    std::int64_t ms;
};

const std::vector<Stamped> kStream = {
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

class Summary {
public:
    explicit Summary(std::vector<TextRule> filters = {})
    {
        std::string error;
        std::vector<Rule> made;
        for (TextRule& filter : filters) {
            made.push_back(*Rule::Make(std::move(filter), error));
        }
        mRules.SetFilters(std::move(made));
        for (const Stamped& line : kStream) {
            const LineOrigin origin = line.debug ? LineOrigin::Debug : LineOrigin::Record;
            const std::int32_t kind = line.debug ? 0 : F;
            mStore.Add({ 0, 5, origin, kind, "app.exe", "", line.text });
            mDurations.Add(mStore.End() - 1, origin, kind, line.text, PairingSender(origin, 5, 0), line.ms * 10000);
        }
        static_cast<void>(mShown.Work(1000));
    }
    std::vector<ScopeFigures> Rows() const { return SummarizeScopes(mShown); }

private:
    LineStore mStore;
    LineRules mRules;
    ScopeDurations mDurations;
    ShownLines mShown { mStore, mRules, mDurations };
};

std::vector<std::string> Cells(const ScopeFigures& figures)
{
    std::vector<std::string> cells;
    for (std::size_t column = 0; column < kSummaryColumns; ++column) {
        cells.push_back(SummaryCell(figures, static_cast<SummaryColumn>(column)));
    }
    return cells;
}

std::vector<std::string> Names(const std::vector<ScopeFigures>& rows)
{
    std::vector<std::string> names;
    for (const ScopeFigures& row : rows) {
        names.push_back(row.name);
    }
    return names;
}

TEST(ScopeSummaryTest, FiguresCountEveryCallAndTimeOnlyTheReturnedOnes)
{
    const std::vector<ScopeFigures> rows = Summary().Rows();
    ASSERT_EQ(Names(rows), (std::vector<std::string> { "A", "B", "C" }));
    const std::vector<std::string> expected[] = {
        { "A", "3", "50.000", "25.000", "40.000", "38.5", "3" },
        { "B", "1", "30.000", "30.000", "30.000", "23.1", "4" },
        { "C", "1", "50.000", "50.000", "50.000", "38.5", "8" },
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(Cells(rows[i]), expected[i]) << rows[i].name;
    }
}

TEST(ScopeSummaryTest, OnlyTheShownLinesCount)
{
    // The line numbered 3 (A's longest call) is hidden: A's figures come from the rest.
    const std::vector<ScopeFigures> rows
        = Summary({ TextRule { .action = RuleAction::Exclude, .field = RuleField::Line, .pattern = "3" } }).Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(Cells(rows[0]), (std::vector<std::string> { "A", "2", "10.000", "10.000", "10.000", "11.1", "1" }));
    // A function none of whose calls returned has no times.
    const std::vector<ScopeFigures> open = Summary({ TextRule { .field = RuleField::Line, .pattern = "7" } }).Rows();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(Cells(open[0]), (std::vector<std::string> { "A", "1", "", "", "", "", "" }));
}

TEST(ScopeSummaryTest, RowsSortByAnyColumnEitherWayAndCopyAsTabSeparatedText)
{
    std::vector<ScopeFigures> rows = Summary().Rows();
    const struct {
        SummaryColumn column;
        bool descending;
        std::vector<std::string> names;
    } orders[] = {
        { SummaryColumn::Total, true, { "A", "C", "B" } },  // ties by name
        { SummaryColumn::Calls, false, { "B", "C", "A" } },
        { SummaryColumn::Longest, true, { "C", "A", "B" } },
        { SummaryColumn::Function, true, { "C", "B", "A" } },
        { SummaryColumn::LongestLine, false, { "A", "B", "C" } },
    };
    for (const auto& order : orders) {
        SortSummary(rows, order.column, order.descending);
        EXPECT_EQ(Names(rows), order.names) << SummaryTitle(order.column) << (order.descending ? " down" : " up");
    }
    const std::string text = SummaryText(rows);
    EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2) + 2),
        "Function\tCalls\tTotal (ms)\tMean (ms)\tLongest (ms)\tShare (%)\tLongest call (line)\r\n"
        "A\t3\t50.000\t25.000\t40.000\t38.5\t3\r\n");
}

}  // namespace
