#include "viewer/view/LineFields.h"

#include "viewer/log/LogFormat.h"

#include <charconv>

namespace tracing {

namespace {

void AppendNumber(std::string& out, std::uint64_t value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void AppendKind(std::string& out, const LineRecord& record)
{
    const std::string_view known = KnownKindName(record.origin, record.kind);
    if (!known.empty()) {
        out += known;
        return;
    }
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, record.kind).ptr;
    out.append(digits, end);
}

}  // namespace

void AppendClockTime(std::string& out, std::int64_t time)
{
    // The day is in the log; the list shows the time of day.
    std::string full;
    AppendTime(full, time);
    out.append(full, 11, std::string::npos);
}

std::string_view FieldText(
    const LineStore& store, const LineRecord& record, std::uint64_t sequence, RuleField field, std::string& scratch)
{
    scratch.clear();
    switch (field) {
    case RuleField::Line:
        AppendNumber(scratch, sequence + 1);
        return scratch;
    case RuleField::Time:
        AppendClockTime(scratch, record.time);
        return scratch;
    case RuleField::Pid:
        if (record.pid != 0) {
            AppendNumber(scratch, record.pid);
        }
        return scratch;
    case RuleField::Process:
        return store.Process(record);
    case RuleField::Kind:
        AppendKind(scratch, record);
        return scratch;
    case RuleField::Source:
        return store.Source(record);
    case RuleField::Text:
        return store.Text(record);
    default:
        AppendNumber(scratch, sequence + 1);
        scratch += '\t';
        if (record.pid != 0) {
            AppendNumber(scratch, record.pid);
        }
        scratch += '\t';
        scratch += store.Process(record);
        scratch += '\t';
        AppendKind(scratch, record);
        scratch += '\t';
        scratch += store.Source(record);
        scratch += '\t';
        scratch += store.Text(record);
        return scratch;
    }
}

}  // namespace tracing
