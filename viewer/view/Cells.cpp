#include "viewer/view/Cells.h"

#include "viewer/view/LineFields.h"

#include <cstdio>

namespace tracing {

static_assert(static_cast<int>(Column::Text) == static_cast<int>(RuleField::Text)
        && static_cast<int>(Column::Line) == static_cast<int>(RuleField::Line)
        && static_cast<int>(Column::Duration) == static_cast<int>(RuleField::Duration),
    "a column and the rule field of the same name share their number");

namespace {

// Seconds with milliseconds and a sign, "+1.250".
void AppendDifference(std::string& out, std::int64_t ticks)
{
    const std::int64_t milliseconds = ticks / 10000;
    const std::int64_t magnitude = milliseconds < 0 ? -milliseconds : milliseconds;
    char text[32];
    std::snprintf(text, sizeof text, "%c%lld.%03lld", milliseconds < 0 ? '-' : '+',
        static_cast<long long>(magnitude / 1000), static_cast<long long>(magnitude % 1000));
    out += text;
}

}  // namespace

void AppendCellText(std::string& out, const ShownLines& shown, std::size_t position, Column column, TimeMode timeMode)
{
    if (position >= shown.Size()) {
        return;
    }
    const std::uint64_t sequence = shown.SequenceAt(position);
    const LineStore& store = shown.Store();
    const LineRecord* record = store.Find(sequence);
    if (record == nullptr) {
        return;  // dropped since the list was last refreshed
    }
    if (column == Column::Fold) {
        const FunctionScopes::Scope* scope = shown.Scopes().At(sequence);
        if (scope != nullptr && shown.Scopes().Foldable(*scope)) {
            out += scope->folded ? "+" : "-";
        }
        return;
    }
    if (column == Column::Duration) {
        if (const std::optional<std::int64_t> duration = shown.Durations().Of(sequence)) {
            AppendMilliseconds(out, *duration);
        }
        return;
    }
    if (column == Column::Time && timeMode != TimeMode::Clock) {
        const std::size_t base = timeMode == TimeMode::SinceFirst ? 0 : (position == 0 ? 0 : position - 1);
        const LineRecord* baseRecord = store.Find(shown.SequenceAt(base));
        AppendDifference(out, record->time - (baseRecord != nullptr ? baseRecord->time : record->time));
        return;
    }
    std::string scratch;
    out += FieldText(store, *record, sequence, static_cast<RuleField>(column), scratch);
}

}  // namespace tracing
