// tracecap's command line, read without touching the system: what to
// capture, where to write it, which lines to keep, when to stop and what
// turns the run into a failure. Regular expressions and the rules file are
// checked when the selection is made (LineSelection).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tracecap {

enum class OutputFormat { Log, Jsonl };

// The exit statuses, first that applies: see HelpText.
inline constexpr int kExitBadUse = 2;
inline constexpr int kExitInterrupted = 130;
inline constexpr int kExitTimedOut = 124;
inline constexpr int kExitFailOnMatched = 3;

struct Options {
    bool help = false;
    std::optional<std::wstring> outPath;
    std::uint64_t logLimitBytes = std::uint64_t { 64 } << 20;
    OutputFormat format = OutputFormat::Log;
    std::vector<std::uint32_t> pids;
    std::vector<std::string> processes;  // UTF-8, matched without regard to case
    std::vector<std::string> includes;  // regular expressions, UTF-8
    std::vector<std::string> excludes;
    std::vector<std::string> failOn;
    std::optional<std::string> until;
    std::optional<std::wstring> rulesPath;
    bool ignoreCase = false;
    bool failOnError = false;
    bool waitForBuffer = false;
    std::optional<std::uint32_t> timeoutMs;
    // The program under test and its arguments, after "--".
    std::vector<std::wstring> program;
};

struct ParsedOptions {
    std::optional<Options> options;
    std::string error;  // one line naming the bad argument, when options is empty
};

// Reads the arguments that follow the program's name.
ParsedOptions ParseOptions(const std::vector<std::wstring>& arguments);

// The synopsis printed after a bad argument.
const char* UsageText();
// --help: the synopsis, every option and the exit statuses.
const char* HelpText();

// The command line that passes arguments to a program so that its runtime
// splits them back as they were.
std::wstring QuoteCommandLine(const std::vector<std::wstring>& arguments);

}  // namespace tracecap
