// Tracing.exe within its bounds: a history full in bytes never costs a
// logged line, and a kept place on a monitor that is gone is not used.
#include "tests/viewer/ViewerProgram.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using namespace tracing;

namespace {

using viewer_tests::ParseLog;
using viewer_tests::ViewerProgram;

using BoundsProgramTest = viewer_tests::SettingsForgotten;

TEST_F(BoundsProgramTest, AHistoryFullInBytesDropsTheOldestLinesButTheLogKeepsThemAll)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring log = folder.File(L"bounded.log");
    constexpr int kLines = 2500;  // about 2.5 MB of lines for a history of 1 MB
    {
        ViewerProgram viewer(L"/history-mb 1 /log \"" + log + L"\"");
        ASSERT_TRUE(viewer.Started());
        for (int i = 0; i < kLines; ++i) {
            const std::string text = std::to_string(i) + " " + std::string(1000, 'b');
            ASSERT_EQ(viewer.SendLine(UTrace::kTraceMessage, "app", text.c_str()), TRUE);
        }
        ASSERT_TRUE(testing_support::WaitFor(
            [&] { return viewer.Status(kStatusCounts).find(L"Dropped: 1") != std::wstring::npos; }, 10000))
            << viewer.Status(kStatusCounts);
        EXPECT_LT(viewer.ItemCount(), 1100);
        EXPECT_GT(viewer.ItemCount(), 900);
        ASSERT_TRUE(viewer.Close());
    }
    const std::vector<LogEntry> entries = ParseLog(testing_support::ReadFileBytes(log));
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kLines));
    for (int i = 0; i < kLines; ++i) {
        ASSERT_EQ(entries[static_cast<std::size_t>(i)].text.substr(0, std::to_string(i).size() + 1),
            std::to_string(i) + " ")
            << i;
    }
}

TEST_F(BoundsProgramTest, AKeptPlaceIsUsedOnlyOnAMonitorThatExists)
{
    const struct {
        RECT kept;
        bool used;
    } rows[] = {
        { { 40, 50, 1040, 650 }, true },
        { { 30000, 30000, 31000, 30600 }, false },
    };
    for (const auto& row : rows) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        placement.showCmd = SW_SHOWNORMAL;
        placement.rcNormalPosition = row.kept;
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kPlacementValue, REG_BINARY, &placement,
                      sizeof placement),
            ERROR_SUCCESS);
        ViewerProgram viewer;
        ASSERT_TRUE(viewer.Started());
        RECT shown = {};
        ASSERT_TRUE(::GetWindowRect(viewer.window(), &shown));
        // A place not used leaves the window its own size, not the kept one.
        EXPECT_EQ(shown.right - shown.left == row.kept.right - row.kept.left, row.used) << row.kept.left;
        EXPECT_EQ(shown.left == row.kept.left && shown.top == row.kept.top, row.used) << row.kept.left;
        EXPECT_NE(::MonitorFromRect(&shown, MONITOR_DEFAULTTONULL), nullptr) << row.kept.left;
        ASSERT_TRUE(viewer.Close());
        viewer_tests::ForgetSettings();
    }
}

}  // namespace
