// The one text form of lines, written by the log file, Save and Copy: one
// line per entry, ended by "\r\n", with six tab-separated fields
//   time  pid  process  kind  source  text
// time is the local arrival time "yyyy-mm-dd hh:mm:ss.mmm"; pid is decimal
// and process the program's file name, both empty when not known; kind is
// "error", "message" or "function" for records (the number for other
// kinds) and "debug" for debug output; source is empty for debug output.
// In process, source and text every tab, CR or LF becomes a space, so a
// line of the file is always one whole entry.
#pragma once

#include "viewer/store/LineStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tracing {

// "debug", "error", "message", "function", or the record's kind as a number.
std::string KindName(LineOrigin origin, std::int32_t kind);
// The same without the number: empty for a kind that has no name.
std::string_view KnownKindName(LineOrigin origin, std::int32_t kind) noexcept;

// Appends "yyyy-mm-dd hh:mm:ss.mmm" for a local FILETIME count, as the
// system's conversion gives it: a negative count (no date) gives zeros, and a
// year past 9999 its last four digits. Plain C++, so that the format also
// builds natively, for fuzzing.
void AppendTime(std::string& out, std::int64_t time);

// Appends one entry with its "\r\n".
void AppendLogLine(std::string& out, const LineView& line);

// One entry read back. Texts are UTF-8, as in the file.
struct LogEntry {
    std::int64_t time = 0;
    std::uint32_t pid = 0;
    std::string process;
    LineOrigin origin = LineOrigin::Debug;
    std::int32_t kind = 0;
    std::string source;
    std::string text;
};

// Reads one entry (a line of the file without its "\r\n"); nothing when the
// line is not in the form above.
std::optional<LogEntry> ParseLogLine(std::string_view line);
// The same without copying: out's texts point into line. False, with out
// untouched, when the line is not in the form above.
bool ParseLogFields(std::string_view line, LineView& out);

}  // namespace tracing
