#include "tools/tracecap/core/Options.h"

#include "foundation/text/Unicode.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string_view>

namespace tracecap {

namespace {

// The smallest --log-limit, as Tracing.exe's /log-limit: below it a log
// would rotate at nearly every line. The largest keeps MB x 2^20 exact.
constexpr double kMinLogLimitBytes = 4096;
constexpr double kMaxLogLimitMB = 1024 * 1024;
// Longer than any wait a test step needs, and within a DWORD of milliseconds.
constexpr double kMaxTimeoutSeconds = 7 * 24 * 3600;

std::string Quoted(std::wstring_view text)
{
    return "\"" + unicode::wide_to_utf8(text) + "\"";
}

// A whole decimal number (a fraction allowed), or nothing.
std::optional<double> Number(const std::wstring& text)
{
    if (text.empty() || text.front() == L' ' || text.front() == L'\t') {
        return std::nullopt;
    }
    wchar_t* end = nullptr;
    const double value = std::wcstod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> ProcessId(const std::wstring& text)
{
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (value == 0 || value > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::wstring>& arguments)
{
    Options options;
    const auto fail = [](std::string message) { return ParsedOptions { std::nullopt, std::move(message) }; };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::wstring name = arguments[i];
        if (name == L"--") {
            options.program.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
            if (options.program.empty()) {
                return fail("\"--\" is not followed by a program");
            }
            break;
        }
        std::optional<std::wstring> inlineValue;
        if (const std::size_t equals = name.find(L'='); name.starts_with(L"--") && equals != std::wstring::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const auto flag = [&](bool& target) {
            target = true;
            return !inlineValue.has_value();
        };
        if (name == L"--help" || name == L"-h" || name == L"/?") {
            if (!flag(options.help)) {
                return fail(Quoted(name) + " takes no value");
            }
            continue;
        }
        if (name == L"--ignore-case" || name == L"--fail-on-error" || name == L"--wait-for-buffer") {
            bool& target = name == L"--ignore-case" ? options.ignoreCase
                : name == L"--fail-on-error"        ? options.failOnError
                                                    : options.waitForBuffer;
            if (!flag(target)) {
                return fail(Quoted(name) + " takes no value");
            }
            continue;
        }
        const bool takesValue = name == L"--out" || name == L"--log-limit" || name == L"--format" || name == L"--pid"
            || name == L"--process" || name == L"--include" || name == L"--exclude" || name == L"--rules"
            || name == L"--until" || name == L"--timeout" || name == L"--fail-on";
        if (!takesValue) {
            return fail("unknown option " + Quoted(arguments[i]));
        }
        if (!inlineValue) {
            if (i + 1 == arguments.size()) {
                return fail(Quoted(name) + " needs a value");
            }
            inlineValue = arguments[++i];
        }
        const std::wstring& value = *inlineValue;
        const std::string text = unicode::wide_to_utf8(value);
        if (name == L"--out") {
            if (value.empty()) {
                return fail("--out needs a file name");
            }
            options.outPath = value;
        } else if (name == L"--log-limit") {
            const std::optional<double> megabytes = Number(value);
            if (!megabytes || *megabytes * 1048576.0 < kMinLogLimitBytes || *megabytes > kMaxLogLimitMB) {
                return fail("--log-limit " + Quoted(value) + " is not a size in megabytes from 0.004 to 1048576");
            }
            options.logLimitBytes = static_cast<std::uint64_t>(*megabytes * 1048576.0);
        } else if (name == L"--format") {
            if (value == L"log") {
                options.format = OutputFormat::Log;
            } else if (value == L"jsonl") {
                options.format = OutputFormat::Jsonl;
            } else {
                return fail("--format " + Quoted(value) + " is neither \"log\" nor \"jsonl\"");
            }
        } else if (name == L"--pid") {
            const std::optional<std::uint32_t> pid = ProcessId(value);
            if (!pid) {
                return fail("--pid " + Quoted(value) + " is not a process id");
            }
            options.pids.push_back(*pid);
        } else if (name == L"--process") {
            if (value.empty()) {
                return fail("--process needs a program file name");
            }
            options.processes.push_back(text);
        } else if (name == L"--include") {
            options.includes.push_back(text);
        } else if (name == L"--exclude") {
            options.excludes.push_back(text);
        } else if (name == L"--fail-on") {
            options.failOn.push_back(text);
        } else if (name == L"--until") {
            options.until = text;
        } else if (name == L"--rules") {
            options.rulesPath = value;
        } else if (name == L"--timeout") {
            const std::optional<double> seconds = Number(value);
            if (!seconds || *seconds <= 0 || *seconds > kMaxTimeoutSeconds) {
                return fail("--timeout " + Quoted(value) + " is not a number of seconds above 0");
            }
            options.timeoutMs = static_cast<std::uint32_t>(std::max(1.0, std::ceil(*seconds * 1000)));
        }
    }
    return { std::move(options), {} };
}

const char* UsageText()
{
    return "usage: tracecap [OPTIONS] [-- PROGRAM [ARGUMENTS...]]\n"
           "       tracecap --help\n";
}

const char* HelpText()
{
    return "usage: tracecap [OPTIONS] [-- PROGRAM [ARGUMENTS...]]\n"
           "\n"
           "Captures the session's debug output and trace records and writes each line\n"
           "as it arrives, in the log format (six tab-separated fields).\n"
           "\n"
           "  --out PATH          append to PATH instead of standard output\n"
           "  --log-limit MB      rotate PATH at MB megabytes (default 64): PATH.1 ... PATH.9\n"
           "  --format log|jsonl  the log format (default), or one JSON object a line\n"
           "  --pid N             keep only the lines of process N (repeatable)\n"
           "  --process NAME      keep only the lines of program NAME (repeatable)\n"
           "  --include REGEX     keep only lines whose text matches (repeatable)\n"
           "  --exclude REGEX     drop lines whose text matches (repeatable)\n"
           "  --rules FILE        include and exclude rules in the viewer's rule text form\n"
           "  --ignore-case       regular expressions ignore the case of letters\n"
           "  --until REGEX       stop after the first line whose text matches\n"
           "  --timeout SECONDS   stop after that long, ending the program and its tree\n"
           "  --fail-on REGEX     fail the run when a line's text matches (repeatable)\n"
           "  --fail-on-error     fail the run when a record of kind error arrives\n"
           "  --wait-for-buffer   wait while another program captures debug output\n"
           "  -- PROGRAM ...      start PROGRAM, keep only its lines and its children's,\n"
           "                      and end when it ends\n"
           "\n"
           "Exit status, the first that applies:\n"
           "  2    a bad argument, a program that cannot be started, or debug output\n"
           "       captured by another program\n"
           "  130  Ctrl+C or Ctrl+Break\n"
           "  124  --timeout ended the run\n"
           "  N    the program's own status, when it ended non-zero by itself\n"
           "  3    a --fail-on or --fail-on-error line was seen\n"
           "  0    otherwise\n";
}

std::wstring QuoteCommandLine(const std::vector<std::wstring>& arguments)
{
    std::wstring line;
    for (const std::wstring& argument : arguments) {
        if (!line.empty()) {
            line += L' ';
        }
        if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
            line += argument;
            continue;
        }
        // Backslashes double only before a quote, the argument's own or the closing one.
        line += L'"';
        std::size_t backslashes = 0;
        for (const wchar_t c : argument) {
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, L'\\');
        line += L'"';
    }
    return line;
}

}  // namespace tracecap
