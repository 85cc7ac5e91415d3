#include "viewer/log/LogFormat.h"

#include "foundation/trace/TraceProtocol.h"

#include <algorithm>
#include <charconv>

namespace tracing {

namespace {

constexpr std::string_view kDebugKind = "debug";

struct KindText {
    std::int32_t kind;
    std::string_view name;
};
constexpr KindText kRecordKinds[] = {
    { UTrace::kTraceError, "error" },
    { UTrace::kTraceMessage, "message" },
    { UTrace::kTraceFunction, "function" },
};

void AppendDigits(std::string& out, unsigned value, int width)
{
    char digits[10];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<std::size_t>(width));
}

// Appends text with tabs, CRs and LFs turned into spaces.
void AppendField(std::string& out, std::string_view text)
{
    const std::size_t start = out.size();
    out += text;
    for (std::size_t i = start; i < out.size(); ++i) {
        if (out[i] == '\t' || out[i] == '\r' || out[i] == '\n') {
            out[i] = ' ';
        }
    }
}

template <typename Number> bool ParseNumber(std::string_view text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// The calendar is the proleptic Gregorian one that FILETIME counts use,
// from 1601-01-01, which begins a 400-year cycle. Worked out here rather than
// by the system, so that the format builds and is fuzzed on any platform.
constexpr std::uint64_t kTicksPerMs = 10000;
constexpr std::uint64_t kMsPerDay = 86400000;
constexpr std::uint64_t kDaysPer400Years = 146097;
constexpr std::uint64_t kDaysPer100Years = 36524;
constexpr std::uint64_t kDaysPer4Years = 1461;
constexpr std::uint64_t kDaysPerYear = 365;
constexpr unsigned kFirstYear = 1601;
constexpr unsigned kMonthDays[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };

bool LeapYear(unsigned year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(unsigned year, unsigned month)
{
    return kMonthDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0);
}

struct CalendarTime {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
};

// As FileTimeToSystemTime: counts from 1601; a negative count has no date.
bool ToCalendar(std::int64_t time, CalendarTime& parts)
{
    if (time < 0) {
        return false;
    }
    const std::uint64_t ms = static_cast<std::uint64_t>(time) / kTicksPerMs;
    const std::uint64_t msOfDay = ms % kMsPerDay;
    parts.ms = static_cast<unsigned>(msOfDay % 1000);
    parts.second = static_cast<unsigned>(msOfDay / 1000 % 60);
    parts.minute = static_cast<unsigned>(msOfDay / 60000 % 60);
    parts.hour = static_cast<unsigned>(msOfDay / 3600000);

    std::uint64_t days = ms / kMsPerDay;
    const std::uint64_t cycles = days / kDaysPer400Years;
    days %= kDaysPer400Years;
    // The last century of a cycle and the last year of four are a day longer.
    const std::uint64_t centuries = std::min<std::uint64_t>(days / kDaysPer100Years, 3);
    days -= centuries * kDaysPer100Years;
    const std::uint64_t fours = days / kDaysPer4Years;
    days %= kDaysPer4Years;
    const std::uint64_t years = std::min<std::uint64_t>(days / kDaysPerYear, 3);
    days -= years * kDaysPerYear;
    parts.year = static_cast<unsigned>(kFirstYear + cycles * 400 + centuries * 100 + fours * 4 + years);
    parts.month = 1;
    while (days >= DaysInMonth(parts.year, parts.month)) {
        days -= DaysInMonth(parts.year, parts.month);
        ++parts.month;
    }
    parts.day = static_cast<unsigned>(days) + 1;
    return true;
}

// As SystemTimeToFileTime, for the years four digits can hold.
bool FromCalendar(const CalendarTime& parts, std::int64_t& time)
{
    if (parts.year < kFirstYear || parts.month < 1 || parts.month > 12 || parts.day < 1
        || parts.day > DaysInMonth(parts.year, parts.month) || parts.hour > 23 || parts.minute > 59 || parts.second > 59
        || parts.ms > 999) {
        return false;
    }
    const std::uint64_t years = parts.year - kFirstYear;
    std::uint64_t days = years * kDaysPerYear + years / 4 - years / 100 + years / 400 + (parts.day - 1);
    for (unsigned month = 1; month < parts.month; ++month) {
        days += DaysInMonth(parts.year, month);
    }
    const std::uint64_t ms
        = days * kMsPerDay + ((parts.hour * 60ull + parts.minute) * 60 + parts.second) * 1000 + parts.ms;
    time = static_cast<std::int64_t>(ms * kTicksPerMs);
    return true;
}

// "yyyy-mm-dd hh:mm:ss.mmm" back into a FILETIME count.
bool ParseTime(std::string_view text, std::int64_t& time)
{
    constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd.ddd";
    if (text.size() != kShape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) {
            return false;
        }
    }
    const auto number = [&](std::size_t at, std::size_t length) {
        unsigned value = 0;
        for (const char digit : text.substr(at, length)) {
            value = value * 10 + static_cast<unsigned>(digit - '0');
        }
        return value;
    };
    CalendarTime parts;
    parts.year = number(0, 4);
    parts.month = number(5, 2);
    parts.day = number(8, 2);
    parts.hour = number(11, 2);
    parts.minute = number(14, 2);
    parts.second = number(17, 2);
    parts.ms = number(20, 3);
    return FromCalendar(parts, time);
}

}  // namespace

std::string_view KnownKindName(LineOrigin origin, std::int32_t kind) noexcept
{
    if (origin == LineOrigin::Debug) {
        return kDebugKind;
    }
    for (const KindText& known : kRecordKinds) {
        if (known.kind == kind) {
            return known.name;
        }
    }
    return {};
}

std::string KindName(LineOrigin origin, std::int32_t kind)
{
    const std::string_view known = KnownKindName(origin, kind);
    return known.empty() ? std::to_string(kind) : std::string(known);
}

void AppendTime(std::string& out, std::int64_t time)
{
    // A count without a date gives zeros, and a year past 9999 its last four digits.
    CalendarTime parts;
    static_cast<void>(ToCalendar(time, parts));
    AppendDigits(out, parts.year, 4);
    out += '-';
    AppendDigits(out, parts.month, 2);
    out += '-';
    AppendDigits(out, parts.day, 2);
    out += ' ';
    AppendDigits(out, parts.hour, 2);
    out += ':';
    AppendDigits(out, parts.minute, 2);
    out += ':';
    AppendDigits(out, parts.second, 2);
    out += '.';
    AppendDigits(out, parts.ms, 3);
}

void AppendLogLine(std::string& out, const LineView& line)
{
    AppendTime(out, line.time);
    out += '\t';
    if (line.pid != 0) {
        out += std::to_string(line.pid);
    }
    out += '\t';
    AppendField(out, line.process);
    out += '\t';
    out += KindName(line.origin, line.kind);
    out += '\t';
    AppendField(out, line.source);
    out += '\t';
    AppendField(out, line.text);
    out += "\r\n";
}

bool ParseLogFields(std::string_view line, LineView& out)
{
    std::string_view fields[6];
    for (int i = 0; i < 5; ++i) {
        // The fields before the text are short: a plain loop beats a call to memchr.
        std::size_t tab = 0;
        while (tab < line.size() && line[tab] != '\t') {
            ++tab;
        }
        if (tab == line.size()) {
            return false;
        }
        fields[i] = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    fields[5] = line;

    LineView entry;
    if (!ParseTime(fields[0], entry.time) || (!fields[1].empty() && !ParseNumber(fields[1], entry.pid))) {
        return false;
    }
    entry.process = fields[2];
    if (fields[3] == kDebugKind) {
        entry.origin = LineOrigin::Debug;
    } else {
        entry.origin = LineOrigin::Record;
        bool named = false;
        for (const KindText& known : kRecordKinds) {
            if (fields[3] == known.name) {
                entry.kind = known.kind;
                named = true;
            }
        }
        if (!named && !ParseNumber(fields[3], entry.kind)) {
            return false;
        }
    }
    entry.source = fields[4];
    entry.text = fields[5];
    out = entry;
    return true;
}

std::optional<LogEntry> ParseLogLine(std::string_view line)
{
    LineView fields;
    if (!ParseLogFields(line, fields)) {
        return std::nullopt;
    }
    LogEntry entry;
    entry.time = fields.time;
    entry.pid = fields.pid;
    entry.process = fields.process;
    entry.origin = fields.origin;
    entry.kind = fields.kind;
    entry.source = fields.source;
    entry.text = fields.text;
    return entry;
}

}  // namespace tracing
