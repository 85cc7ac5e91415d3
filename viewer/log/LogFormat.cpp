#include "viewer/log/LogFormat.h"

#include "foundation/trace/TraceProtocol.h"

#include <windows.h>

#include <charconv>

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
        WORD value = 0;
        static_cast<void>(ParseNumber(text.substr(at, length), value));
        return value;
    };
    const SYSTEMTIME parts
        = { number(0, 4), number(5, 2), 0, number(8, 2), number(11, 2), number(14, 2), number(17, 2), number(20, 3) };
    FILETIME fileTime;
    if (!::SystemTimeToFileTime(&parts, &fileTime)) {
        return false;
    }
    time = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime);
    return true;
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
    const auto ticks = static_cast<std::uint64_t>(time);
    const FILETIME fileTime = { static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
    SYSTEMTIME parts = {};
    ::FileTimeToSystemTime(&fileTime, &parts);
    AppendDigits(out, parts.wYear, 4);
    out += '-';
    AppendDigits(out, parts.wMonth, 2);
    out += '-';
    AppendDigits(out, parts.wDay, 2);
    out += ' ';
    AppendDigits(out, parts.wHour, 2);
    out += ':';
    AppendDigits(out, parts.wMinute, 2);
    out += ':';
    AppendDigits(out, parts.wSecond, 2);
    out += '.';
    AppendDigits(out, parts.wMilliseconds, 3);
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

std::optional<LogEntry> ParseLogLine(std::string_view line)
{
    std::string_view fields[6];
    for (int i = 0; i < 5; ++i) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            return std::nullopt;
        }
        fields[i] = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    fields[5] = line;

    LogEntry entry;
    if (!ParseTime(fields[0], entry.time) || (!fields[1].empty() && !ParseNumber(fields[1], entry.pid))) {
        return std::nullopt;
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
            return std::nullopt;
        }
    }
    entry.source = fields[4];
    entry.text = fields[5];
    return entry;
}
