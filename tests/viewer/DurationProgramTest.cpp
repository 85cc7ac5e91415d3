// Tracing.exe timing function scopes: the Duration cells of scopes that
// slept known times, scopes of two threads told apart by their windows, and
// a duration filter from /rules FILE.
#include "tests/viewer/ViewerProgram.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

using namespace tracing;

namespace {

using testing_support::ChildProcess;
using viewer_tests::ViewerProgram;

using DurationProgramTest = viewer_tests::SettingsForgotten;

// Sleeps are measured by the viewer's clock between two arrivals: this much either way.
constexpr double kToleranceMs = 25;

std::optional<DWORD> RunWriter(const std::wstring& mode)
{
    return ChildProcess(testing_support::TestFile(L"debug_writer.exe"), mode).WaitForExit(15000);
}

// Waits until count shown lines read text and each has a duration, and
// returns those durations; other programs of the session may write lines
// of their own between them.
std::vector<std::wstring> WaitForDurations(const ViewerProgram& viewer, const std::wstring& text, std::size_t count)
{
    std::vector<std::wstring> durations;
    testing_support::WaitFor(
        [&] {
            durations.clear();
            for (int item = 0; item < viewer.ItemCount(); ++item) {
                if (viewer.Cell(item, Column::Text) == text) {
                    durations.push_back(viewer.Cell(item, Column::Duration));
                }
            }
            return durations.size() == count
                && std::none_of(
                    durations.begin(), durations.end(), [](const std::wstring& cell) { return cell.empty(); });
        },
        10000);
    return durations;
}

void ExpectNear(const std::wstring& cell, double ms)
{
    wchar_t* end = nullptr;
    const double read = std::wcstod(cell.c_str(), &end);
    ASSERT_FALSE(cell.empty());
    EXPECT_EQ(*end, L'\0') << cell;
    EXPECT_NEAR(read, ms, kToleranceMs) << cell;
}

TEST_F(DurationProgramTest, DebugOutputScopesShowTheTimesTheySlept)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.WaitForStatus(kStatusCapture, kCaptureOnText)) << viewer.Status(kStatusCapture);
    ASSERT_EQ(RunWriter(L"scopes"), std::optional<DWORD>(0));
    const std::vector<std::wstring> quick = WaitForDurations(viewer, L"app: Quick - enter", 1);
    const std::vector<std::wstring> slow = WaitForDurations(viewer, L"app: Slow - enter", 1);
    ASSERT_EQ(quick.size(), 1u);
    ASSERT_EQ(slow.size(), 1u);
    ExpectNear(quick[0], 100);
    ExpectNear(slow[0], 300);
}

TEST_F(DurationProgramTest, OverlappingScopesOfTwoThreadsAreToldApartByTheirWindows)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    ASSERT_EQ(RunWriter(L"threads"), std::optional<DWORD>(0));
    // The first thread's scope returns while the second's, entered after it, is still open.
    const std::vector<std::wstring> work = WaitForDurations(viewer, L"Work - enter", 2);
    ASSERT_EQ(work.size(), 2u);
    ExpectNear(work[0], 100);
    ExpectNear(work[1], 300);
}

TEST_F(DurationProgramTest, AViewWithADurationFilterShowsOnlyTheSlowCallAndSurvivesARestart)
{
    const testing_support::TempFolder folder;
    const std::wstring rules = folder.WriteFile(L"slow.rules", "include\tduration\t>=\t200\n");
    {
        ViewerProgram viewer(L"/rules \"" + rules + L"\"");
        ASSERT_TRUE(viewer.WaitForStatus(kStatusCapture, kCaptureOnText)) << viewer.Status(kStatusCapture);
        ASSERT_EQ(RunWriter(L"scopes"), std::optional<DWORD>(0));
        ASSERT_TRUE(viewer.WaitForItems(1));
        EXPECT_EQ(viewer.Cell(0, Column::Text), L"app: Slow - enter");
        ExpectNear(viewer.Cell(0, Column::Duration), 300);
    }
    // Started again without the file: its view is in front, with its rule.
    ViewerProgram again;
    ASSERT_TRUE(again.WaitForStatus(kStatusCapture, kCaptureOnText)) << again.Status(kStatusCapture);
    ASSERT_EQ(RunWriter(L"scopes"), std::optional<DWORD>(0));
    ASSERT_TRUE(again.WaitForItems(1));
    EXPECT_EQ(again.Cell(0, Column::Text), L"app: Slow - enter");
    ::Sleep(500);
    EXPECT_EQ(again.ItemCount(), 1) << "the quick call stays out";
}

}  // namespace
