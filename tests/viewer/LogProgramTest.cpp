// Tracing.exe's log file and its settings dialog, driven from here.
#include "tests/viewer/ViewerProgram.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "viewer/resources/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using viewer_tests::KeptValue;
using viewer_tests::ParseLog;
using viewer_tests::ViewerProgram;

using LogProgramTest = viewer_tests::SettingsForgotten;

std::string Numbered(int i)
{
    return "line " + std::to_string(i) + " " + std::string(60, 'r');
}

// The log takes every line, also those the history has no room for.
TEST_F(LogProgramTest, RotatesAtItsLimitKeepingNineOlderFilesWhileTheHistoryDropsTheOldest)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring log = folder.File(L"rotating.log");
    constexpr std::uint64_t kLimit = 0.004 * 1048576;  // about 40 lines
    constexpr int kLines = 600;
    {
        ViewerProgram viewer(L"/log \"" + log + L"\" /log-limit 0.004 /history 50");
        ASSERT_TRUE(viewer.Started());
        for (int i = 0; i < kLines; ++i) {
            ASSERT_EQ(viewer.SendLine(UTrace::kTraceMessage, "app", Numbered(i).c_str()), TRUE);
        }
        ASSERT_TRUE(viewer.WaitForItems(50));
        EXPECT_TRUE(viewer.WaitForStatus(kStatusCounts, L"Lines: 50    Dropped: 550    Rejected: 0"))
            << viewer.Status(kStatusCounts);
        // The list catches up with the store at its next refresh.
        const std::string last = Numbered(kLines - 1);
        EXPECT_TRUE(testing_support::WaitFor(
            [&] { return viewer.Cell(49, Column::Text) == std::wstring(last.begin(), last.end()); }, 5000));
        const std::string first = Numbered(kLines - 50);
        EXPECT_EQ(viewer.Cell(0, Column::Text), std::wstring(first.begin(), first.end()));
        ASSERT_TRUE(viewer.Close());
    }

    // Oldest first: PATH.9 ... PATH.1, then PATH.
    std::string all;
    for (int number = 9; number >= 0; --number) {
        const std::wstring path = number == 0 ? log : log + L"." + std::to_wstring(number);
        const std::string bytes = testing_support::ReadFileBytes(path);
        EXPECT_FALSE(bytes.empty()) << "missing file ." << number;
        EXPECT_LE(bytes.size(), kLimit) << "file ." << number;
        all += bytes;
    }
    EXPECT_FALSE(std::filesystem::exists(log + L".10"));

    // What is kept is an unbroken run of the newest lines; the oldest are gone.
    const std::vector<LogEntry> entries = ParseLog(all);
    ASSERT_GT(entries.size(), 300u);
    ASSERT_LT(entries.size(), static_cast<std::size_t>(kLines));
    const int first = kLines - static_cast<int>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ASSERT_EQ(entries[i].text, Numbered(first + static_cast<int>(i))) << i;
    }
}

TEST_F(LogProgramTest, AFolderThatGoesAwayIsReportedWhileLinesStillArrive)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring logFolder = folder.MakeFolder(L"logs");
    const std::wstring log = logFolder + L"\\trace.log";
    ViewerProgram viewer(L"/log \"" + log + L"\"");
    ASSERT_TRUE(viewer.Started());
    EXPECT_TRUE(viewer.WaitForStatus(kStatusLog, L"Logging to " + log)) << viewer.Status(kStatusLog);
    viewer.SendLine(UTrace::kTraceMessage, "app", "logged");
    ASSERT_TRUE(testing_support::WaitFor([&] { return !testing_support::ReadFileBytes(log).empty(); }, 5000));

    // The log is open only while lines are written, so the folder can go.
    ASSERT_TRUE(testing_support::WaitFor(
        [&] {
            std::error_code ignored;
            std::filesystem::remove_all(logFolder, ignored);
            return !std::filesystem::exists(logFolder);
        },
        5000));
    viewer.SendLine(UTrace::kTraceMessage, "app", "not logged");
    EXPECT_TRUE(testing_support::WaitFor(
        [&] { return viewer.Status(kStatusLog).rfind(L"The log cannot be written: " + log, 0) == 0; }, 5000))
        << viewer.Status(kStatusLog);
    viewer.SendLine(UTrace::kTraceMessage, "app", "still shown");
    EXPECT_TRUE(viewer.WaitForItems(3));
    EXPECT_EQ(viewer.Cell(2, Column::Text), L"still shown");
}

TEST_F(LogProgramTest, SettingsDialogRefusesBadValuesAndKeepsGoodOnes)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    for (int i = 0; i < 30; ++i) {
        viewer.SendLine(UTrace::kTraceMessage, "app", std::to_string(i).c_str());
    }
    ASSERT_TRUE(viewer.WaitForItems(30));

    HWND dialog = viewer.OpenDialog(kViewerSettings, kSettingsTitle);
    ASSERT_NE(dialog, nullptr);
    HWND history = testing_support::DirectChild(dialog, IDC_SETTINGS_HISTORY);
    HWND limit = testing_support::DirectChild(dialog, IDC_SETTINGS_LOG_LIMIT);
    EXPECT_EQ(testing_support::WindowText(history), L"1000000");
    EXPECT_EQ(testing_support::WindowText(limit), L"64");

    ::SendMessageW(history, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(::IsWindow(dialog)) << "a history of no lines was taken";
    ::SendMessageW(history, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10"));
    ::SendMessageW(limit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5"));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(testing_support::WaitFor([&] { return !::IsWindow(dialog); }, 5000));

    EXPECT_TRUE(viewer.WaitForItems(10));
    EXPECT_TRUE(viewer.WaitForStatus(kStatusCounts, L"Lines: 10    Dropped: 20    Rejected: 0"))
        << viewer.Status(kStatusCounts);
    EXPECT_EQ(KeptValue(kHistoryLinesValue), 10u);
    EXPECT_EQ(KeptValue(kLogLimitValue), 5u);
    ASSERT_TRUE(viewer.Close());

    // The next start holds no more than the kept history.
    ViewerProgram again;
    ASSERT_TRUE(again.Started());
    for (int i = 0; i < 12; ++i) {
        again.SendLine(UTrace::kTraceMessage, "app", std::to_string(i).c_str());
    }
    EXPECT_TRUE(again.WaitForStatus(kStatusCounts, L"Lines: 10    Dropped: 2    Rejected: 0"))
        << again.Status(kStatusCounts);
}

}  // namespace
