// Tracing.exe's views, context menu, bookmarks and the clear command, driven
// as the user drives them: keys to the foreground window, writers in
// processes of their own.
#include "tests/viewer/ViewerProgram.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

using namespace tracing;

namespace {

using testing_support::ChildProcess;
using testing_support::WaitFor;
using viewer_tests::PressKey;
using viewer_tests::ViewerProgram;

using TracingViews = viewer_tests::SettingsForgotten;

// Runs the writer (or a copy of it at program) saying each text as a line.
void Say(const std::wstring& texts, const std::wstring& program = testing_support::TestFile(L"debug_writer.exe"))
{
    ChildProcess writer(program, L"say " + texts);
    ASSERT_EQ(writer.WaitForExit(15000), std::optional<DWORD>(0));
}

void BringToFront(const ViewerProgram& viewer)
{
    ASSERT_TRUE(::SetForegroundWindow(viewer.window()));
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == viewer.window(); }, 5000));
    PressKey(0, VK_HOME);
}

HWND Tabs(const ViewerProgram& viewer)
{
    return testing_support::DirectChild(viewer.window(), kViewerTabs);
}

int TabCount(const ViewerProgram& viewer)
{
    return static_cast<int>(::SendMessageW(Tabs(viewer), TCM_GETITEMCOUNT, 0, 0));
}

int ChosenTab(const ViewerProgram& viewer)
{
    return static_cast<int>(::SendMessageW(Tabs(viewer), TCM_GETCURSEL, 0, 0));
}

TEST_F(TracingViews, HideProcessFromTheContextMenuHidesThatWritersLines)
{
    const testing_support::TempFolder folder(L"views");
    const std::wstring other = folder.File(L"other_writer.exe");
    ASSERT_TRUE(::CopyFileW(testing_support::TestFile(L"debug_writer.exe").c_str(), other.c_str(), FALSE));
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    ASSERT_TRUE(viewer.WaitForStatus(kStatusCapture, kCaptureOnText)) << viewer.Status(kStatusCapture);
    Say(L"noisy", other);
    ASSERT_TRUE(viewer.WaitForItems(1)) << viewer.Status(kStatusCapture);
    Say(L"useful");
    ASSERT_TRUE(viewer.WaitForItems(2));
    BringToFront(viewer);
    ASSERT_TRUE(WaitFor([&] { return viewer.Selected() == 0; }, 5000));
    // Shift+F10 opens the line's menu; its first item hides the line's program.
    PressKey(VK_SHIFT, VK_F10);
    ::Sleep(300);
    PressKey(0, VK_DOWN);
    PressKey(0, VK_RETURN);
    // All shows every line: the rule opens a view of its own.
    EXPECT_TRUE(WaitFor([&] { return TabCount(viewer) == 2 && viewer.ItemCount() == 1; }, 5000))
        << TabCount(viewer) << " tabs, " << viewer.ItemCount() << " lines";
    EXPECT_EQ(viewer.Cell(0, Column::Text), L"useful");
    EXPECT_EQ(ChosenTab(viewer), 1);
    // Later lines of the hidden program stay hidden there.
    Say(L"\"more noise\"", other);
    Say(L"\"more use\"");
    EXPECT_TRUE(viewer.WaitForItems(2));
    EXPECT_EQ(viewer.Cell(1, Column::Text), L"more use");
}

TEST_F(TracingViews, CtrlF2MarksLinesAndF2GoesFromMarkToMark)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    for (const char* text : { "zero", "one", "two", "three" }) {
        viewer.SendLine(UTrace::kTraceMessage, "marks", text);
    }
    ASSERT_TRUE(viewer.WaitForItems(4));
    BringToFront(viewer);
    ASSERT_TRUE(WaitFor([&] { return viewer.Selected() == 0; }, 5000));
    PressKey(VK_CONTROL, VK_F2);
    PressKey(0, VK_DOWN);
    PressKey(0, VK_DOWN);
    ASSERT_TRUE(WaitFor([&] { return viewer.Selected() == 2; }, 5000));
    PressKey(VK_CONTROL, VK_F2);
    const std::wstring mark(L"\u25CF");
    EXPECT_TRUE(WaitFor([&] { return viewer.Cell(2, Column::Fold).rfind(mark, 0) == 0; }, 5000));
    EXPECT_EQ(viewer.Cell(0, Column::Fold).rfind(mark, 0), 0u);
    EXPECT_EQ(viewer.Cell(1, Column::Fold).find(mark), std::wstring::npos);
    PressKey(0, VK_F2);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 0; }, 5000)) << "round from the last mark";
    PressKey(0, VK_F2);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 2; }, 5000));
    PressKey(VK_SHIFT, VK_F2);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 0; }, 5000));
}

TEST_F(TracingViews, AProgramsClearCommandClearsTheListButNotTheLog)
{
    const testing_support::TempFolder folder(L"clear");
    const std::wstring log = folder.File(L"clear.log");
    ViewerProgram viewer(L"/log \"" + log + L"\"");
    ASSERT_TRUE(viewer.Started());
    ASSERT_TRUE(viewer.WaitForStatus(kStatusCapture, kCaptureOnText)) << viewer.Status(kStatusCapture);
    Say(L"before");
    ASSERT_TRUE(viewer.WaitForItems(1)) << viewer.Status(kStatusCapture) << " / " << viewer.Status(kStatusLog);
    Say(L"DBGVIEWCLEAR after");
    EXPECT_TRUE(WaitFor([&] { return viewer.ItemCount() == 1 && viewer.Cell(0, Column::Text) == L"after"; }, 5000))
        << viewer.ItemCount();
    ASSERT_TRUE(viewer.Close());
    const std::string logged = testing_support::ReadFileBytes(log);
    for (const char* text : { "\tbefore\r\n", "\tDBGVIEWCLEAR\r\n", "\tafter\r\n" }) {
        EXPECT_NE(logged.find(text), std::string::npos) << text << " in " << logged;
    }
}

TEST_F(TracingViews, ViewsComeBackAtTheNextStartWithTheSameOneInFront)
{
    {
        ViewerProgram viewer;
        ASSERT_TRUE(viewer.Started());
        EXPECT_EQ(TabCount(viewer), 1);
        BringToFront(viewer);
        PressKey(VK_CONTROL, 'T');
        PressKey(VK_CONTROL, 'T');
        ASSERT_TRUE(WaitFor([&] { return TabCount(viewer) == 3; }, 5000));
        PressKey(VK_CONTROL, 'W');
        ASSERT_TRUE(WaitFor([&] { return TabCount(viewer) == 2; }, 5000));
        EXPECT_EQ(ChosenTab(viewer), 1);
    }
    ViewerProgram again;
    ASSERT_TRUE(again.Started());
    EXPECT_EQ(TabCount(again), 2);
    EXPECT_EQ(ChosenTab(again), 1);
}

}  // namespace
