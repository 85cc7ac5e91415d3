// Trace lines as another process sees them: the client scenario runs under a
// test debugger that collects its debugger output, and a stand-in viewer
// window in this process keeps the records it receives.
#include "LevelCases.h"
#include "TestDebugger.h"
#include "TestViewer.h"

#include "ChildProcess.h"
#include "TestPaths.h"
#include "foundation/trace/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace trace_tests {
namespace {

DebugRun RunClient(const std::wstring& scenario, DWORD timeoutMs = 60000)
{
    return RunUnderDebugger(testing_support::TestFile(L"trace_client.exe"), scenario, timeoutMs);
}

std::vector<std::string> Texts(const std::vector<ArrivedRecord>& records)
{
    std::vector<std::string> texts;
    for (const ArrivedRecord& record : records) {
        texts.push_back(record.Text());
    }
    return texts;
}

// The source field is zero from its end to its 64th byte.
bool SourceTailIsZero(const ArrivedRecord& arrived)
{
    const std::size_t used = arrived.Source().size();
    return used < 64 && std::all_of(arrived.record.source + used, arrived.record.source + 64, [](char c) { return c == 0; });
}

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(TraceLinesTest, SwitchedOffWritesNothingAndLooksNothingUp)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"off");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << "a lookup happened or the depth did not move";
    EXPECT_EQ(run.outputCalls, 0);
    EXPECT_TRUE(viewer.Records().empty());
}

TEST(TraceLinesTest, SilentMarkerCountsByPointerNotByText)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"silent");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "client: between\r\nclient: silent\r\n");
    EXPECT_EQ(Texts(viewer.Records()), (std::vector<std::string>{"between", "silent"}));
}

TEST(TraceLinesTest, LevelGateFollowsLevelAndAllLevelsFlag)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"levels");
    ASSERT_TRUE(run.finished);
    const auto texts = Texts(viewer.Records());
    for (const LevelCase& row : kLevelCases) {
        const bool toDebugger = row.passes && (row.flags & UTrace::kTraceToDebugger) != 0;
        EXPECT_EQ(run.output.find(std::string("client: ") + row.label + "\r\n") != std::string::npos, toDebugger)
            << row.label;
        EXPECT_EQ(Contains(texts, row.label), row.passes) << row.label;
    }
}

TEST(TraceLinesTest, LongTextIsCutBeforeIndentingForDebuggerAndAgainForRecord)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"long");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "client:   " + std::string(1023, 'x') + "\r\n");
    const auto records = viewer.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Text(), "  " + std::string(1021, 'x'));
    EXPECT_EQ(records[0].record.length, 1105u);
    EXPECT_EQ(records[0].size, 1105u);
}

TEST(TraceLinesTest, EmptyLineSendsTheBareHeader)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"empty");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "client: \r\n");
    const auto records = viewer.Records();
    ASSERT_EQ(records.size(), 1u);
    const TraceRecord& record = records[0].record;
    EXPECT_EQ(records[0].dwData, 0x55543132u);
    EXPECT_EQ(records[0].size, 82u);
    EXPECT_EQ(record.length, 82u);
    EXPECT_EQ(record.magic, 0x55543132u);
    EXPECT_EQ(record.kind, UTrace::kTraceMessage);
    EXPECT_EQ(record.tag, 0u);
    EXPECT_EQ(record.flag, 0u);
    EXPECT_EQ(std::string(record.source, 7), std::string("client\0", 7));
    EXPECT_TRUE(SourceTailIsZero(records[0]));
    EXPECT_EQ(record.text[0], '\0');
}

TEST(TraceLinesTest, SourceIsWholeInDebuggerOutputAndCutInRecord)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"sources");
    ASSERT_TRUE(run.finished);
    const std::string seventy = std::string(60, 's') + "0123456789";
    EXPECT_EQ(run.output, seventy + ": long source\r\nno source\r\n: empty source\r\n");
    const auto records = viewer.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Source(), seventy.substr(0, 63));
    EXPECT_TRUE(SourceTailIsZero(records[0]));
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(records[i].Source(), "");
        EXPECT_TRUE(SourceTailIsZero(records[i])) << "record " << i;
    }
}

TEST(TraceLinesTest, FilterRefusalStillWritesDebuggerOutputButSendsAndLooksUpNothing)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"filter");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << "bit 1: lookup made for a refused line; 2: filter saw indentation; "
                                   "4: later line not delivered";
    EXPECT_EQ(run.output, ":   secret line\r\n:   open line\r\n");
    EXPECT_EQ(Texts(viewer.Records()), (std::vector<std::string>{"  open line"}));
}

TEST(TraceLinesTest, MissingViewerLeavesTheLineInTheDebuggerOutputOnly)
{
    const DebugRun run = RunClient(L"noviewer");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << "viewer state not set to absent";
    EXPECT_EQ(run.output, "client: nobody listens\r\n");
}

TEST(TraceLinesTest, StampStandsBeforeTheIndentation)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"stamp");
    ASSERT_TRUE(run.finished);
    const std::regex stamped(R"(\d+:\d{1,2}:\d{1,2}\.\d{3} :   stamped)");
    EXPECT_TRUE(std::regex_match(run.output, std::regex("client: " + std::string(R"(\d+:\d{1,2}:\d{1,2}\.\d{3} :   stamped)") + "\r\n")))
        << run.output;
    const auto records = viewer.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(std::regex_match(records[0].Text(), stamped)) << records[0].Text();
}

TEST(FunctionTraceTest, ScopesWriteEntryAndExitLinesAtTheCallersDepth)
{
    TestViewer viewer;
    const DebugRun run = RunClient(L"functions");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << "bit 1: SetResult(5); 2: GetResult after -1; 4: depth after unwinding; "
                                << run.exceptions;
    const std::vector<std::string> expected = {
        "A - enter",          "  B - enter",         "  B - return",    "A - return",
        "Five - enter",       "Five - return = 5",   "Seven - enter",   "Seven - 7",
        "  inside",           "QuietEntry - return", "QuietExit - enter", "Three - 3",
        "Three - return",     "Percent 100%d - enter", "Percent 100%d - return",
    };
    const auto records = viewer.Records();
    EXPECT_EQ(Texts(records), expected);
    std::string debugger;
    for (const std::string& line : expected) {
        debugger += "client: " + line + "\r\n";
    }
    EXPECT_EQ(run.output, debugger);
    for (const ArrivedRecord& record : records) {
        const bool message = record.Text() == "  inside";
        EXPECT_EQ(record.record.kind, message ? UTrace::kTraceMessage : UTrace::kTraceFunction) << record.Text();
    }
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
    const std::vector<std::string> expected = {
        "Base - enter",   "  Outer - enter",  "    Inner - enter", "      throwing",
        "    Inner - return", "  Outer - return", "  depth 1",      "Base - return",
    };
    EXPECT_EQ(Texts(viewer.Records()), expected);
}

TEST(TraceConcurrencyTest, EightThreadsLinesArriveWholeInOrderAndIndentedPerThread)
{
    constexpr int kThreads = 8;
    constexpr int kLines = 2000;
    TestViewer viewer;
    const DebugRun run = RunClient(L"threads", 110000);
    ASSERT_TRUE(run.finished);
    const auto records = viewer.Records();
    EXPECT_EQ(records.size(), static_cast<std::size_t>(kThreads * (kLines + 2)));

    const std::regex line(R"(( *)(?:t(\d) i(\d+)|Worker - (\d)|Worker - done (\d)))");
    std::map<int, int> next;  // thread -> expected step: -1 entry, 0..kLines-1 lines, kLines exit
    for (int t = 0; t < kThreads; ++t) {
        next[t] = -1;
    }
    int bad = 0;
    for (const ArrivedRecord& record : records) {
        std::smatch parts;
        const std::string text = record.Text();
        if (!std::regex_match(text, parts, line)) {
            ++bad;
            ADD_FAILURE() << "broken line: " << text;
            continue;
        }
        const std::size_t indent = parts[1].length();
        int thread = -1;
        int step = 0;
        std::size_t wantIndent = 0;
        if (parts[2].matched) {
            thread = std::stoi(parts[2]);
            step = std::stoi(parts[3]);
            wantIndent = step % 2 == 0 ? 4 : 2;
        } else if (parts[4].matched) {
            thread = std::stoi(parts[4]);
            step = -1;
        } else {
            thread = std::stoi(parts[5]);
            step = kLines;
        }
        if (next.count(thread) == 0 || next[thread] != step || indent != wantIndent) {
            ++bad;
            if (bad < 10) {
                ADD_FAILURE() << "out of order or wrongly indented: \"" << text << "\"";
            }
        }
        next[thread] = step + 1;
    }
    EXPECT_EQ(bad, 0);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(next[t], kLines + 1) << "thread " << t << " lost lines";
    }
}

TEST(TraceDeliveryTest, HungViewerDelaysATracingThreadOnlyByTheBound)
{
    TestViewer viewer;
    viewer.Hang();
    ::Sleep(200);
    const DebugRun run = RunClient(L"hung");
    ASSERT_TRUE(run.finished);
    // Three lines: the first waits out the bound at most, then the viewer
    // counts as absent and the others do not wait at all.
    EXPECT_LE(run.exitCode, UTrace::kDeliveryTimeoutMs + 1500) << "milliseconds spent tracing three lines";
}

TEST(TraceDeliveryTest, ViewerStartedAfterTheProgramReceivesLinesWithinAboutThreeSeconds)
{
    auto client = std::async(std::launch::async, [] { return RunClient(L"late"); });
    ::Sleep(1000);
    TestViewer viewer;
    const DebugRun run = client.get();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << "the viewer was never found";
    const auto records = viewer.Records();
    ASSERT_FALSE(records.empty());
    EXPECT_LE(records.front().tick - viewer.createdTick(), UTrace::kViewerLookupIntervalMs + 1500);
}

}  // namespace
}  // namespace trace_tests
