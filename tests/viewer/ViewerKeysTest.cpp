// The viewer's accelerators pressed as the user presses them: real key input
// to the foreground window, so that Ctrl and Shift reach the program's
// message loop (posted keys carry no modifier state).
#include "tests/support/TempFolder.h"
#include "tests/viewer/ViewerProgram.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using namespace tracing;

namespace viewer_tests {
namespace {

using testing_support::WaitFor;

HWND Focus(const ViewerProgram& viewer)
{
    GUITHREADINFO info {};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(viewer.window(), nullptr), &info) ? info.hwndFocus : nullptr;
}

TEST(ViewerKeys, EveryAcceleratorRunsItsCommand)
{
    ForgetSettings();
    const testing_support::TempFolder folder(L"keys");
    const std::wstring log = folder.WriteFile(L"keys.log", "a line the viewer cannot parse\r\n");
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    const auto fill = [&] {
        for (const char* text : { "alpha one", "beta", "alpha two", "gamma" }) {
            viewer.SendLine(UTrace::kTraceMessage, "keys", text);
        }
        ASSERT_TRUE(viewer.WaitForItems(4));
    };
    fill();
    ASSERT_TRUE(::SetForegroundWindow(viewer.window()));
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == viewer.window(); }, 5000));

    PressKey(VK_CONTROL, 'A');
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(viewer.list(), LVM_GETSELECTEDCOUNT, 0, 0) == 4; }, 5000));
    ::OpenClipboard(nullptr) && ::EmptyClipboard() && ::CloseClipboard();
    PressKey(VK_CONTROL, 'C');
    EXPECT_TRUE(
        WaitFor([&] { return ViewerProgram::ClipboardText().find(L"\talpha two\r\n") != std::wstring::npos; }, 5000))
        << ViewerProgram::ClipboardText();
    PressKey(VK_CONTROL, 'X');
    EXPECT_TRUE(viewer.WaitForItems(0, 5000)) << viewer.ItemCount();

    fill();
    PressKey(VK_CONTROL, 'F');
    const HWND findBox = testing_support::DirectChild(viewer.window(), kViewerFindText);
    EXPECT_TRUE(WaitFor([&] { return Focus(viewer) == findBox; }, 5000));
    ::SendMessageW(findBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"alpha"));
    EXPECT_TRUE(viewer.WaitForStatus(kStatusFind, L"Matches: 2")) << viewer.Status(kStatusFind);
    PressKey(0, VK_F3);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 0; }, 5000)) << viewer.Selected();
    PressKey(0, VK_F3);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 2; }, 5000)) << viewer.Selected();
    PressKey(VK_SHIFT, VK_F3);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 0; }, 5000)) << viewer.Selected();

    PressKey(VK_CONTROL, 'S');
    const HWND save = viewer.OpenDialog(0, L"Save the shown or selected lines");
    ASSERT_NE(save, nullptr);
    ::PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(save); }, 5000));

    // File > Open, through its dialog, opens the log in a window of its own
    // (what it shows is the saved-log tests' part).
    PressKey(VK_CONTROL, 'O');
    const HWND open = viewer.OpenDialog(0, L"Open a saved log");
    ASSERT_NE(open, nullptr);
    for (const int nameBox : { 0x47C, 0x480 }) {  // the file name box of either dialog style
        ::SetDlgItemTextW(open, nameBox, log.c_str());
    }
    ::PostMessageW(open, WM_COMMAND, IDOK, 0);
    EXPECT_NE(WaitForLogWindowList(L"keys.log - Tracing"), nullptr);
    EXPECT_TRUE(testing_support::CloseWindowsOfClass(kLogWindowClass, 5000));
}

}  // namespace
}  // namespace viewer_tests
