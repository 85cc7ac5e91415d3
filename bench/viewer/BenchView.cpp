// bench_view: how long the viewer takes over 1,000,000 held lines to find a
// text, to apply a changed filter (plain text, whole line, regular
// expression) and to fold every scope, against a plain pass over the same
// texts with string_view::find in the same run. Prints medians.
#include "bench/support/BenchClock.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/store/LineStore.h"
#include "viewer/view/LineFinder.h"
#include "viewer/view/LineRules.h"
#include "viewer/view/ShownLines.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace tracing;

namespace {

using bench::Median;
using bench::Now;

constexpr std::size_t kLines = 1000000;
constexpr int kRuns = 5;

double MedianMs(const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        const double start = Now();
        work();
        ms.push_back((Now() - start) * 1000);
    }
    return Median(ms);
}

// Traced calls three deep from four programs, with messages and an error now and then.
void Fill(LineStore& store)
{
    static const char* const kShapes[] = { "Load - enter", "  reading block %zu of the input file", "  Parse - enter",
        "    Token - enter", "      token %zu is an identifier", "    Token - return = 0", "  Parse - return",
        "  wrote %zu bytes to the output", "Load - return", "request %zu served in 12 ms" };
    char text[96];
    for (std::size_t i = 0; i < kLines; ++i) {
        const std::size_t shape = (i / 4) % std::size(kShapes);
        std::snprintf(text, sizeof text, kShapes[shape], i);
        LineView line;
        line.time = 133000000000000000 + static_cast<std::int64_t>(i) * 1000;
        line.pid = 4000 + static_cast<std::uint32_t>(i % 4);
        line.process = "traced.exe";
        line.origin = LineOrigin::Record;
        const bool function = std::string_view(text).find(" - ") != std::string_view::npos;
        const bool error = shape == 4 && (i / 40) % 25 == 0;
        line.kind = error ? UTrace::kTraceError : (function ? UTrace::kTraceFunction : UTrace::kTraceMessage);
        line.source = "parser";
        line.text = text;
        store.Add(line);
    }
}

Rule Filter(RuleField field, const char* pattern, bool regex, bool exclude)
{
    std::string error;
    auto rule = Rule::Make(
        { .action = exclude ? RuleAction::Exclude : RuleAction::Include, .regex = regex, .field = field, .pattern = pattern },
        error);
    if (!rule) {
        std::printf("%s: %s\n", pattern, error.c_str());
        std::exit(1);
    }
    return std::move(*rule);
}

// Matches every held line against the rules in force, as the session does in slices.
void MatchAll(ShownLines& shown)
{
    while (shown.Unmatched() != 0) {
        static_cast<void>(shown.Work(4096));
    }
}

}  // namespace

int wmain()
{
    LineStore store(kLines);
    Fill(store);
    LineRules rules;
    const ScopeDurations durations;
    ShownLines shown(store, rules, durations);
    const double takeIn = MedianMs([&] {
        shown.Clear();
        static_cast<void>(shown.Work(4096));
        MatchAll(shown);
    });

    std::size_t found = 0;
    const double baseline = MedianMs([&] {
        found = 0;
        for (std::uint64_t sequence = store.First(); sequence < store.End(); ++sequence) {
            found += store.Text(store.Record(sequence)).find("identifier") != std::string_view::npos ? 1 : 0;
        }
    });
    std::printf("%zu lines, medians of %d runs\n", kLines, kRuns);
    std::printf("baseline: string_view::find over every text   %7.1f ms (%zu lines hold the text)\n", baseline, found);
    std::printf("taking the lines in (scopes, filters, shown)  %7.1f ms\n", takeIn);

    const auto report = [&](const char* what, double ms, std::size_t count) {
        std::printf("%-46s %7.1f ms  %5.1f x baseline  (%zu)\n", what, ms, ms / baseline, count);
    };
    LineFinder finder;
    for (const bool matchCase : { false, true }) {
        const double ms = MedianMs([&] {
            finder.Set("IDENTIFIER", matchCase);
            finder.Update(shown);
        });
        report(matchCase ? "find, whole line, case-sensitive" : "find, whole line, any case", ms, finder.Count());
    }

    const struct {
        const char* name;
        Rule rule;
    } filters[] = {
        { "filter: exclude text \"token\"", Filter(RuleField::Text, "token", false, true) },
        { "filter: include whole line \"reading block\"", Filter(RuleField::WholeLine, "reading block", false, false) },
        { "filter: include kind \"error\"", Filter(RuleField::Kind, "error", false, false) },
        { "filter: exclude regex on text", Filter(RuleField::Text, "^ *Token - (enter|return)", true, true) },
        { "filter: include regex on the whole line", Filter(RuleField::WholeLine, "\\t40[0-3]2\\t", true, false) },
    };
    for (const auto& filter : filters) {
        const double ms = MedianMs([&] {
            rules.SetFilters({ filter.rule });
            shown.FiltersChanged();
            MatchAll(shown);
        });
        report(filter.name, ms, shown.Size());
    }
    rules.SetFilters({});
    shown.FiltersChanged();
    MatchAll(shown);
    const double fold = MedianMs([&] {
        shown.Scopes().SetAllFolded(true);
        shown.Refold();
    });
    report("fold every scope", fold, shown.Size());
    return 0;
}
