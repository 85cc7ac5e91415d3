// What must hold for any line handed to the log format's parser, checked by
// the fuzzer (LogLineFuzzer.cpp) and by the replay of its corpus: it parses
// without crashing; an entry that parses, written back, parses to the same
// entry, its process, source and text with every tab, CR and LF turned into
// a space as the format writes them; written once more it gives the same
// bytes. And any FILETIME count written as a time reads back as that count
// to the millisecond, for the years four digits hold.
#pragma once

#include "viewer/log/LogFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace log_line_property {

using namespace tracing;

inline std::string Spaced(std::string_view text)
{
    std::string spaced(text);
    for (char& c : spaced) {
        if (c == '\t' || c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return spaced;
}

inline LineView ViewOf(const LogEntry& entry)
{
    return { entry.time, entry.pid, entry.origin, entry.kind, entry.process, entry.source, entry.text };
}

// Null when the line keeps the property; otherwise what broke it.
inline const char* CheckLine(std::string_view line)
{
    const std::optional<LogEntry> entry = ParseLogLine(line);
    if (!entry) {
        return nullptr;
    }
    std::string written;
    AppendLogLine(written, ViewOf(*entry));
    if (written.size() < 2 || written.compare(written.size() - 2, 2, "\r\n") != 0) {
        return "an entry written back does not end in CR LF";
    }
    const std::string_view back = std::string_view(written).substr(0, written.size() - 2);
    if (back.find_first_of("\r\n") != std::string_view::npos) {
        return "an entry written back is more than one line";
    }
    const std::optional<LogEntry> again = ParseLogLine(back);
    if (!again) {
        return "an entry written back does not parse";
    }
    if (again->time != entry->time || again->pid != entry->pid || again->origin != entry->origin
        || again->kind != entry->kind || again->process != Spaced(entry->process)
        || again->source != Spaced(entry->source) || again->text != Spaced(entry->text)) {
        return "an entry written back parses to another entry";
    }
    std::string twice;
    AppendLogLine(twice, ViewOf(*again));
    return twice == written ? nullptr : "an entry written twice gives other bytes";
}

// Null when a time keeps the property; otherwise what broke it.
inline const char* CheckTime(std::int64_t time)
{
    constexpr std::int64_t kTicksPerMs = 10000;
    static const std::int64_t kYear10000
        = ParseLogLine("9999-12-31 23:59:59.999\t\t\tdebug\t\t").value_or(LogEntry {}).time + kTicksPerMs;
    std::string line;
    AppendTime(line, time);
    if (line.size() != 23) {
        return "a time is not 23 characters";
    }
    if (time < 0) {
        return line == "0000-00-00 00:00:00.000" ? nullptr : "a time without a date is not zeros";
    }
    if (time >= kYear10000) {
        return nullptr;  // the year's last four digits: another date, or none
    }
    const std::optional<LogEntry> entry = ParseLogLine(line + "\t\t\tdebug\t\t");
    if (!entry) {
        return "a time written does not parse";
    }
    return entry->time == time - time % kTicksPerMs ? nullptr : "a time written reads back as another";
}

}  // namespace log_line_property
