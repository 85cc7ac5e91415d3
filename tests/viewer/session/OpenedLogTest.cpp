// The session's side of an opened file: line ends taken in, lines admitted
// a slice at a time with their scopes timed, and the bound on lines.
#include "viewer/session/OpenedLog.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using namespace tracing;

namespace {

// Works until every line end is in and admitted, at most five seconds.
void WorkToEnd(OpenedLog& opened)
{
    for (const ULONGLONG start = ::GetTickCount64(); ::GetTickCount64() - start < 5000; ::Sleep(5)) {
        // The state first: line ends handed over before it ended are taken by the Work after.
        const FileIndexing::State state = opened.Progress().state;
        static_cast<void>(opened.Work(100));
        if (state != FileIndexing::State::Opening && state != FileIndexing::State::Indexing && !opened.Waiting()) {
            return;
        }
    }
    ADD_FAILURE() << "the file was never read to its end";
}

TEST(OpenedLogTest, LinesAreAdmittedASliceAtATimeWithTheirScopesTimed)
{
    testing_support::TempFolder folder;
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "2026-12-08 10:00:00.000\t7\tapp.exe\tfunction\tsrc\tRun - enter\r\n";
        text += "2026-12-08 10:00:00.250\t7\tapp.exe\tfunction\tsrc\tRun - return\r\n";
    }
    LineStore store;
    ScopeDurations durations;
    OpenedLog opened(store, durations);
    opened.Start(folder.WriteFile(L"scopes.log", text), false);
    WorkToEnd(opened);
    EXPECT_EQ(store.End(), 2000u);
    EXPECT_EQ(opened.IndexedLines(), 2000u);
    EXPECT_EQ(durations.Of(1998), std::optional<std::int64_t>(2500000)) << "a quarter of a second, from the lines' times";
    EXPECT_FALSE(opened.Capped());
}

TEST(OpenedLogTest, AFileOfMoreLinesThanCanBeKeptShowsTheFirstOnesAndStopsReading)
{
    testing_support::TempFolder folder;
    LineStore store;
    ScopeDurations durations;
    OpenedLog opened(store, durations, 5000);
    opened.Start(folder.WriteFile(L"empty-lines.log", std::string(200000, '\n')), false);
    WorkToEnd(opened);
    EXPECT_TRUE(opened.Capped());
    EXPECT_EQ(opened.IndexedLines(), 5000u);
    EXPECT_EQ(store.End(), 5000u);
    EXPECT_NE(opened.Progress().state, FileIndexing::State::Indexing) << "the reading stopped";
}

}  // namespace
