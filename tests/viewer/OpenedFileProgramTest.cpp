// Tracing.exe opening a large log and following a file another program
// writes, driven from here.
#include "tests/viewer/ViewerProgram.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/TempFolder.h"
#include "viewer/log/LogFormat.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tracing;

namespace {

using testing_support::WaitFor;
using viewer_tests::ViewerProgram;

using OpenedFileProgramTest = viewer_tests::SettingsForgotten;

// A log of about megabytes MB in the viewer's format; its line count.
std::uint64_t WriteLog(const std::wstring& path, std::size_t megabytes)
{
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    std::string piece;
    std::uint64_t lines = 0;
    while (static_cast<std::uint64_t>(file.tellp()) < (std::uint64_t { megabytes } << 20)) {
        piece.clear();
        for (int i = 0; i < 10000; ++i, ++lines) {
            AppendLogLine(piece, { 133000000000000000 + static_cast<std::int64_t>(lines) * 10000, static_cast<std::uint32_t>(4000 + lines % 7),
                                     LineOrigin::Record, 2, "service.exe", "worker",
                                     "request " + std::to_string(lines) + " handled in " + std::to_string(lines % 97) + " ms" });
        }
        file << piece;
    }
    return lines;
}

void Append(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::app);
    file << bytes;
}

TEST_F(OpenedFileProgramTest, ALargeLogShowsItsFirstPageAtOnceAndReachesItsFullCountWhileTheWindowAnswers)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring path = folder.File(L"large.log");
    const std::uint64_t lines = WriteLog(path, 128);
    ViewerProgram viewer(L"\"" + path + L"\"", L"large.log" + std::wstring(kLogTitleSuffix));
    ASSERT_TRUE(viewer.Started());
    EXPECT_TRUE(WaitFor([&] { return viewer.ItemCount() >= 40; }, 1000)) << "the first page took longer than a second";
    EXPECT_EQ(viewer.Cell(0, Column::Text), L"request 0 handled in 0 ms");

    ULONGLONG slowest = 0;
    const std::wstring done = L"Read " + std::to_wstring(lines) + L" lines, 0 not in the log format";
    EXPECT_TRUE(WaitFor(
        [&] {
            const ULONGLONG before = ::GetTickCount64();
            viewer.Answers();
            slowest = std::max(slowest, ::GetTickCount64() - before);
            return viewer.Status(kStatusCapture) == done;
        },
        120000))
        << viewer.Status(kStatusCapture);
    EXPECT_EQ(viewer.ItemCount(), static_cast<int>(lines));
    EXPECT_LE(slowest, 200u) << "the window did not answer in time";
}

TEST_F(OpenedFileProgramTest, AFollowedFileShowsAppendedLinesAtOnceAndSurvivesItsRotation)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring path = folder.File(L"service.log");
    Append(path, "started\r\n");
    ViewerProgram viewer(L"/follow \"" + path + L"\"", L"service.log" + std::wstring(kLogTitleSuffix));
    ASSERT_TRUE(viewer.Started());
    ASSERT_TRUE(viewer.WaitForItems(1));
    Append(path, "working\r\n");
    EXPECT_TRUE(viewer.WaitForItems(2, 1000)) << "an appended line took longer than a second";
    EXPECT_EQ(viewer.Cell(1, Column::Text), L"working");

    // Rotated away, as a program's own log rotation does, and begun anew.
    ASSERT_TRUE(::MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING));
    Append(path, "begun again\r\nand going on\r\nstill\r\n");
    EXPECT_TRUE(WaitFor([&] { return viewer.ItemCount() == 3 && viewer.Cell(0, Column::Text) == L"begun again"; }, 3000));
    EXPECT_NE(viewer.Status(kStatusLog).find(L"The file was truncated or replaced: reading it from its start"),
        std::wstring::npos)
        << viewer.Status(kStatusLog);
    Append(path, "after the rotation\r\n");
    EXPECT_TRUE(viewer.WaitForItems(4, 1000));
}

}  // namespace
