// Tracing.exe's command line:
//   /log PATH       log every line to PATH (appending), from the start
//   /log-limit MB   rotate the log at MB megabytes (default 64; a fraction
//                   such as 0.01 is allowed, down to 4 KB)
//   /history LINES  hold at most LINES lines (default 1,000,000)
//   /history-mb MB  hold lines costing at most MB megabytes (default 1024 in
//                   the 64-bit program, 256 in the 32-bit one; at least 1)
//   /rules FILE     bring in front the view named after FILE, made or with
//                   its rules replaced by those of FILE (their text form)
//   PATH            show the saved log (or any text file) PATH in a window
//                   of its own, which does not capture
//   /follow PATH    the same, and show every line added to PATH afterwards
// Options may start with "/" or "-" and are not case-sensitive. They hold
// for this run and do not change the kept settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tracing {

// The smallest /log-limit: below it a log would rotate at nearly every line.
inline constexpr std::uint64_t kMinLogLimitBytes = 4096;

struct CommandLine {
    std::optional<std::wstring> logPath;
    std::optional<std::uint64_t> logLimitBytes;
    std::optional<std::uint32_t> historyLines;
    std::optional<std::uint32_t> historyMB;
    std::optional<std::wstring> rulesPath;
    std::optional<std::wstring> openPath;
    bool follow = false;  // openPath is followed as it grows
    // Arguments that are not understood, or options without a good value.
    std::vector<std::wstring> ignored;
};

// Reads the arguments that follow the program's name.
CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments);

// The last part of a path (a saved log's or a rules file's name), after its last \ or /.
std::wstring FileNameOf(const std::wstring& path);

// The arguments of a command line as the shell splits them, without the program's name.
std::vector<std::wstring> SplitArguments(const wchar_t* commandLine);

}  // namespace tracing
