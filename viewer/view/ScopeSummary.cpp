#include "viewer/view/ScopeSummary.h"

#include "viewer/view/FunctionScopes.h"
#include "viewer/view/ScopeDurations.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace tracing {

namespace {

constexpr std::array<const char*, kSummaryColumns> kTitles
    = { "Function", "Calls", "Total (ms)", "Mean (ms)", "Longest (ms)", "Share (%)", "Longest call (line)" };

// What a column sorts by; names are compared apart.
double SortValue(const ScopeFigures& figures, SummaryColumn column)
{
    switch (column) {
    case SummaryColumn::Calls:
        return static_cast<double>(figures.calls);
    case SummaryColumn::Total:
        return static_cast<double>(figures.total);
    case SummaryColumn::Mean:
        return figures.returned != 0 ? static_cast<double>(figures.total) / static_cast<double>(figures.returned) : -1;
    case SummaryColumn::Longest:
        return figures.returned != 0 ? static_cast<double>(figures.longest) : -1;
    case SummaryColumn::Share:
        return figures.share;
    case SummaryColumn::LongestLine:
        return figures.longestCall ? static_cast<double>(*figures.longestCall) : -1;
    default:
        return 0;
    }
}

}  // namespace

std::vector<ScopeFigures> SummarizeScopes(const ShownLines& shown)
{
    const LineStore& store = shown.Store();
    const ScopeDurations& durations = shown.Durations();
    std::map<std::string, ScopeFigures, std::less<>> byName;
    std::int64_t all = 0;
    for (std::size_t position = 0; position < shown.Size(); ++position) {
        const std::uint64_t sequence = shown.SequenceAt(position);
        const LineRecord* record = store.Find(sequence);
        if (record == nullptr || !durations.IsEntry(sequence)) {
            continue;
        }
        const ScopeLine line = ReadScopeLine(record->origin, record->kind, store.Text(*record));
        auto named = byName.find(line.name);
        if (named == byName.end()) {
            named = byName.emplace(std::string(line.name), ScopeFigures {}).first;
            named->second.name = line.name;
        }
        ScopeFigures& figures = named->second;
        ++figures.calls;
        if (const std::optional<std::int64_t> duration = durations.Of(sequence)) {
            ++figures.returned;
            figures.total += *duration;
            all += *duration;
            if (!figures.longestCall || *duration > figures.longest) {
                figures.longest = *duration;
                figures.longestCall = sequence;
            }
        }
    }
    std::vector<ScopeFigures> rows;
    rows.reserve(byName.size());
    for (auto& [name, figures] : byName) {
        figures.share = all > 0 ? 100.0 * static_cast<double>(figures.total) / static_cast<double>(all) : 0;
        rows.push_back(std::move(figures));
    }
    return rows;
}

const char* SummaryTitle(SummaryColumn column)
{
    return kTitles[static_cast<std::size_t>(column)];
}

std::string SummaryCell(const ScopeFigures& figures, SummaryColumn column)
{
    std::string cell;
    const bool timed = figures.returned != 0;
    switch (column) {
    case SummaryColumn::Function:
        return figures.name;
    case SummaryColumn::Calls:
        return std::to_string(figures.calls);
    case SummaryColumn::Total:
        if (timed) {
            AppendMilliseconds(cell, figures.total);
        }
        return cell;
    case SummaryColumn::Mean:
        if (timed) {
            AppendMilliseconds(cell, figures.total / static_cast<std::int64_t>(figures.returned));
        }
        return cell;
    case SummaryColumn::Longest:
        if (timed) {
            AppendMilliseconds(cell, figures.longest);
        }
        return cell;
    case SummaryColumn::Share: {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", figures.share);
        return timed ? text : "";
    }
    case SummaryColumn::LongestLine:
        return figures.longestCall ? std::to_string(*figures.longestCall + 1) : cell;
    default:
        return cell;
    }
}

void SortSummary(std::vector<ScopeFigures>& rows, SummaryColumn column, bool descending)
{
    std::stable_sort(rows.begin(), rows.end(), [&](const ScopeFigures& a, const ScopeFigures& b) {
        if (column != SummaryColumn::Function) {
            const double left = SortValue(a, column);
            const double right = SortValue(b, column);
            if (left != right) {
                return descending ? left > right : left < right;
            }
        } else if (a.name != b.name) {
            return descending ? a.name > b.name : a.name < b.name;
        }
        return a.name < b.name;
    });
}

std::string SummaryText(const std::vector<ScopeFigures>& rows)
{
    std::string text;
    const auto appendRow = [&](auto cellOf) {
        for (std::size_t column = 0; column < kSummaryColumns; ++column) {
            text += column == 0 ? "" : "\t";
            // A name holding a tab or line end must not break the table.
            for (const char c : cellOf(static_cast<SummaryColumn>(column))) {
                text += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
            }
        }
        text += "\r\n";
    };
    appendRow([](SummaryColumn column) { return std::string(SummaryTitle(column)); });
    for (const ScopeFigures& row : rows) {
        appendRow([&](SummaryColumn column) { return SummaryCell(row, column); });
    }
    return text;
}

}  // namespace tracing
