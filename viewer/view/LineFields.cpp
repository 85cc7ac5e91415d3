#include "viewer/view/LineFields.h"

#include <charconv>
#include <concepts>
#include <cstring>
#include <limits>
#include <new>

namespace tracing {

namespace {

template <std::size_t Size> std::string_view Digits(char (&buffer)[Size], std::int32_t value) noexcept
{
    static_assert(Size >= std::numeric_limits<std::int32_t>::digits10 + 2);
    return { buffer, static_cast<std::size_t>(std::to_chars(buffer, buffer + Size, value).ptr - buffer) };
}

// The same for a count, without to_chars' checks: two digits at a time
// from the end. Filters on the whole line format the pid of every line.
template <std::size_t Size, std::unsigned_integral Number>
std::string_view Digits(char (&buffer)[Size], Number value) noexcept
{
    static_assert(Size >= std::numeric_limits<Number>::digits10 + 1);
    static constexpr char kPairs[]
        = "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546474849"
          "5051525354555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899";
    static_assert(sizeof kPairs == 201);
    char* at = buffer + Size;
    for (; value >= 100; value /= 100) {
        at -= 2;
        std::memcpy(at, kPairs + value % 100 * 2, 2);
    }
    if (value >= 10) {
        at -= 2;
        std::memcpy(at, kPairs + value * 2, 2);
    } else {
        *--at = static_cast<char>('0' + value);
    }
    return { at, static_cast<std::size_t>(buffer + Size - at) };
}

}  // namespace

void AppendClockTime(std::string& out, std::int64_t time)
{
    // The day is in the log; the list shows the time of day.
    std::string full;
    AppendTime(full, time);
    out.append(full, 11, std::string::npos);
}

void WholeLineFields::FormatNumbers(std::uint32_t pid, std::int32_t kind, std::uint64_t number) noexcept
{
    mFields[0] = number != 0 ? Digits(mNumber, number) : std::string_view();
    mFields[1] = pid != 0 ? Digits(mPid, pid) : std::string_view();
    if (mFields[3].empty()) {
        mFields[3] = Digits(mKind, kind);
    }
}

std::string_view FieldText(const LineView& line, std::uint64_t number, RuleField field, std::string& scratch)
{
    switch (field) {
    case RuleField::Time:
        scratch.clear();
        AppendClockTime(scratch, line.time);
        return scratch;
    case RuleField::Process:
        return line.process;
    case RuleField::Kind:
        if (const std::string_view known = KnownKindName(line.origin, line.kind); !known.empty()) {
            return known;
        }
        break;
    case RuleField::Source:
        return line.source;
    case RuleField::Text:
        return line.text;
    case RuleField::Duration:
        return scratch;  // not a field of the line: duration rules ask the scopes
    default:
        break;
    }
    const WholeLineFields fields(line, number, true);
    switch (field) {
    case RuleField::Line:
        return scratch.assign(fields.Fields()[0]);
    case RuleField::Pid:
        return scratch.assign(fields.Fields()[1]);
    case RuleField::Kind:
        return scratch.assign(fields.Fields()[3]);
    default:
        pattern::JoinFields(fields.Fields(), scratch);
        return scratch;
    }
}

std::string_view FieldText(
    const LineStore& store, const LineRecord& record, std::uint64_t sequence, RuleField field, std::string& scratch)
{
    return FieldText(store.Line(record), sequence + 1, field, scratch);
}

MatchResult MatchLine(const Rule& rule, const LineView& line, std::uint64_t number, std::string& scratch) noexcept
{
    const RuleField field = rule.Definition().field;
    if (field == RuleField::WholeLine) {
        const WholeLineFields fields(line, number, rule.MayMatchInNumbers(), rule.ReadsFirstField());
        return rule.MatchesFields(fields.Fields(), scratch, fields.Tabs());
    }
    // Formatting into scratch may want memory.
    try {
        return rule.Matches(FieldText(line, number, field, scratch));
    } catch (const std::bad_alloc&) {
        return MatchResult::GaveUp;
    }
}

}  // namespace tracing

namespace tracing {

MatchResult MatchLine(const Rule& rule, const LineStore& store, const LineRecord& record, std::uint64_t sequence,
    std::string& scratch) noexcept
{
    if (rule.Definition().field == RuleField::WholeLine) {
        const WholeLineFields fields(store, record, sequence + 1, rule.MayMatchInNumbers(), rule.ReadsFirstField());
        return rule.MatchesFields(fields.Fields(), scratch, fields.Tabs());
    }
    return MatchLine(rule, store.Line(record), sequence + 1, scratch);
}

}  // namespace tracing
