// Tracing.exe logging to a volume that fills up. full_volume_test.sh mounts
// a small volume, fills it with the file "filler" but for 8 KB and
// names its folder (as a Windows path) in PROBEDECK_FULL_FOLDER.
#include "tests/viewer/ViewerProgram.h"

#include "tests/support/FileBytes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using namespace tracing;

namespace {

using viewer_tests::ViewerProgram;

TEST(FullVolumeProgramTest, AfterSpaceComesBackNoLineIsTornAndEveryLineIsLoggedOrCountedAsNot)
{
    const wchar_t* folder = ::_wgetenv(L"PROBEDECK_FULL_FOLDER");
    ASSERT_NE(folder, nullptr) << "run by full_volume_test.sh";
    const std::wstring log = folder + std::wstring(L"\\trace.log");
    viewer_tests::ForgetSettings();
    ViewerProgram viewer(L"/log \"" + log + L"\"");
    ASSERT_TRUE(viewer.Started());
    constexpr int kLines = 400;  // half of them fill more than the space left
    const auto send = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            viewer.SendLine(UTrace::kTraceMessage, "app", (std::to_string(i) + " " + std::string(100, 'v')).c_str());
        }
    };
    send(0, kLines / 2);
    EXPECT_TRUE(testing_support::WaitFor(
        [&] { return viewer.Status(kStatusLog).rfind(L"The log cannot be written: " + log, 0) == 0; }, 5000))
        << viewer.Status(kStatusLog);
    ASSERT_TRUE(::DeleteFileW((folder + std::wstring(L"\\filler")).c_str()));
    send(kLines / 2, kLines);
    // Once all has been written, or given up on, only the count stays.
    ASSERT_TRUE(
        testing_support::WaitFor([&] { return viewer.Status(kStatusLog).rfind(L"Logging to " + log, 0) == 0; }, 15000))
        << viewer.Status(kStatusLog);
    const std::wstring status = viewer.Status(kStatusLog);
    const std::size_t count = status.find(L"Lines not logged: ");  // absent when none
    ASSERT_TRUE(viewer.Close());

    const std::vector<LogEntry> entries = viewer_tests::ParseLog(testing_support::ReadFileBytes(log));
    int previous = -1;
    for (const LogEntry& entry : entries) {
        const int number = std::atoi(entry.text.c_str());
        EXPECT_EQ(entry.text, std::to_string(number) + " " + std::string(100, 'v')) << "torn";
        EXPECT_GT(number, std::exchange(previous, number)) << "out of order or twice: " << entry.text;
    }
    EXPECT_EQ(
        static_cast<int>(entries.size()) + (count == std::wstring::npos ? 0 : std::stoi(status.substr(count + 18))),
        kLines)
        << status;
}

}  // namespace
