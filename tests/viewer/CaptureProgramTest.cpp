// Tracing.exe as the session's debug-output listener, with writers started
// from here and the list and the status bar read back.
#include "tests/viewer/ViewerProgram.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace tracing;

namespace {

using testing_support::ChildProcess;
using testing_support::WaitFor;
using viewer_tests::ViewerProgram;

using CaptureProgramTest = viewer_tests::SettingsForgotten;

std::unique_ptr<ChildProcess> StartWriter(const std::wstring& arguments)
{
    return std::make_unique<ChildProcess>(testing_support::TestFile(L"debug_writer.exe"), arguments);
}

// How often each line of the writers (by their tags, the text's first two
// characters) is shown; each must carry its writer's pid and program.
std::map<std::string, int> TimesShown(const ViewerProgram& viewer, const std::map<std::string, DWORD>& pidOfTag)
{
    std::map<std::string, int> times;
    for (const LogEntry& entry : viewer_tests::ParseLog(viewer.Copied())) {
        const auto writer = pidOfTag.find(entry.text.substr(0, 2));
        if (writer == pidOfTag.end()) {
            continue;  // another program of the session
        }
        EXPECT_EQ(entry.pid, writer->second) << entry.text;
        EXPECT_EQ(entry.process, "debug_writer.exe") << entry.text;
        ++times[entry.text];
    }
    return times;
}

TEST_F(CaptureProgramTest, AWriterThatEndsHoldingTheBufferCostsTheWritersAfterItUnderASecondAndNoLine)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.WaitForStatus(kStatusCapture, kCaptureOnText)) << viewer.Status(kStatusCapture);
    ASSERT_EQ(StartWriter(L"take")->WaitForExit(15000), std::optional<DWORD>(0));

    // Writers right after it: the first write waits out the viewer's grace, not
    // its own 10 s timeout (which would lose its line and hold up the others).
    constexpr int kLines = 300;
    std::vector<std::unique_ptr<ChildProcess>> writers;
    std::map<std::string, DWORD> pidOfTag;
    std::map<std::string, int> expected;
    for (const wchar_t* tag : { L"W0", L"W1", L"W2" }) {
        writers.push_back(StartWriter(L"lines " + std::wstring(tag) + L" " + std::to_wstring(kLines)));
        pidOfTag[std::string(tag, tag + 2)] = writers.back()->id();
        for (int i = 0; i < kLines; ++i) {
            expected[std::string(tag, tag + 2) + " line " + std::to_string(i)] = 1;
        }
    }
    ASSERT_TRUE(WaitFor([&] { return viewer.ItemCount() > 0; }, 3000)) << "the next write waited out its timeout";
    EXPECT_TRUE(viewer.WaitForStatus(kStatusCapture, std::wstring(kCaptureOnText) + L"    Writes abandoned: 1"))
        << viewer.Status(kStatusCapture);

    // Their lines all arrive whole, once, with their senders.
    for (auto& writer : writers) {
        ASSERT_EQ(writer->WaitForExit(60000), std::optional<DWORD>(0));
    }
    ASSERT_TRUE(WaitFor([&] { return viewer.ItemCount() >= 3 * kLines; }, 10000)) << viewer.ItemCount();
    EXPECT_EQ(TimesShown(viewer, pidOfTag), expected);
}

// Debug output written as UTF-8 is shown as written, not read as ANSI.
TEST_F(CaptureProgramTest, DebugOutputWrittenAsUtf8IsShownAsWritten)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.WaitForStatus(kStatusCapture, kCaptureOnText)) << viewer.Status(kStatusCapture);
    const std::wstring text = L"Gr\u00FC\u00DFe \u2013 \u6E29\u5EA6";
    ASSERT_EQ(StartWriter(L"utf8 \"" + text + L"\"")->WaitForExit(15000), std::optional<DWORD>(0));
    const auto shown = [&] {
        for (int item = 0; item < viewer.ItemCount(); ++item) {
            if (viewer.Cell(item, Column::Text) == text) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(WaitFor(shown, 5000)) << viewer.Copied();
}

// A signalled manual-reset event is what a listener that took it would spin
// on, reading each write over and over; made first, it is another listener's.
TEST_F(CaptureProgramTest, AManualResetDataReadyMadeFirstIsAnotherListenersNeitherSpunOnNorReadTwice)
{
    resources::UniqueHandle planted(::CreateEventW(nullptr, TRUE, TRUE, L"DBWIN_DATA_READY"));
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "a listener is running already";
    ViewerProgram viewer;
    EXPECT_TRUE(viewer.WaitForStatus(kStatusCapture, kCaptureTakenText)) << viewer.Status(kStatusCapture);

    const std::uint64_t before = viewer.ProcessorMs();
    ASSERT_EQ(StartWriter(L"lines P0 20")->WaitForExit(15000), std::optional<DWORD>(0));
    ::Sleep(2000);
    ASSERT_LT(viewer.ProcessorMs() - before, 400u) << "the viewer spins";
    // Records still arrive; the writes went to no listener (a P0 line would show with the wrong pid).
    EXPECT_EQ(viewer.SendLine(UTrace::kTraceMessage, "app", "still here"), TRUE);
    EXPECT_TRUE(viewer.WaitForItems(1));

    // Once the other listener leaves, the viewer takes the buffer over.
    planted.reset();
    ASSERT_TRUE(viewer.WaitForStatus(kStatusCapture, kCaptureOnText, 10000)) << viewer.Status(kStatusCapture);
    auto writer = StartWriter(L"lines Q0 20");
    ASSERT_EQ(writer->WaitForExit(15000), std::optional<DWORD>(0));
    ASSERT_TRUE(WaitFor([&] { return viewer.ItemCount() >= 21; }, 5000)) << viewer.ItemCount();
    std::map<std::string, int> expected;
    for (int i = 0; i < 20; ++i) {
        expected["Q0 line " + std::to_string(i)] = 1;
    }
    EXPECT_EQ(TimesShown(viewer, { { "Q0", writer->id() }, { "P0", 0 } }), expected);
}

}  // namespace
