#include "viewer/window/ListCells.h"

#include "viewer/view/LineFields.h"

#include <commctrl.h>

#include <cstdio>

const std::array<ColumnRow, ViewerSettings::kColumns> kColumnRows = { {
    { ViewerColumn::Fold, L"", 22, LVCFMT_LEFT },
    { ViewerColumn::Line, L"Line", 60, LVCFMT_RIGHT },
    { ViewerColumn::Time, L"Time", 95, LVCFMT_LEFT },
    { ViewerColumn::Pid, L"PID", 55, LVCFMT_RIGHT },
    { ViewerColumn::Process, L"Process", 110, LVCFMT_LEFT },
    { ViewerColumn::Kind, L"Kind", 65, LVCFMT_LEFT },
    { ViewerColumn::Source, L"Source", 90, LVCFMT_LEFT },
    { ViewerColumn::Text, L"Text", 460, LVCFMT_LEFT },
} };

static_assert(static_cast<int>(ViewerColumn::Text) == static_cast<int>(RuleField::Text)
        && static_cast<int>(ViewerColumn::Line) == static_cast<int>(RuleField::Line),
    "a column and the rule field of the same name share their number");

namespace {

const LineRecord* HeldRecord(const LineStore::Reading& reading, std::uint64_t sequence)
{
    if (sequence < reading.First() || sequence - reading.First() >= reading.Size()) {
        return nullptr;
    }
    return &reading.Record(static_cast<std::size_t>(sequence - reading.First()));
}

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

void AppendCellText(std::string& out, const LineStore::Reading& reading, ShownLines& shown, std::size_t position,
    ViewerColumn column, TimeMode timeMode)
{
    if (position >= shown.Size()) {
        return;
    }
    const std::uint64_t sequence = shown.SequenceAt(position);
    const LineRecord* record = HeldRecord(reading, sequence);
    if (record == nullptr) {
        return;  // dropped since the list was last refreshed
    }
    if (column == ViewerColumn::Fold) {
        const FunctionScopes::Scope* scope = shown.Scopes().At(sequence);
        if (scope != nullptr && shown.Scopes().Foldable(*scope)) {
            out += scope->folded ? "+" : "-";
        }
        return;
    }
    if (column == ViewerColumn::Time && timeMode != TimeMode::Clock) {
        const std::size_t base = timeMode == TimeMode::SinceFirst ? 0 : (position == 0 ? 0 : position - 1);
        const LineRecord* baseRecord = HeldRecord(reading, shown.SequenceAt(base));
        AppendDifference(out, record->time - (baseRecord != nullptr ? baseRecord->time : record->time));
        return;
    }
    std::string scratch;
    out += FieldText(reading, *record, sequence, static_cast<RuleField>(column), scratch);
}
