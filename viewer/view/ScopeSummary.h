// What the function scopes among a view's shown lines took, per function
// name: calls, total, mean and longest time, share of all the time, and the
// longest call's line. Only scopes that returned count toward times.
#pragma once

#include "viewer/view/ShownLines.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tracing {

struct ScopeFigures {
    std::string name;
    std::uint64_t calls = 0;  // entry lines shown
    std::uint64_t returned = 0;  // of those, the scopes that have a duration
    std::int64_t total = 0;  // 100 ns units
    std::int64_t longest = 0;
    std::optional<std::uint64_t> longestCall;  // the longest call's entry line (sequence)
    double share = 0;  // percent of every function's total
};

// The summary's columns, as the dialog and the copied text show them.
enum class SummaryColumn : int { Function, Calls, Total, Mean, Longest, Share, LongestLine, Count };
inline constexpr std::size_t kSummaryColumns = static_cast<std::size_t>(SummaryColumn::Count);

// Every function name seen among the shown lines, by name.
std::vector<ScopeFigures> SummarizeScopes(const ShownLines& shown);

// A cell's text (UTF-8): milliseconds with three decimals, the share with
// one, the line as numbered in the list; empty times while none returned.
std::string SummaryCell(const ScopeFigures& figures, SummaryColumn column);
const char* SummaryTitle(SummaryColumn column);
// Orders rows by a column (names and numbers as such), ties by name.
void SortSummary(std::vector<ScopeFigures>& rows, SummaryColumn column, bool descending);
// The table as tab-separated text, a header row first, each row ended by CRLF.
std::string SummaryText(const std::vector<ScopeFigures>& rows);

}  // namespace tracing
