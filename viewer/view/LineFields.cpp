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

void AppendKind(std::string& out, LineOrigin origin, std::int32_t kind)
{
    const std::string_view known = KnownKindName(origin, kind);
    if (!known.empty()) {
        out += known;
        return;
    }
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, kind).ptr;
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

std::string_view FieldText(const LineView& line, std::uint64_t number, RuleField field, std::string& scratch)
{
    scratch.clear();
    switch (field) {
    case RuleField::Line:
        AppendNumber(scratch, number);
        return scratch;
    case RuleField::Time:
        AppendClockTime(scratch, line.time);
        return scratch;
    case RuleField::Pid:
        if (line.pid != 0) {
            AppendNumber(scratch, line.pid);
        }
        return scratch;
    case RuleField::Process:
        return line.process;
    case RuleField::Kind:
        AppendKind(scratch, line.origin, line.kind);
        return scratch;
    case RuleField::Source:
        return line.source;
    case RuleField::Text:
        return line.text;
    case RuleField::Duration:
        return scratch;  // not a field of the line: duration rules ask the scopes
    default:
        AppendNumber(scratch, number);
        scratch += '\t';
        if (line.pid != 0) {
            AppendNumber(scratch, line.pid);
        }
        scratch += '\t';
        scratch += line.process;
        scratch += '\t';
        AppendKind(scratch, line.origin, line.kind);
        scratch += '\t';
        scratch += line.source;
        scratch += '\t';
        scratch += line.text;
        return scratch;
    }
}

std::string_view FieldText(
    const LineStore& store, const LineRecord& record, std::uint64_t sequence, RuleField field, std::string& scratch)
{
    return FieldText(store.Line(record), sequence + 1, field, scratch);
}

}  // namespace tracing
