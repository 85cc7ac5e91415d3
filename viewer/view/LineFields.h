// The texts of a held line's fields, as rules and find see them and as the
// list shows them (the time as the clock time of day).
#pragma once

#include "viewer/log/LogFormat.h"
#include "viewer/pattern/Fields.h"
#include "viewer/rules/TextRule.h"
#include "viewer/store/LineStore.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tracing {

// The field's text for a line whose number (as shown, from 1) is number.
// scratch holds what has to be formatted and must outlive the result; the
// line's own texts are returned without a copy.
std::string_view FieldText(const LineView& line, std::uint64_t number, RuleField field, std::string& scratch);
// The same for a held line at sequence (from 0).
std::string_view FieldText(
    const LineStore& store, const LineRecord& record, std::uint64_t sequence, RuleField field, std::string& scratch);

// The fields the whole line joins, in order, for searches that go field by
// field rather than format the line. The numbers (line, pid, a kind without
// a name) are formatted only withNumbers: a search that cannot match in them
// is given them empty. The line number, first, is also left empty without
// withLineNumber, for a search that never reads the first field.
class WholeLineFields {
public:
    // Inline: find and the filters make one for every line they read.
    WholeLineFields(const LineView& line, std::uint64_t number, bool withNumbers, bool withLineNumber = true) noexcept
        : mFields { std::string_view(), std::string_view(), line.process, KnownKindName(line.origin, line.kind),
            line.source, line.text }
        , mTabs(line.textsHoldTab ? pattern::FieldTabs::Anywhere : pattern::FieldTabs::Between)
    {
        if (withNumbers) {
            FormatNumbers(line.pid, line.kind, withLineNumber ? number : 0);
        }
    }
    // The same for a held line, read straight from the store: copying the
    // texts out of a line view costs a stalled load on every line.
    WholeLineFields(const LineStore& store, const LineRecord& record, std::uint64_t number, bool withNumbers,
        bool withLineNumber = true) noexcept
        : mFields { std::string_view(), std::string_view(), store.Process(record),
            KnownKindName(record.origin, record.kind), store.Source(record), store.Text(record) }
        , mTabs(record.textsHoldTab ? pattern::FieldTabs::Anywhere : pattern::FieldTabs::Between)
    {
        if (withNumbers) {
            FormatNumbers(record.pid, record.kind, withLineNumber ? number : 0);
        }
    }
    WholeLineFields(const WholeLineFields&) = delete;
    WholeLineFields& operator=(const WholeLineFields&) = delete;

    pattern::Fields Fields() const noexcept { return mFields; }
    // Numbers and kind names never hold a tab: the line's texts decide.
    pattern::FieldTabs Tabs() const noexcept { return mTabs; }

private:
    // A number of 0 (no line has it) is left empty.
    void FormatNumbers(std::uint32_t pid, std::int32_t kind, std::uint64_t number) noexcept;

    char mNumber[20];
    char mPid[10];
    char mKind[11];
    std::array<std::string_view, 6> mFields;
    pattern::FieldTabs mTabs;
};

// Whether rule matches the line whose number (as shown, from 1) is number;
// scratch as for FieldText.
MatchResult MatchLine(const Rule& rule, const LineView& line, std::uint64_t number, std::string& scratch) noexcept;
// The same for a held line at sequence (from 0), read straight from the store:
// a line view handed from another file is written out and read back field
// by field, which the filters pay on every line.
MatchResult MatchLine(const Rule& rule, const LineStore& store, const LineRecord& record, std::uint64_t sequence,
    std::string& scratch) noexcept;

// "hh:mm:ss.mmm" of a line's local time.
void AppendClockTime(std::string& out, std::int64_t time);

}  // namespace tracing
