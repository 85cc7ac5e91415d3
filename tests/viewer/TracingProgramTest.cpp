// Tracing.exe as a running program, fed trace records from this process: the
// list, the status bar and the clipboard read back across the process boundary.
#include "tests/viewer/ViewerProgram.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace tracing;

namespace {

using viewer_tests::ViewerProgram;

std::string WithoutTimes(const std::string& text)
{
    return std::regex_replace(text, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})"), "T");
}

// One viewer for the whole run: records and their senders, rejected records,
// pause, copy, a second start and clear.
using TracingProgramTest = viewer_tests::SettingsForgotten;

TEST_F(TracingProgramTest, ShowsRecordsWithTheirSendersPausesCopiesAndClears)
{
    auto viewer = std::make_unique<ViewerProgram>();
    ASSERT_TRUE(viewer->Started()) << "Tracing.exe showed no window";
    // A window of this process as the sender: its process is named.
    const resources::UniqueWindow sender(
        ::CreateWindowExW(0, L"STATIC", L"sender", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(sender.valid());
    EXPECT_EQ(viewer->SendLine(UTrace::kTraceError, "app", "first line"), TRUE);
    // Malformed records of every sort are the checker's own table; one goes end to end.
    TraceRecord noNul = TraceRecord::Fill(UTrace::kTraceMessage, 0, 0, "app", "x");
    noNul.text[1] = 'y';  // where the NUL was: the last byte sent
    EXPECT_EQ(viewer->Send(noNul.magic, &noNul, noNul.length), FALSE);
    EXPECT_EQ(viewer->SendLine(UTrace::kTraceFunction, nullptr, "  Run - enter", sender.get()), TRUE);

    ASSERT_TRUE(viewer->WaitForItems(2));
    EXPECT_TRUE(viewer->WaitForStatus(kStatusCounts, L"Lines: 2    Dropped: 0    Rejected: 1"))
        << viewer->Status(kStatusCounts);
    using C = Column;
    const std::vector<std::wstring> cells = {
        viewer->Cell(0, C::Pid),
        viewer->Cell(0, C::Process),
        viewer->Cell(0, C::Kind),
        viewer->Cell(0, C::Source),
        viewer->Cell(0, C::Text),
        viewer->Cell(1, C::Pid),
        viewer->Cell(1, C::Process),
        viewer->Cell(1, C::Kind),
        viewer->Cell(1, C::Text),
    };
    EXPECT_EQ(cells,
        (std::vector<std::wstring> { L"", L"", L"error", L"app", L"first line",
            std::to_wstring(::GetCurrentProcessId()), L"tracing_tests.exe", L"function", L"  Run - enter" }));
    EXPECT_TRUE(std::regex_match(viewer->Cell(0, C::Time), std::wregex(LR"(\d\d:\d\d:\d\d\.\d{3})")));

    // Pause holds the list; copy writes the log format.
    viewer->Command(kViewerPause);
    EXPECT_EQ(testing_support::WindowText(testing_support::DirectChild(viewer->window(), kViewerPause)), L"Resume");
    viewer->SendLine(UTrace::kTraceMessage, "app", "dur\ting");
    EXPECT_TRUE(viewer->WaitForStatus(kStatusCounts, L"Lines: 3    Dropped: 0    Rejected: 1    Paused"))
        << viewer->Status(kStatusCounts);

    EXPECT_EQ(viewer->ItemCount(), 2);
    viewer->Command(kViewerPause);
    ASSERT_TRUE(viewer->WaitForItems(3));
    EXPECT_EQ(WithoutTimes(viewer->Copied()),
        "T\t\t\terror\tapp\tfirst line\r\nT\t" + std::to_string(::GetCurrentProcessId())
            + "\ttracing_tests.exe\tfunction\t\t  Run - enter\r\nT\t\t\tmessage\tapp\tdur ing\r\n");

    // A second start leaves the first viewer alone.
    testing_support::ChildProcess second(testing_support::ProductFile(L"Tracing.exe"));
    EXPECT_EQ(second.WaitForExit(15000), std::optional<DWORD>(0));
    EXPECT_EQ(::FindWindowW(UTrace::kViewerClass, nullptr), viewer->window());
    EXPECT_EQ(::FindWindowExW(nullptr, viewer->window(), UTrace::kViewerClass, nullptr), nullptr);

    viewer->Command(kViewerClear);
    EXPECT_EQ(viewer->ItemCount(), 0);
    EXPECT_TRUE(viewer->WaitForStatus(kStatusCounts, L"Lines: 0    Dropped: 0    Rejected: 0"));

    EXPECT_TRUE(viewer->Close());
}

TEST_F(TracingProgramTest, ARuleThatWouldBacktrackForEverNeitherStallsTheWindowNorMatches)
{
    const testing_support::TempFolder folder(L"viewer");
    const std::wstring rules = folder.WriteFile(L"rules.txt", "include\ttext\tregex\t(a+)+$\n");
    ViewerProgram viewer(L"/rules \"" + rules + L"\"");
    ASSERT_TRUE(viewer.Started());
    viewer.SendLine(UTrace::kTraceMessage, "app", (std::string(40, 'a') + "!").c_str());
    // Rules are matched on the window's thread, soon after the line comes.
    for (int ping = 0; ping < 10; ++ping, ::Sleep(100)) {
        ASSERT_TRUE(viewer.Answers()) << "the window hangs";
    }
    viewer.SendLine(UTrace::kTraceMessage, "app", "aaaa");
    EXPECT_TRUE(viewer.WaitForStatus(kStatusCounts, L"Lines: 2    Dropped: 0    Rejected: 0"))
        << viewer.Status(kStatusCounts);
    ASSERT_TRUE(viewer.WaitForItems(1)) << viewer.ItemCount();
    EXPECT_EQ(viewer.Cell(0, Column::Text), L"aaaa");
}

TEST(TracingResources, ManifestAsksForVisualStylesAndPerMonitorDpiAndVersionNamesTheFile)
{
    const std::wstring path = testing_support::ProductFile(L"Tracing.exe");
    const resources::UniqueModule image(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(image.valid());
    HRSRC found = ::FindResourceW(image.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(image.get(), found))),
        ::SizeofResource(image.get(), found));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);

    DWORD ignored = 0;
    std::vector<char> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\OriginalFilename", &value, &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), L"Tracing.exe");
}

}  // namespace
