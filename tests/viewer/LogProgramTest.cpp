// Tracing.exe's log files, as it writes them and as it opens them, and its
// settings dialog, driven from here.
#include "tests/viewer/ViewerProgram.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "viewer/file/FileLines.h"
#include "viewer/resources/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace tracing;

namespace {

using testing_support::WaitFor;
using viewer_tests::KeptValue;
using viewer_tests::ViewerProgram;

using LogProgramTest = viewer_tests::SettingsForgotten;

std::string Numbered(int i)
{
    return "line " + std::to_string(i) + " " + std::string(60, 'r');
}

// The first line in the log's files, oldest first (PATH.9 ... PATH.1, then
// PATH), when they hold an unbroken run of lines that ends at line last; -1
// when they do not.
int RunUpTo(const std::wstring& log, int last)
{
    std::string all;
    for (int number = 9; number >= 0; --number) {
        all += testing_support::ReadFileBytes(number == 0 ? log : log + L"." + std::to_wstring(number));
    }
    const std::vector<LogEntry> entries = viewer_tests::ParseLog(all);
    const int first = last + 1 - static_cast<int>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].text != Numbered(first + static_cast<int>(i))) {
            return -1;
        }
    }
    return entries.empty() ? -1 : first;
}

TEST_F(LogProgramTest, AKeptFileHeldOpenPutsOffRotationWithoutLosingALineOrAFileUntilItIsLetGo)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring log = folder.File(L"rotating.log");
    const std::wstring arguments = L"/log \"" + log + L"\" /log-limit 0.004";  // about 40 lines a file
    int sent = 0;
    const auto send = [&](const ViewerProgram& viewer, int count) {
        for (const int last = sent + count; sent < last; ++sent) {
            viewer.SendLine(UTrace::kTraceMessage, "app", Numbered(sent).c_str());
        }
    };
    // The files are read only while the log cannot rotate: reading one would hold rotation up.
    {
        ViewerProgram viewer(arguments);
        ASSERT_TRUE(viewer.Started());
        send(viewer, 500);
        ASSERT_TRUE(viewer.Close());
    }
    // Nine older files are kept, an unbroken run of the newest lines; the oldest are gone.
    const int firstKept = RunUpTo(log, sent - 1);
    ASSERT_GT(firstKept, 0);
    EXPECT_TRUE(std::filesystem::exists(log + L".9"));
    EXPECT_FALSE(std::filesystem::exists(log + L".10"));

    // Another program holds a file of the chain open, without delete sharing.
    resources::UniqueFileHandle held(::CreateFileW((log + L".5").c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    ViewerProgram viewer(arguments);
    ASSERT_TRUE(viewer.Started());
    send(viewer, 150);
    const auto overLimit = [&] { return viewer.Status(kStatusLog).find(L"past its limit") != std::wstring::npos; };
    EXPECT_TRUE(WaitFor(overLimit, 5000)) << viewer.Status(kStatusLog);
    EXPECT_TRUE(WaitFor([&] { return RunUpTo(log, sent - 1) == firstKept; }, 5000)) << "a line or a kept file was lost";

    // Let go, the chain moves again as lines come, and the oldest lines go.
    held.reset();
    for (const ULONGLONG start = ::GetTickCount64(); overLimit() && ::GetTickCount64() - start < 10000; ::Sleep(100)) {
        send(viewer, 5);
    }
    EXPECT_FALSE(overLimit()) << viewer.Status(kStatusLog);
    ASSERT_TRUE(viewer.Close());
    EXPECT_GT(RunUpTo(log, sent - 1), firstKept);
}

// The window reads the file apart from its messages.
TEST_F(LogProgramTest, A300MegabyteSavedLogWithoutALineEndIsReadWhileTheWindowAnswers)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring path = folder.File(L"huge.log");
    {
        const resources::UniqueFileHandle file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size = {};
        size.QuadPart = LONGLONG { 300 } << 20;  // zeros, made at once
        ASSERT_TRUE(file && ::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.get()));
    }
    ViewerProgram viewer(L"\"" + path + L"\"", L"huge.log" + std::wstring(kLogTitleSuffix));
    ASSERT_TRUE(viewer.Started());
    ULONGLONG slowest = 0;
    EXPECT_TRUE(WaitFor(
        [&] {
            const ULONGLONG before = ::GetTickCount64();
            viewer.Answers();
            slowest = std::max(slowest, ::GetTickCount64() - before);
            return viewer.Status(kStatusCapture).rfind(L"Read ", 0) == 0;
        },
        60000))
        << viewer.Status(kStatusCapture);
    EXPECT_LE(slowest, 200u) << "the window did not answer in time";
    EXPECT_EQ(viewer.Status(kStatusCapture),
        L"Read 1 lines, 1 not in the log format, 1 cut to their first "
            + std::to_wstring(FileLines::kMaxLineBytes / 1024) + L" KB" + kStatusGap
            + L"The file holds NUL bytes: it may not be text");
}

TEST_F(LogProgramTest, ADeviceOrAPipeThatSendsNothingAsASavedLogIsRefusedAtOnceAndTheWindowCloses)
{
    const std::wstring pipeName = L"\\\\.\\pipe\\probedeck-silent-" + std::to_wstring(::GetCurrentProcessId());
    const resources::UniqueFileHandle pipe(
        ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe);
    for (const std::wstring& path : { std::wstring(L"CONIN$"), pipeName }) {
        ViewerProgram viewer(L"\"" + path + L"\"", path.substr(path.find_last_of(L'\\') + 1) + kLogTitleSuffix);
        ASSERT_TRUE(viewer.Started()) << path;
        EXPECT_TRUE(
            WaitFor([&] { return viewer.Status(kStatusCapture).rfind(L"The log cannot be read: ", 0) == 0; }, 3000))
            << viewer.Status(kStatusCapture);
        // A reason, not the stand-in for a missing system text.
        EXPECT_EQ(viewer.Status(kStatusCapture).find(L"n/a"), std::wstring::npos) << viewer.Status(kStatusCapture);
        EXPECT_TRUE(viewer.Close()) << path;
    }
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
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }, 5000));

    EXPECT_TRUE(viewer.WaitForItems(10));
    EXPECT_TRUE(viewer.WaitForStatus(kStatusCounts, L"Lines: 10    Dropped: 20    Rejected: 0"))
        << viewer.Status(kStatusCounts);
    EXPECT_EQ(KeptValue(kHistoryLinesValue), 10u);
    EXPECT_EQ(KeptValue(kLogLimitValue), 5u);
}

}  // namespace
