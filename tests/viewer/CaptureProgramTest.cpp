// Tracing.exe capturing the debug output of other processes: writers started
// from here, the list, status bar, clipboard and log read back.
#include "tests/viewer/ViewerProgram.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using viewer_tests::ParseLog;
using viewer_tests::ViewerProgram;

std::unique_ptr<testing_support::ChildProcess> StartWriter(const std::wstring& arguments)
{
    return std::make_unique<testing_support::ChildProcess>(testing_support::TestFile(L"debug_writer.exe"), arguments);
}

class CaptureProgramTest : public viewer_tests::SettingsForgotten {
protected:
    std::unique_ptr<ViewerProgram> Start(const std::wstring& arguments = L"")
    {
        auto viewer = std::make_unique<ViewerProgram>(arguments);
        EXPECT_TRUE(viewer->Started()) << "Tracing.exe showed no window";
        return viewer;
    }
};

// Three writers at once, then a traced program, then broken writes.
TEST_F(CaptureProgramTest, LinesArriveWholeOnceWithTheirSendersAreLoggedAndBrokenWritesAreCut)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring log = folder.File(L"capture.log");
    auto viewer = Start(L"/log \"" + log + L"\"");
    ASSERT_TRUE(viewer->WaitForStatus(kStatusCapture, kCaptureOnText)) << viewer->Status(kStatusCapture);

    constexpr int kLines = 300;
    std::vector<std::unique_ptr<testing_support::ChildProcess>> writers;
    std::map<std::string, DWORD> pidOfTag;
    for (const char* tag : { "W0", "W1", "W2" }) {
        writers.push_back(StartWriter(L"lines " + std::wstring(tag, tag + 2) + L" " + std::to_wstring(kLines)));
        pidOfTag[tag] = writers.back()->id();
    }
    for (auto& writer : writers) {
        ASSERT_EQ(writer->WaitForExit(60000), std::optional<DWORD>(0));
    }
    ASSERT_TRUE(testing_support::WaitFor([&] { return viewer->ItemCount() >= 3 * kLines; }, 10000))
        << viewer->ItemCount();

    const std::string copied = viewer->Copied();
    std::set<std::string> seen;
    for (const LogEntry& entry : ParseLog(copied)) {
        const std::string tag = entry.text.substr(0, 2);
        if (pidOfTag.count(tag) == 0) {
            continue;  // another program of the session
        }
        EXPECT_EQ(entry.origin, LineOrigin::Debug) << entry.text;
        EXPECT_EQ(entry.pid, pidOfTag[tag]) << entry.text;
        EXPECT_EQ(entry.process, "debug_writer.exe") << entry.text;
        EXPECT_TRUE(seen.insert(entry.text).second) << "twice: " << entry.text;
    }
    for (const auto& [tag, pid] : pidOfTag) {
        for (int i = 0; i < kLines; ++i) {
            EXPECT_EQ(seen.count(tag + " line " + std::to_string(i)), 1u) << tag << " line " << i;
        }
    }

    // A traced program's records and its debug output both arrive.
    viewer->Command(kViewerClear);
    auto writer = StartWriter(L"trace");
    const DWORD pid = writer->id();
    ASSERT_EQ(writer->WaitForExit(30000), std::optional<DWORD>(0));
    ASSERT_TRUE(viewer->WaitForItems(4));

    std::set<std::string> lines;
    for (const LogEntry& entry : ParseLog(viewer->Copied())) {
        const bool debug = entry.origin == LineOrigin::Debug;
        lines.insert((debug ? "debug " + std::string(entry.pid == pid ? "pid " : "?pid ") + entry.process
                            : "record " + std::to_string(entry.kind) + " " + entry.source)
            + ": " + entry.text);
    }
    EXPECT_EQ(lines,
        (std::set<std::string> {
            "debug pid debug_writer.exe: writer: traced 1",
            "debug pid debug_writer.exe: writer: failed 2",
            "record 3 writer: traced 1",
            "record 1 writer: failed 2",
        }));

    // Broken writes are cut at the buffer's end and shown.
    viewer->Command(kViewerClear);
    for (const wchar_t* kind : { L"raw nonul", L"raw nolineend", L"raw codepage" }) {
        EXPECT_EQ(StartWriter(kind)->WaitForExit(30000), std::optional<DWORD>(0)) << kind;
    }
    // Text without a line end shows once its writer has been quiet for a second.
    ASSERT_TRUE(viewer->WaitForItems(3, 15000)) << viewer->ItemCount();
    std::vector<std::string> texts;
    for (const LogEntry& entry : ParseLog(viewer->Copied())) {
        texts.push_back(entry.text);
    }
    std::sort(texts.begin(), texts.end());
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], std::string(4091, 'L'));
    EXPECT_EQ(texts[1], std::string(4092, 'N'));
    EXPECT_EQ(texts[2].substr(0, 3), "cp ");
    EXPECT_NE(texts[2].find("\xC3\xBF end"), std::string::npos) << texts[2];
    EXPECT_TRUE(viewer->Answers());

    // Closing flushes the log, which begins with the copied lines in the same form.
    ASSERT_TRUE(viewer->Close());
    EXPECT_EQ(testing_support::ReadFileBytes(log).substr(0, copied.size()), copied);
}

// Whether some program holds the debug-output buffer.
bool BufferTaken()
{
    resources::UniqueHandle probe(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER"));
    return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

TEST_F(CaptureProgramTest, AnotherListenerKeepsTheBufferUntilItLeavesAndCaptureTurnedOffLetsItGo)
{
    // This process owns the buffer first. It makes no events, so writers pass it by.
    resources::UniqueHandle other(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER"));
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "a listener is running already";
    auto viewer = Start();
    EXPECT_TRUE(viewer->WaitForStatus(kStatusCapture, kCaptureTakenText)) << viewer->Status(kStatusCapture);
    EXPECT_EQ(viewer->SendLine(UTrace::kTraceMessage, "app", "still here"), TRUE);
    ASSERT_TRUE(viewer->WaitForItems(1));
    EXPECT_EQ(viewer->Cell(0, Column::Text), L"still here");

    // Once the other listener leaves, the viewer takes the buffer over.
    other.reset();
    EXPECT_TRUE(viewer->WaitForStatus(kStatusCapture, kCaptureOnText, 10000)) << viewer->Status(kStatusCapture);

    // Capture turned off lets the buffer go and stays off after a restart.
    EXPECT_TRUE(BufferTaken());
    viewer->Command(kViewerCapture);
    EXPECT_TRUE(viewer->WaitForStatus(kStatusCapture, kCaptureOffText));
    EXPECT_FALSE(BufferTaken());
    EXPECT_EQ(viewer_tests::KeptValue(kCaptureValue), 0u);
    ASSERT_TRUE(viewer->Close());

    viewer = Start();
    EXPECT_TRUE(viewer->WaitForStatus(kStatusCapture, kCaptureOffText));
    EXPECT_FALSE(BufferTaken());
    viewer->Command(kViewerCapture);
    EXPECT_TRUE(viewer->WaitForStatus(kStatusCapture, kCaptureOnText));
    EXPECT_EQ(viewer_tests::KeptValue(kCaptureValue), 1u);
    EXPECT_TRUE(BufferTaken());
}

}  // namespace
