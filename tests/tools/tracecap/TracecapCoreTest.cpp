// tracecap's core in this process: the command line, the selection of lines,
// the output formats and the exit status.
#include "tools/tracecap/core/LineOutput.h"
#include "tools/tracecap/core/LineSelection.h"
#include "tools/tracecap/core/Options.h"
#include "tools/tracecap/core/Verdict.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using namespace tracecap;
using tracing::LineOrigin;
using tracing::LineView;

Options Parse(std::vector<std::wstring> arguments)
{
    ParsedOptions parsed = ParseOptions(arguments);
    EXPECT_TRUE(parsed.options.has_value()) << parsed.error;
    return parsed.options.value_or(Options {});
}

TEST(TracecapOptions, ReadsEveryOptionAndLeavesTheProgramsArgumentsAlone)
{
    const Options options = Parse({ L"--out", L"run.log", L"--log-limit=0.5", L"--format", L"jsonl", L"--pid", L"12",
        L"--pid", L"4294967295", L"--process", L"App.exe", L"--include", L"a", L"--exclude", L"b", L"--fail-on", L"c",
        L"--fail-on-error", L"--until", L"ready", L"--timeout", L"1.5", L"--ignore-case", L"--wait-for-buffer", L"--",
        L"prog.exe", L"--out", L"--" });
    EXPECT_EQ(options.outPath, L"run.log");
    EXPECT_EQ(options.logLimitBytes, 524288u);
    EXPECT_EQ(options.format, OutputFormat::Jsonl);
    EXPECT_EQ(options.pids, (std::vector<std::uint32_t> { 12, 4294967295u }));
    EXPECT_EQ(options.processes, std::vector<std::string> { "App.exe" });
    EXPECT_EQ(options.includes, std::vector<std::string> { "a" });
    EXPECT_EQ(options.excludes, std::vector<std::string> { "b" });
    EXPECT_EQ(options.failOn, std::vector<std::string> { "c" });
    EXPECT_EQ(options.until, "ready");
    EXPECT_EQ(options.timeoutMs, 1500u);
    EXPECT_TRUE(options.failOnError && options.ignoreCase && options.waitForBuffer);
    EXPECT_EQ(options.program, (std::vector<std::wstring> { L"prog.exe", L"--out", L"--" }));
    EXPECT_TRUE(Parse({ L"--help" }).help);
}

TEST(TracecapOptions, BadArgumentsNameTheOffendingText)
{
    const struct {
        std::vector<std::wstring> arguments;
        const char* message;
    } cases[] = {
        { { L"--frobnicate" }, "unknown option \"--frobnicate\"" },
        { { L"stray" }, "unknown option \"stray\"" },
        { { L"--out" }, "\"--out\" needs a value" },
        { { L"--timeout", L"0" }, "--timeout \"0\" is not a number of seconds above 0" },
        { { L"--timeout", L"-3" }, "--timeout \"-3\" is not a number of seconds above 0" },
        { { L"--timeout", L"soon" }, "--timeout \"soon\" is not a number of seconds above 0" },
        { { L"--timeout", L"5s" }, "--timeout \"5s\" is not a number of seconds above 0" },
        { { L"--timeout=nan" }, "--timeout \"nan\" is not a number of seconds above 0" },
        { { L"--pid", L"0" }, "--pid \"0\" is not a process id" },
        { { L"--pid", L"4294967296" }, "--pid \"4294967296\" is not a process id" },
        { { L"--format", L"xml" }, "--format \"xml\" is neither \"log\" nor \"jsonl\"" },
        { { L"--log-limit", L"0.001" }, "--log-limit \"0.001\" is not a size in megabytes from 0.004 to 1048576" },
        { { L"--ignore-case=yes" }, "\"--ignore-case\" takes no value" },
        { { L"--" }, "\"--\" is not followed by a program" },
    };
    for (const auto& test : cases) {
        const ParsedOptions parsed = ParseOptions(test.arguments);
        EXPECT_FALSE(parsed.options.has_value()) << test.message;
        EXPECT_EQ(parsed.error, test.message);
    }
}

TEST(TracecapOptions, TheProgramsCommandLineSplitsBackAsGiven)
{
    const std::vector<std::wstring> program = { L"C:\\Program Files\\app.exe", L"plain", L"", L"two words",
        L"say \"hi\"", L"trailing\\", L"C:\\dir with space\\", L"a\\\\\"b" };
    int count = 0;
    const std::wstring line = QuoteCommandLine(program);
    LPWSTR* split = ::CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(split, nullptr);
    const std::vector<std::wstring> back(split, split + count);
    ::LocalFree(split);
    EXPECT_EQ(back, program) << line;
}

LineView Debug(std::uint32_t pid, std::string_view process, std::string_view text)
{
    return { 0, pid, LineOrigin::Debug, 0, process, {}, text };
}

LineSelection Select(std::vector<std::wstring> arguments, const std::string* rules = nullptr)
{
    std::string error;
    std::optional<LineSelection> selection = LineSelection::Make(Parse(std::move(arguments)), rules, error);
    EXPECT_TRUE(selection.has_value()) << error;
    return selection ? std::move(*selection) : *LineSelection::Make(Options {}, nullptr, error);
}

TEST(TracecapSelection, WritersTextAndRulesPickTheLines)
{
    const LineSelection writers = Select({ L"--pid", L"7", L"--process", L"app.EXE", L"--process", L"other.exe" });
    EXPECT_FALSE(writers.Keeps(Debug(7, "tool.exe", "x"), 1));
    EXPECT_FALSE(writers.Keeps(Debug(8, "App.exe", "x"), 1));
    EXPECT_TRUE(writers.Keeps(Debug(7, "App.exe", "x"), 1));

    const LineSelection text = Select({ L"--include", L"^net", L"--include", L"disk\\d", L"--exclude", L"beat$" });
    EXPECT_TRUE(text.Keeps(Debug(1, "", "net up"), 1));
    EXPECT_TRUE(text.Keeps(Debug(1, "", "a disk2 b"), 1));  // searched anywhere
    EXPECT_FALSE(text.Keeps(Debug(1, "", "NET up"), 1));  // case counts by default
    EXPECT_FALSE(text.Keeps(Debug(1, "", "net heartbeat"), 1));
    EXPECT_FALSE(text.Keeps(Debug(1, "", "other"), 1));
    EXPECT_TRUE(Select({ L"--include", L"^net", L"--ignore-case" }).Keeps(Debug(1, "", "NET up"), 1));

    const std::string rules = "# comment\r\ninclude\tprocess\ttext\tapp\nexclude\tline\tregex\t^3\\t\n"
                              "-exclude\ttext\ttext\tgone\nhighlight\ttext\ttext\tred\n";
    const LineSelection ruled = Select({}, &rules);
    EXPECT_TRUE(ruled.Keeps(Debug(1, "App.exe", "gone"), 1));  // switched-off rule, highlight ignored
    EXPECT_FALSE(ruled.Keeps(Debug(1, "App.exe", "x"), 3));  // the whole line starts with its number
    EXPECT_FALSE(ruled.Keeps(Debug(1, "tool.exe", "red"), 1));
}

TEST(TracecapSelection, UntilAndFailOnLookAtTheTextAndErrorRecords)
{
    const LineSelection selection = Select({ L"--until", L"ready$", L"--fail-on", L"FAIL", L"--fail-on-error" });
    EXPECT_TRUE(selection.Ends(Debug(1, "", "service ready")));
    EXPECT_FALSE(selection.Ends(Debug(1, "", "ready soon")));
    EXPECT_TRUE(selection.Fails(Debug(1, "", "test FAILED")));
    EXPECT_FALSE(selection.Fails(Debug(1, "", "test failed")));
    EXPECT_TRUE(selection.Fails({ 0, 0, LineOrigin::Record, 1, {}, "src", "oops" }));
    EXPECT_FALSE(selection.Fails({ 0, 0, LineOrigin::Record, 3, {}, "src", "fine" }));
    EXPECT_FALSE(Select({}).Fails({ 0, 0, LineOrigin::Record, 1, {}, "src", "oops" }));
}

TEST(TracecapSelection, ExpressionsAndRulesThatCannotBeUsedAreRefusedByName)
{
    const struct {
        std::vector<std::wstring> arguments;
        const char* rules;
        const char* start;
    } cases[] = {
        { { L"--include", L"(" }, nullptr, "--include \"(\" is not a usable regular expression: " },
        { { L"--exclude", L"a{2,1}" }, nullptr, "--exclude \"a{2,1}\" is not a usable regular expression: " },
        { { L"--until", L"(a)\\1" }, nullptr, "--until \"(a)\\1\" is not a usable regular expression: " },
        { { L"--fail-on", L"[z-a]" }, nullptr, "--fail-on \"[z-a]\" is not a usable regular expression: " },
        { {}, "include\ttext\ttext\tok\nkeep\ttext\ttext\tx\n", "--rules: line 2: " },
        { {}, "exclude\ttext\tregex\t(\n", "--rules: line 1: " },
    };
    for (const auto& test : cases) {
        std::string error;
        const std::string rules = test.rules != nullptr ? test.rules : "";
        EXPECT_FALSE(LineSelection::Make(Parse(test.arguments), test.rules ? &rules : nullptr, error).has_value());
        EXPECT_TRUE(error.starts_with(test.start)) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(TracecapOutput, JsonLinesEscapeWhatJsonRequiresAndKeepTheRest)
{
    std::string out;
    AppendOutputLine(out,
        { -1, 0, LineOrigin::Record, 1, {}, "s\"rc", std::string_view("a\\b\t\x01\x1f\x7f\r\n\xC3\xA9\0z", 13) },
        OutputFormat::Jsonl);
    EXPECT_EQ(out,
        "{\"time\":\"0000-00-00 00:00:00.000\",\"pid\":null,\"process\":\"\",\"kind\":\"error\",\"source\":\"s\\\"rc\","
        "\"text\":\"a\\\\b\\t\\u0001\\u001f\\u007f\\r\\n\xC3\xA9\\u0000z\"}\n");
    out.clear();
    AppendOutputLine(out, Debug(42, "App.exe", "hi"), OutputFormat::Jsonl);
    EXPECT_NE(out.find("\"pid\":42,\"process\":\"App.exe\",\"kind\":\"debug\",\"source\":\"\",\"text\":\"hi\"}\n"),
        std::string::npos)
        << out;
    out.clear();
    AppendOutputLine(out, Debug(42, "App.exe", "a\tb"), OutputFormat::Log);
    EXPECT_TRUE(out.ends_with("\t42\tApp.exe\tdebug\t\ta b\r\n")) << out;
}

TEST(TracecapVerdict, TheFirstStatusThatAppliesWins)
{
    const std::optional<std::uint32_t> none;
    // interrupted, timed out, the program's status, a failing line seen
    const struct {
        RunFacts facts;
        int status;
    } cases[] = {
        { { false, false, none, false }, 0 },
        { { false, false, 0u, false }, 0 },
        { { false, false, none, true }, 3 },
        { { false, false, 0u, true }, 3 },
        { { false, false, 5u, true }, 5 },
        { { false, true, 5u, true }, 124 },
        { { true, true, 5u, false }, 130 },
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ExitStatus(test.facts), test.status);
    }
}

}  // namespace
