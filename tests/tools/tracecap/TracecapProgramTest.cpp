// tracecap.exe run as a test step runs it, its output and errors in files,
// with programs under test that write debug output and send records.
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/CloseWindowsOfClass.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WaitFor.h"
#include "viewer/capture/DebugOutputCapture.h"
#include "viewer/log/LogFormat.h"
#include "viewer/records/ViewerWindow.h"
#include "viewer/settings/ViewerSettings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using testing_support::TempFolder;
using testing_support::TestFile;

struct Outcome {
    std::optional<DWORD> status;
    std::string out;
    std::string err;
    ULONGLONG endedAt = 0;
};

// tracecap.exe started with arguments, standard output and error going to files of folder.
class Tracecap {
public:
    Tracecap(const TempFolder& folder, const std::wstring& arguments, DWORD flags = 0)
        : mOutPath(folder.File(L"stdout.txt"))
        , mErrPath(folder.File(L"stderr.txt"))
    {
        SECURITY_ATTRIBUTES inherit = { sizeof inherit, nullptr, TRUE };
        const resources::UniqueFileHandle out(::CreateFileW(
            mOutPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        const resources::UniqueFileHandle err(::CreateFileW(
            mErrPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        std::wstring line = L"\"" + testing_support::ProductFile(L"tracecap.exe") + L"\" " + arguments;
        PROCESS_INFORMATION started = {};
        if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, folder.path().c_str(),
                &startup, &started)) {
            mProcess.reset(started.hProcess);
            ::CloseHandle(started.hThread);
            mId = started.dwProcessId;
        }
        EXPECT_TRUE(mProcess) << ::GetLastError();
    }
    ~Tracecap()
    {
        if (mProcess && ::WaitForSingleObject(mProcess.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(mProcess.get(), 1);
        }
    }

    DWORD Id() const { return mId; }

    Outcome Wait(DWORD timeoutMs)
    {
        Outcome outcome;
        if (mProcess && ::WaitForSingleObject(mProcess.get(), timeoutMs) == WAIT_OBJECT_0) {
            outcome.endedAt = ::GetTickCount64();
            DWORD status = 0;
            if (::GetExitCodeProcess(mProcess.get(), &status)) {
                outcome.status = status;
            }
        }
        outcome.out = testing_support::ReadFileBytes(mOutPath);
        outcome.err = testing_support::ReadFileBytes(mErrPath);
        return outcome;
    }

private:
    std::wstring mOutPath;
    std::wstring mErrPath;
    resources::UniqueHandle mProcess;
    DWORD mId = 0;
};

Outcome RunTracecap(const std::wstring& arguments, DWORD timeoutMs = 60000)
{
    const TempFolder folder(L"tracecap");
    Tracecap tracecap(folder, arguments);
    return tracecap.Wait(timeoutMs);
}

std::wstring Program(const std::wstring& arguments)
{
    return L"-- \"" + TestFile(L"traced_program.exe") + L"\" " + arguments;
}

std::vector<std::string> Lines(const std::string& text, const std::string& end)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t next = text.find(end, at);
        if (next == std::string::npos) {
            lines.push_back(text.substr(at));  // torn: shows in the comparisons
            break;
        }
        lines.push_back(text.substr(at, next - at));
        at = next + end.size();
    }
    return lines;
}

std::vector<tracing::LogEntry> Entries(const std::string& out)
{
    std::vector<tracing::LogEntry> entries;
    for (const std::string& line : Lines(out, "\r\n")) {
        const auto entry = tracing::ParseLogLine(line);
        EXPECT_TRUE(entry.has_value()) << line;
        if (entry) {
            entries.push_back(*entry);
        }
    }
    return entries;
}

bool ProcessEnded(DWORD pid)
{
    const resources::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    return !process || ::WaitForSingleObject(process.get(), 5000) == WAIT_OBJECT_0;
}

void EndProcess(DWORD pid)
{
    const resources::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    if (process) {
        ::TerminateProcess(process.get(), 1);
    }
}

TEST(TracecapProgram, KeepsEveryLineOfTheProgramsTreeOnceAndEndsWithIt)
{
    constexpr int kCount = 150;
    testing_support::ChildProcess unrelated(TestFile(L"debug_writer.exe"), L"lines other 400");
    const Outcome run = RunTracecap(Program(L"tree prog " + std::to_wstring(kCount) + L" 7"));
    ASSERT_EQ(run.status, 7u) << run.err;
    EXPECT_EQ(run.err, "");
    std::map<std::string, int> seen;
    std::map<std::string, std::uint32_t> pids;
    ULONGLONG exitedAt = 0;
    for (const tracing::LogEntry& entry : Entries(run.out)) {
        ++seen[entry.text];
        EXPECT_EQ(entry.origin, tracing::LineOrigin::Debug);
        EXPECT_NE(entry.pid, 0u);
        pids[entry.process] = entry.pid;
        if (entry.text.starts_with("prog exits at ")) {
            exitedAt = std::stoull(entry.text.substr(14));
        }
        EXPECT_TRUE(entry.text.starts_with("prog")) << entry.text;
    }
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(seen["prog line " + std::to_string(i)], 1) << i;
        EXPECT_EQ(seen["prog-child line " + std::to_string(i)], 1) << i;
    }
    EXPECT_EQ(seen.size(), 2u * kCount + 1);
    EXPECT_EQ(pids.size(), 2u);
    EXPECT_TRUE(pids.contains("traced_program.exe") && pids.contains("debug_writer.exe"));
    EXPECT_NE(pids["traced_program.exe"], unrelated.id());
    ASSERT_NE(exitedAt, 0u);
    EXPECT_LT(run.endedAt - exitedAt, 1000u);
    EXPECT_TRUE(unrelated.WaitForExit(30000).has_value());
}

// The value of key in a one-line JSON object of strings, numbers and null,
// read strictly: nothing when the line is not such an object.
std::optional<std::map<std::string, std::string>> ParseJsonObject(const std::string& line)
{
    std::map<std::string, std::string> values;
    std::size_t at = 0;
    const auto string = [&](std::string& out) {
        if (at >= line.size() || line[at] != '"') {
            return false;
        }
        for (++at; at < line.size() && line[at] != '"'; ++at) {
            const auto c = static_cast<unsigned char>(line[at]);
            if (c < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += line[at];
                continue;
            }
            if (++at == line.size()) {
                return false;
            }
            const std::string simple = "\"\\/bfnrt";
            const std::string meant = "\"\\/\b\f\n\r\t";
            if (const std::size_t which = simple.find(line[at]); which != std::string::npos) {
                out += meant[which];
            } else if (line[at] == 'u' && at + 4 < line.size()) {
                const unsigned long code = std::stoul(line.substr(at + 1, 4), nullptr, 16);
                if (code >= 0x80) {
                    return false;  // the writer escapes control characters only
                }
                out += static_cast<char>(code);
                at += 4;
            } else {
                return false;
            }
        }
        return at++ < line.size();
    };
    if (line.empty() || line[at++] != '{') {
        return std::nullopt;
    }
    while (at < line.size()) {
        std::string key;
        std::string value;
        if (!string(key) || at >= line.size() || line[at++] != ':') {
            return std::nullopt;
        }
        if (line[at] == '"') {
            if (!string(value)) {
                return std::nullopt;
            }
        } else {
            const std::size_t end = line.find_first_of(",}", at);
            if (end == std::string::npos) {
                return std::nullopt;
            }
            value = line.substr(at, end - at);
            if (value != "null" && value.find_first_not_of("0123456789") != std::string::npos) {
                return std::nullopt;
            }
            at = end;
        }
        values[key] = value;
        if (at < line.size() && line[at] == '}') {
            return ++at == line.size() ? std::optional(values) : std::nullopt;
        }
        if (at >= line.size() || line[at++] != ',') {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string AnsiToUtf8(const std::string& ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(::MultiByteToWideChar(
        CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), static_cast<int>(wide.size())));
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
        static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

TEST(TracecapProgram, JsonLinesParseAndGiveBackEveryText)
{
    const Outcome run = RunTracecap(L"--format jsonl " + Program(L"text"));
    ASSERT_EQ(run.status, 0u) << run.err;
    std::vector<std::string> texts;
    for (const std::string& line : Lines(run.out, "\n")) {
        const auto object = ParseJsonObject(line);
        ASSERT_TRUE(object.has_value()) << line;
        EXPECT_EQ(object->size(), 6u) << line;
        EXPECT_EQ(object->at("kind"), "debug");
        EXPECT_EQ(object->at("process"), "traced_program.exe");
        EXPECT_NE(object->at("pid"), "null");
        EXPECT_EQ(object->at("time").size(), 23u);
        texts.push_back(object->at("text"));
    }
    EXPECT_EQ(texts,
        (std::vector<std::string> { "quote \" backslash \\ tab \t bell \x07 escape \x1b end",
            AnsiToUtf8("code page caf\xE9 \xA3 5"), "braces {\"key\": [1, 2]}", "done" }));
}

TEST(TracecapProgram, UntilEndsAtTheMatchingLineAndLeavesTheProgramRunning)
{
    const Outcome run = RunTracecap(L"--until \"child \\d+ ready$\" " + Program(L"hang"), 30000);
    ASSERT_EQ(run.status, 0u) << run.err;
    const std::vector<tracing::LogEntry> entries = Entries(run.out);
    ASSERT_EQ(entries.size(), 101u) << run.out;
    const DWORD program = entries.back().pid;
    const DWORD child = std::stoul(entries.back().text.substr(6));
    const resources::UniqueHandle running(::OpenProcess(SYNCHRONIZE, FALSE, program));
    ASSERT_TRUE(running);
    EXPECT_EQ(::WaitForSingleObject(running.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EndProcess(program);
    EndProcess(child);
}

TEST(TracecapProgram, TimeoutEndsTheProgramWithItsTreeAndSays124)
{
    const ULONGLONG start = ::GetTickCount64();
    const Outcome run = RunTracecap(L"--timeout 3 " + Program(L"hang"), 30000);
    ASSERT_EQ(run.status, 124u) << run.err;
    EXPECT_GE(run.endedAt - start, 3000u);
    const std::vector<tracing::LogEntry> entries = Entries(run.out);
    ASSERT_EQ(entries.size(), 101u) << run.out;
    ASSERT_TRUE(entries.back().text.starts_with("child ")) << entries.back().text;
    EXPECT_TRUE(ProcessEnded(entries.back().pid));
    EXPECT_TRUE(ProcessEnded(std::stoul(entries.back().text.substr(6))));
}

TEST(TracecapProgram, CtrlCEndsTheRunWith130AndLosesNoLine)
{
    const TempFolder folder(L"tracecap");
    Tracecap tracecap(folder, Program(L"hang"), CREATE_NEW_CONSOLE);
    ASSERT_TRUE(testing_support::WaitFor(
        [&] {
            return testing_support::ReadFileBytes(folder.File(L"stdout.txt")).find(" ready\r\n") != std::string::npos;
        },
        20000));
    testing_support::ChildProcess press(
        TestFile(L"traced_program.exe"), L"interrupt " + std::to_wstring(tracecap.Id()));
    ASSERT_EQ(press.WaitForExit(20000), 0u);
    const Outcome run = tracecap.Wait(20000);
    EXPECT_EQ(run.status, 130u) << run.err;
    const std::vector<tracing::LogEntry> entries = Entries(run.out);
    ASSERT_EQ(entries.size(), 101u) << run.out;
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(entries[i].text, "hang line " + std::to_string(i));
    }
    EXPECT_TRUE(ProcessEnded(entries.back().pid));
}

TEST(TracecapProgram, TracingStartedWhileItRunsTakesItsHiddenWindowForNoViewer)
{
    ASSERT_TRUE(testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 10000));
    const TempFolder folder(L"tracecap");
    Tracecap tracecap(folder, L"--timeout 20");
    ASSERT_TRUE(testing_support::WaitFor(
        [] { return ::FindWindowW(UTrace::kViewerClass, tracing::kCaptureWindowTitle) != nullptr; }, 20000));
    testing_support::ChildProcess viewer(testing_support::ProductFile(L"Tracing.exe"));
    const HWND window = viewer.WaitForWindow(L"Tracing", 20000);
    EXPECT_NE(window, nullptr);
    EXPECT_FALSE(viewer.WaitForExit(0).has_value());
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewer.WaitForExit(20000).has_value());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, tracing::kSettingsKey);
}

TEST(TracecapProgram, FailOnMatchesFailTheRunAndAreRepeatedOnStandardError)
{
    const Outcome run = RunTracecap(L"--fail-on \"^prog line 1[0-2]$\" " + Program(L"tree prog 20 0"));
    EXPECT_EQ(run.status, 3u) << run.err;
    std::vector<std::string> repeated;
    for (const std::string& line : Lines(run.err, "\r\n")) {
        const auto entry = tracing::ParseLogLine(line);
        ASSERT_TRUE(entry.has_value()) << line;
        repeated.push_back(entry->text);
    }
    EXPECT_EQ(repeated, (std::vector<std::string> { "prog line 10", "prog line 11", "prog line 12" }));
    EXPECT_EQ(RunTracecap(L"--fail-on \"^prog line 1[0-2]$\" " + Program(L"tree prog 20 5")).status, 5u);
}

TEST(TracecapProgram, RecordsArriveWithTheirKindsWhenNoViewerRuns)
{
    ASSERT_TRUE(testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 10000));
    const Outcome run = RunTracecap(Program(L"records"));
    ASSERT_EQ(run.status, 0u) << run.err;
    std::vector<std::string> seen;
    for (const tracing::LogEntry& entry : Entries(run.out)) {
        seen.push_back(tracing::KindName(entry.origin, entry.kind) + "|" + entry.source + "|" + entry.text);
    }
    EXPECT_EQ(seen,
        (std::vector<std::string> { "error|traced|record error 1", "message|traced|record message 2",
            "function|traced|Work - enter", "function|traced|Work - return", "debug||done" }));
}

TEST(TracecapProgram, FailOnErrorFailsOnAnErrorRecord)
{
    const Outcome run = RunTracecap(L"--fail-on-error " + Program(L"records"));
    EXPECT_EQ(run.status, 3u) << run.err;
    const std::vector<std::string> repeated = Lines(run.err, "\r\n");
    ASSERT_EQ(repeated.size(), 1u) << run.err;
    EXPECT_TRUE(repeated[0].ends_with("\terror\ttraced\trecord error 1")) << repeated[0];
}

TEST(TracecapProgram, WithTracingRunningRecordsGoToItAndDebugOutputIsStillCaptured)
{
    using namespace tracing;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    const DWORD off = 0;
    ASSERT_EQ(
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kCaptureValue, REG_DWORD, &off, sizeof off), ERROR_SUCCESS);
    testing_support::ChildProcess viewer(testing_support::ProductFile(L"Tracing.exe"));
    ASSERT_TRUE(
        testing_support::WaitFor([] { return ::FindWindowW(UTrace::kViewerClass, nullptr) != nullptr; }, 20000));
    const Outcome run = RunTracecap(Program(L"records"));
    testing_support::CloseWindowsOfClass(UTrace::kViewerClass, 10000);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.err, "Tracing.exe is running: records go to it\n");
    const std::vector<LogEntry> entries = Entries(run.out);
    ASSERT_EQ(entries.size(), 1u) << run.out;
    EXPECT_EQ(entries[0].text, "done");
}

TEST(TracecapProgram, ABufferHeldByAnotherListenerStopsItAtOnceWithStatus2)
{
    tracing::DebugOutputCapture other([](const tracing::JoinedLine&) {});
    ASSERT_EQ(other.Start(), tracing::DebugOutputCapture::State::Capturing);
    const Outcome run = RunTracecap(Program(L"tree held 3 0"), 20000);
    EXPECT_EQ(run.status, 2u);
    EXPECT_EQ(run.err, "debug output is captured by another program\n");
    EXPECT_EQ(run.out, "");
}

TEST(TracecapProgram, WaitForBufferStartsTheProgramOnceTheBufferIsFree)
{
    const TempFolder folder(L"tracecap");
    auto other = std::make_unique<tracing::DebugOutputCapture>([](const tracing::JoinedLine&) {});
    ASSERT_EQ(other->Start(), tracing::DebugOutputCapture::State::Capturing);
    Tracecap tracecap(folder, L"--wait-for-buffer " + Program(L"tree wait 5 0"));
    EXPECT_FALSE(tracecap.Wait(1500).status.has_value());
    other.reset();
    const Outcome run = tracecap.Wait(30000);
    ASSERT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<tracing::LogEntry> entries = Entries(run.out);
    ASSERT_EQ(entries.size(), 11u) << run.out;  // the program's, its child's and its closing line
    EXPECT_EQ(entries.front().text.substr(0, 4), "wait");
}

TEST(TracecapProgram, BadInputIsNamedBeforeTheUsageAndStartsNothing)
{
    const TempFolder folder(L"tracecap");
    const struct {
        std::wstring arguments;
        std::string line;
    } cases[] = {
        { L"--timeout 0", "--timeout \"0\" is not a number of seconds above 0" },
        { L"--out \"" + folder.File(L"missing\\run.log") + L"\"", "--out \"" },
        { L"--rules \"" + folder.File(L"missing.rules") + L"\"", "--rules \"" },
        // A device would keep a read waiting for ever.
        { L"--rules CONIN$", "--rules \"CONIN$\" cannot be read: " },
        { L"--include \"a(\"", "--include \"a(\" is not a usable regular expression: " },
    };
    for (const auto& test : cases) {
        const Outcome run = RunTracecap(test.arguments + L" " + Program(L"tree bad 3 0"));
        EXPECT_EQ(run.status, 2u);
        EXPECT_EQ(run.out, "");  // the program's lines, had it been started
        EXPECT_TRUE(run.err.starts_with(test.line)) << run.err;
        EXPECT_TRUE(run.err.ends_with("\nusage: tracecap [OPTIONS] [-- PROGRAM [ARGUMENTS...]]\n"
                                      "       tracecap --help\n"))
            << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 3) << run.err;
    }
}

TEST(TracecapProgram, AProgramThatCannotBeStartedIsNamedWithStatus2)
{
    const TempFolder folder(L"tracecap");
    const Outcome run = RunTracecap(L"-- \"" + folder.File(L"no such program.exe") + L"\" --flag");
    EXPECT_EQ(run.status, 2u);
    EXPECT_TRUE(run.err.starts_with("cannot start \"")) << run.err;
    EXPECT_NE(run.err.find("no such program.exe"), std::string::npos) << run.err;
}

TEST(TracecapProgram, OutAppendsAndRotatesAtTheLimitLosingNoLine)
{
    const TempFolder folder(L"tracecap");
    const std::wstring log = folder.WriteFile(L"run.log", "kept\r\n");
    const Outcome run = RunTracecap(L"--out \"" + log + L"\" --log-limit 0.004 " + Program(L"tree rot 100 0"));
    ASSERT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(run.out, "");
    std::string all;
    for (int i = 9; i >= 1; --i) {
        all += testing_support::ReadFileBytes(log + L"." + std::to_wstring(i));
    }
    all += testing_support::ReadFileBytes(log);
    EXPECT_FALSE(testing_support::ReadFileBytes(log + L".1").empty());
    ASSERT_TRUE(all.starts_with("kept\r\n"));
    std::map<std::string, int> seen;
    for (const tracing::LogEntry& entry : Entries(all.substr(6))) {
        ++seen[entry.text];
    }
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(seen["rot line " + std::to_string(i)], 1) << i;
        EXPECT_EQ(seen["rot-child line " + std::to_string(i)], 1) << i;
    }
}

}  // namespace
