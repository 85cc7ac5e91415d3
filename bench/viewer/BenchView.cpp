// bench_view: how long the viewer takes over 1,000,000 held lines to find a
// text, to apply a changed filter (plain text, whole line, regular
// expression) and to fold every scope, against a plain pass over the same
// texts with string_view::find in the same run; and the filters' regular
// expressions matched field by field with std::regex and with the pattern
// engine. Prints medians.
#include "bench/support/BenchClock.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/pattern/Pattern.h"
#include "viewer/store/LineStore.h"
#include "viewer/view/LineFields.h"
#include "viewer/view/LineFinder.h"
#include "viewer/view/ShownLines.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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

// How many held lines' field the matcher matches.
template <typename Matches> std::size_t CountMatching(const LineStore& store, RuleField field, const Matches& matches)
{
    std::size_t count = 0;
    std::string scratch;
    const LineStore::Reading reading = store.Read();
    for (std::size_t i = 0; i < reading.Size(); ++i) {
        count += matches(FieldText(reading, reading.Record(i), reading.First() + i, field, scratch)) ? 1 : 0;
    }
    return count;
}

TextRule Rule(RuleField field, const char* pattern, bool regex, bool exclude)
{
    TextRule rule;
    rule.field = field;
    rule.pattern = pattern;
    rule.regex = regex;
    rule.exclude = exclude;
    return rule;
}

}  // namespace

int wmain()
{
    LineStore store(kLines);
    Fill(store);
    ShownLines shown(store);
    const double takeIn = MedianMs([&] {
        shown.Clear();
        static_cast<void>(shown.CatchUp());
    });

    std::size_t found = 0;
    const double baseline = MedianMs([&] {
        found = 0;
        const LineStore::Reading reading = store.Read();
        for (std::size_t i = 0; i < reading.Size(); ++i) {
            found += reading.Text(reading.Record(i)).find("identifier") != std::string_view::npos ? 1 : 0;
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
        TextRule rule;
    } filters[] = {
        { "filter: exclude text \"token\"", Rule(RuleField::Text, "token", false, true) },
        { "filter: include whole line \"parser<tab>  reading\"",
            Rule(RuleField::WholeLine, "parser\t  reading", false, false) },
        { "filter: include kind \"error\"", Rule(RuleField::Kind, "error", false, false) },
        { "filter: exclude regex on text", Rule(RuleField::Text, "^ *Token - (enter|return)", true, true) },
        { "filter: include regex on the whole line", Rule(RuleField::WholeLine, "\\t40[0-3]2\\t", true, false) },
    };
    for (const auto& filter : filters) {
        const double ms = MedianMs([&] { shown.SetFilters({ filter.rule }); });
        report(filter.name, ms, shown.Size());
    }
    shown.SetFilters({});

    for (const auto& filter : filters) {
        if (!filter.rule.regex) {
            continue;
        }
        std::string error;
        const auto matcher = RuleMatcher::Compile(filter.rule, error);
        const auto engine = pattern::Pattern::Compile(filter.rule.pattern, filter.rule.matchCase, error);
        const std::string field = filter.rule.field == RuleField::Text ? "text" : "whole line";
        std::size_t count = 0;
        const double old = MedianMs([&] {
            count = CountMatching(
                store, filter.rule.field, [&](std::string_view text) { return matcher->Matches(text); });
        });
        report(("regex on " + field + ": std::regex").c_str(), old, count);
        const double ms = MedianMs([&] {
            count = CountMatching(store, filter.rule.field,
                [&](std::string_view text) { return engine->Search(text) == pattern::SearchResult::Match; });
        });
        report(("regex on " + field + ": pattern engine").c_str(), ms, count);
    }

    const double fold = MedianMs([&] {
        shown.Scopes().SetAllFolded(true);
        shown.Refold();
    });
    report("fold every scope", fold, shown.Size());
    return 0;
}
