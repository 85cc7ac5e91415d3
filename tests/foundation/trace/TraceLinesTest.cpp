// Trace lines as another process sees them: the client scenario runs under a
// test debugger that collects its debugger output, and a stand-in viewer
// window in this process keeps the records it receives.
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceInternals.h"
#include "foundation/trace/TraceProtocol.h"
#include "tests/foundation/trace/TestViewer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

using trace_testing::ArrivedRecord;
using trace_testing::TestViewer;

// The client runs as a debugged process; what it writes to the debugger
// output (OUTPUT_DEBUG_STRING_EVENT) is collected, in order.
struct DebugRun {
    bool finished = false;  // the process ended within the time given
    DWORD exitCode = 0;
    std::string output;  // every debug string, joined as written
};

// Starts the client on a scenario with the calling thread as its debugger and
// runs it to its end, or kills it after timeoutMs.
DebugRun RunClient(const std::wstring& scenario, DWORD timeoutMs = 60000)
{
    DebugRun run;
    const std::wstring program = testing_support::TestFile(L"trace_client.exe");
    std::wstring commandLine = L"\"" + program + L"\" " + scenario;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
            nullptr, nullptr, &startup, &started)) {
        return run;
    }
    resources::UniqueHandle process(started.hProcess);
    resources::UniqueHandle thread(started.hThread);
    const DWORD start = ::GetTickCount();
    bool killed = false;
    for (;;) {
        DEBUG_EVENT event = {};
        if (!::WaitForDebugEvent(&event, 200)) {
            if (!killed && ::GetTickCount() - start > timeoutMs) {
                killed = ::TerminateProcess(process.get(), 0xDEAD) != FALSE;
            }
            continue;
        }
        DWORD continueStatus = DBG_CONTINUE;
        const auto& text = event.u.DebugString;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            resources::UniqueHandle(event.u.CreateProcessInfo.hFile).reset();
            break;
        case LOAD_DLL_DEBUG_EVENT:
            resources::UniqueHandle(event.u.LoadDll.hFile).reset();
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            if (!text.fUnicode) {
                std::string bytes(text.nDebugStringLength, '\0');
                ::ReadProcessMemory(process.get(), text.lpDebugStringData, bytes.data(), bytes.size(), nullptr);
                run.output += bytes.c_str();  // up to the NUL the length may count
            }
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The program's own exceptions are its business; only the initial
            // breakpoint belongs to the debugger.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                continueStatus = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            run.exitCode = event.u.ExitProcess.dwExitCode;
            run.finished = !killed;
            ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            return run;
        }
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    }
}

using Texts = std::vector<std::string>;

// Stamps vary from run to run; their exact form is checked on their own.
std::string Unstamped(const std::string& text)
{
    return std::regex_replace(text, std::regex(R"(\d+:\d{1,2}:\d{1,2}\.\d{3} : )"), "<stamp>");
}

std::string DebuggerLines(const Texts& texts, const std::string& prefix = "client: ")
{
    std::string output;
    for (const std::string& text : texts) {
        output += prefix + text + "\r\n";
    }
    return output;
}

// Each scenario's debugger output and what reaches the viewer; the client's
// exit code carries its own checks on the settings it sees.
TEST(TraceLinesTest, ScenariosWriteTheExpectedDebuggerOutputAndRecords)
{
    const Texts functionLines = { "between", "silent", "A - enter", "  B - enter", "  B - return", "A - return",
        "Five - enter", "Five - return = 5", "Seven - enter", "Seven - 7", "  inside", "QuietEntry - return",
        "QuietExit - enter", "Three - 3", "Three - return", "Percent 100%d - enter", "Percent 100%d - return" };
    const std::string seventy = std::string(60, 's') + "0123456789";
    const struct {
        const wchar_t* scenario;
        bool viewer;
        std::string output;
        Texts texts;
    } rows[] = { // Switched off at first: no output, no lookup, and the depth still moves; a
        // scope entered then and left after tracing is switched on ends at its depth.
        { L"off", true, DebuggerLines({ "  inside", "Late - return" }), { "  inside", "Late - return" } },
        // The filter gets the plain text and refuses the viewer only.
        { L"filter", true, DebuggerLines({ "  secret line", "  open line" }, ": "), { "  open line" } },
        { L"levels", true,
            DebuggerLines({ "error level 0 flags 3", "error level 1 flags 1", "message level 3 flags 1",
                "message level 1 flags 3" }),
            { "error level 0 flags 3", "error level 1 flags 1", "message level 3 flags 1", "message level 0 flags 2",
                "message level 1 flags 3" } },
        { L"noviewer", false, DebuggerLines({ "nobody listens" }, std::string(63, 'q') + ": "), {} },
        { L"functions", true, DebuggerLines(functionLines), functionLines },
        // Cut to 1023 before indenting for the debugger and again for the record;
        // the stamp stands before the indentation.
        { L"records", true,
            DebuggerLines({ "Long - enter", "  " + std::string(1023, 'x'), "Long - return", "" }) + seventy
                + ": long source\r\nno source\r\n: empty source\r\nclient: <stamp>  stamped\r\n",
            { "Long - enter", "  " + std::string(1021, 'x'), "Long - return", "", "long source", "no source",
                "empty source", "<stamp>  stamped" } }
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.scenario)));
        auto viewer = row.viewer ? std::make_unique<TestViewer>() : std::unique_ptr<TestViewer>();
        const DebugRun run = RunClient(row.scenario);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(Unstamped(run.output), row.output);
        if (!viewer) {
            continue;
        }
        Texts texts = viewer->Texts();
        std::transform(texts.begin(), texts.end(), texts.begin(), Unstamped);
        EXPECT_EQ(texts, row.texts);
        std::vector<std::pair<std::int32_t, std::string>> kindsAndSources;
        // Each record is sent whole and no more (its layout is checked apart), with the client's tag.
        for (const ArrivedRecord& arrived : viewer->Records()) {
            kindsAndSources.emplace_back(+arrived.record.kind, arrived.Source());
            const TraceRecord sent
                = TraceRecord::Fill(arrived.record.kind, 77, 0, arrived.Source().c_str(), arrived.Text().c_str());
            EXPECT_EQ(arrived.dwData, TraceRecord::kMagic);
            EXPECT_EQ(arrived.size, +sent.length);
            EXPECT_EQ(std::memcmp(&arrived.record, &sent, sent.length), 0) << arrived.Text();
        }
        if (std::wcscmp(row.scenario, L"records") == 0) {
            const std::int32_t function = UTrace::kTraceFunction, message = UTrace::kTraceMessage;
            const std::string client = "client", cut = std::string(60, 's') + "012";
            EXPECT_EQ(kindsAndSources,
                (decltype(kindsAndSources) { { function, client }, { message, client }, { function, client },
                    { message, client }, { message, cut }, { message, "" }, { message, "" }, { message, client } }));
        }
    }
}

// Tracing runs inside its callers' error paths, so no call may change what
// GetLastError() says: tracing off and on, the viewer there and not, with and
// without a debugger taking the debugger output. Bit n of the client's exit
// code names step n of its table.
TEST(TraceLastErrorTest, EveryCallLeavesTheCallersLastError)
{
    testing_support::ChildProcess undebugged(testing_support::TestFile(L"trace_client.exe"), L"lasterror");
    EXPECT_EQ(undebugged.WaitForExit(60000), std::optional<DWORD>(0)) << "no viewer, no debugger: the steps, as bits";
    TestViewer viewer;
    const DebugRun run = RunClient(L"lasterror");
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << "viewer, debugger: the steps, as bits: 0x" << std::hex << run.exitCode;
    EXPECT_FALSE(viewer.Records().empty());
}

// Wine 8 does not get a C++ exception through a debugged 64-bit process (its
// dispatch ends in access violations), so this scenario runs undebugged.
TEST(FunctionTraceTest, ExceptionThroughNestedScopesRestoresEachDepth)
{
    TestViewer viewer;
    testing_support::ChildProcess client(testing_support::TestFile(L"trace_client.exe"), L"unwinding");
    const auto exitCode = client.WaitForExit(60000);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_EQ(*exitCode, 0u) << "depth after the handler differs from before the scope";
    EXPECT_EQ(viewer.Texts(),
        (Texts { "Base - enter", "  Outer - enter", "    Inner - enter", "      throwing", "    Inner - return",
            "  Outer - return", "  depth 1", "Base - return" }));
}

TEST(TraceConcurrencyTest, EightThreadsLinesArriveWholeInOrderAndIndentedPerThread)
{
    constexpr int kThreads = 8;
    TestViewer viewer;
    ASSERT_TRUE(RunClient(L"threads", 110000).finished);
    std::vector<Texts> expected(kThreads), arrived(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        const std::string thread = std::to_string(t);
        expected[t].push_back("Worker - " + thread);
        for (int i = 0; i < 2000; ++i) {
            expected[t].push_back(std::string(i % 2 == 0 ? 4 : 2, ' ') + "t" + thread + " i" + std::to_string(i));
        }
        expected[t].push_back("Worker - done " + thread);
    }
    for (const std::string& text : viewer.Texts()) {
        const std::size_t digit = text.find_first_of("01234567");
        if (digit == std::string::npos) {
            ADD_FAILURE() << "broken line: \"" << text << "\"";
            continue;
        }
        arrived[text[digit] - '0'].push_back(text);
    }
    for (int t = 0; t < kThreads; ++t) {
        const auto differ = std::mismatch(expected[t].begin(), expected[t].end(), arrived[t].begin(), arrived[t].end());
        EXPECT_TRUE(differ.first == expected[t].end() && differ.second == arrived[t].end())
            << "thread " << t << ": lost, broken, out of order or wrongly indented at line "
            << differ.first - expected[t].begin() << (differ.second != arrived[t].end() ? ": " + *differ.second : "");
    }
}

// The hang is held past the bound and its slack, so that an unbounded wait
// would show, yet shorter than the lookup interval, so that a lookup made too
// soon after the failed send would show too.
TEST(TraceDeliveryTest, HungViewerDelaysOnlyByTheBoundAndALaterViewerIsFoundAfterTheInterval)
{
    constexpr DWORD kSlackMs = 1500;
    auto hung = std::make_unique<TestViewer>(true);
    auto client = std::async(std::launch::async, [] { return RunClient(L"deliver"); });
    for (const DWORD start = ::GetTickCount(); hung->Records().empty(); ::Sleep(20)) {
        ASSERT_LT(::GetTickCount() - start, 30000u) << "the client never reached the hung viewer";
    }
    const DWORD hungTick = hung->Records().front().tick;
    ::Sleep(UTrace::kDeliveryTimeoutMs + kSlackMs + 100);
    hung.reset();
    const DWORD created = ::GetTickCount();
    TestViewer viewer;
    const DebugRun run = client.get();
    ASSERT_TRUE(run.finished);
    EXPECT_LE(run.exitCode, UTrace::kDeliveryTimeoutMs + kSlackMs) << "longest line in ms; 100000: viewer never found";
    const auto records = viewer.Records();
    ASSERT_FALSE(records.empty());
    EXPECT_LE(records.front().tick - created, UTrace::kViewerLookupIntervalMs + kSlackMs);
    EXPECT_GE(records.front().tick - hungTick, UTrace::kViewerLookupIntervalMs - 100) << "looked up again too soon";
}

}  // namespace
