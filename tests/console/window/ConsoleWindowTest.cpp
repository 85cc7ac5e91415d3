// The console window in the test's own process: layout at two DPIs, load
// behaviour, status line, input helpers, tab order, button dispatch and the
// error box of a failing action.
#include "console/ConsoleWindow.h"
#include "console/ControlTable.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <thread>

namespace console {
namespace {

class ConsoleWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        ASSERT_TRUE(window.Create(::GetModuleHandleW(nullptr), 96));
    }

    // Checks that every control sits where the layout puts it, inside the
    // client area, with room for its caption in the window's font.
    void ExpectLaidOutUnclipped()
    {
        RECT client{};
        ::GetClientRect(window.Handle(), &client);
        const resources::UniqueScreenDc dc(::GetDC(nullptr));
        const HDC screen = dc.get();
        const resources::SelectedObject font(
            screen, reinterpret_cast<HGDIOBJ>(::SendMessageW(window.Control(ControlId::label1), WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(screen, &metrics);
        for (const ControlSpec& row : ConsoleControls()) {
            SCOPED_TRACE(testing::Message() << "control " << static_cast<int>(row.id) << " at dpi " << window.Dpi());
            const RECT expected = ControlRect(row, window.Cell());
            RECT actual{};
            ::GetWindowRect(window.Control(row.id), &actual);
            ::MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_TRUE(::EqualRect(&expected, &actual));
            EXPECT_TRUE(actual.right <= client.right && actual.bottom <= client.bottom);

            SIZE extent{};
            ::GetTextExtentPoint32W(screen, row.text, static_cast<int>(wcslen(row.text)), &extent);
            // Room for a button's border, a check box's glyph, a frame's margin.
            const int decoration = row.kind == ControlKind::Button     ? 8
                                   : row.kind == ControlKind::CheckBox ? ::MulDiv(19, window.Dpi(), 96)
                                   : row.kind == ControlKind::Label    ? 0
                                                                       : 12;
            EXPECT_LE(extent.cx + decoration, actual.right - actual.left);
            EXPECT_LE(metrics.tmHeight, actual.bottom - actual.top);
        }
    }

    ConsoleWindow window;
};

// At 96 DPI here; a DPI change to 144 and back lays the window out again.
TEST_F(ConsoleWindowTest, EveryControlIsLaidOutUnclippedAndKeepsItAfterADpiChange)
{
    window.Show(SW_SHOWNORMAL);
    for (const UINT dpi : { 96u, 144u, 96u }) {
        RECT suggested { 10, 10, 400, 300 };
        ::SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(window.Dpi(), dpi);
        EXPECT_NEAR(window.Cell().height * 96.0 / dpi, 13.5, 2.0) << "the cell follows the DPI";
        ExpectLaidOutUnclipped();
    }
}

TEST_F(ConsoleWindowTest, LoadChecksNestkitOnFirstShowOnly)
{
    EXPECT_FALSE(window.IsChecked(ControlId::UseNestkitCheckBox));
    window.Show(SW_SHOWNORMAL);
    EXPECT_TRUE(window.IsChecked(ControlId::UseNestkitCheckBox));

    ::SendMessageW(window.Control(ControlId::UseNestkitCheckBox), BM_SETCHECK, BST_UNCHECKED, 0);
    window.Show(SW_HIDE);
    window.Show(SW_SHOWNORMAL);
    EXPECT_FALSE(window.IsChecked(ControlId::UseNestkitCheckBox)) << "the load handler runs once";
}

TEST_F(ConsoleWindowTest, InputHelpersReadAnsiTextOrNameTheEmptyControl)
{
    // Characters the code page lacks become its default character (the
    // test prefix runs with the Western code page 1252).
    ASSERT_EQ(::GetACP(), 1252u);
    window.SetStatusMessage(L"before");
    std::string text = "stale";
    ::SetWindowTextW(window.Control(ControlId::ProductNameText), L"caf\u00E9 \u4E2D");
    EXPECT_TRUE(window.GetProductName(text));
    EXPECT_EQ(text, "caf\xE9 ?");
    EXPECT_TRUE(window.IsControlValid(ControlId::LocaleString, text));
    EXPECT_EQ(text, "enu");
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"before") << "valid input leaves the status line";

    const std::pair<ControlId, const wchar_t*> empties[] = {
        {ControlId::ProductNameText, L"the value is not valid in the control ProductNameText"},
        {ControlId::LocaleString, L"the value is not valid in the control LocaleString"},
    };
    for (const auto& [id, status] : empties) {
        ::SetWindowTextW(window.Control(id), L"");
        text = "stale";
        EXPECT_FALSE(id == ControlId::ProductNameText ? window.GetProductName(text) : window.IsControlValid(id, text));
        EXPECT_EQ(text, "");
        EXPECT_EQ(window.ControlText(ControlId::StatusMsg), status);
    }
}

TEST_F(ConsoleWindowTest, StatusMessageRepaintsAtOnceAndShowsWhatItIsGiven)
{
    window.Show(SW_SHOWNORMAL);
    window.SetStatusMessage(L"Processing...");
    RECT pending{};
    EXPECT_FALSE(::GetUpdateRect(window.Control(ControlId::StatusMsg), &pending, FALSE));
    const std::wstring longText(40000, L'\u4E2D');  // beyond any buffer of a fixed size
    window.SetStatusMessage(longText.c_str());
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), longText);
}

TEST_F(ConsoleWindowTest, TabVisitsTheTabStopsInTabIndexOrder)
{
    window.Show(SW_SHOWNORMAL);
    std::vector<ControlId> visited;
    HWND current = window.Control(ControlId::ProductNameText);
    do {
        visited.push_back(static_cast<ControlId>(::GetDlgCtrlID(current)));
        current = ::GetNextDlgTabItem(window.Handle(), current, FALSE);
    } while (current != window.Control(ControlId::ProductNameText) && visited.size() < 30);
    using enum ControlId;
    const std::vector<ControlId> expected = {
        ProductNameText, HelpPageButton,  TracingExeButton, HTMLTestPageButton, PythonTestsButton,
        ID_DONE,         BackgroundCheckBox, UseNestkitCheckBox, InvokeUpdateBtn, GetCVID_Btn,
        LocaleString,    CVUID_Text,      GetUserLangBtn,   ButtonGetLocalGUIDs,
    };
    EXPECT_EQ(visited, expected);
}

// One catch at the window procedure: a failing action is shown in the
// console's error box, and the window goes on taking clicks.
TEST(ConsoleWindowButtons, RunTheirActionAFailureShowsTheErrorBoxAndDoneClosesTheWindow)
{
    std::vector<ControlId> clicked;
    ConsoleWindow window([&](ControlId id, ConsoleView& view) {
        clicked.push_back(id);
        if (id == ControlId::PythonTestsButton) {
            throw std::runtime_error("component gone");
        }
        view.SetStatusMessage(L"ran");
    });
    ASSERT_TRUE(window.Create(::GetModuleHandleW(nullptr)));
    window.Show(SW_SHOWNORMAL);
    for (int click = 0; click < 2; ++click) {
        std::wstring shown;
        std::thread closer([&] {
            for (int i = 0; i < 400; ++i, ::Sleep(50)) {
                if (HWND box = ::FindWindowW(L"#32770", ConsoleWindow::kTitle)) {
                    shown = testing_support::WindowText(::GetDlgItem(box, 0xFFFF));
                    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                    return;
                }
            }
        });
        ::SendMessageW(window.Control(ControlId::PythonTestsButton), BM_CLICK, 0, 0);  // returns once the box closes
        closer.join();
        EXPECT_EQ(shown, L"An action failed:\r\ncomponent gone");
    }
    ::SendMessageW(window.Control(ControlId::GetUserLangBtn), BM_CLICK, 0, 0);
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"ran");

    const HWND handle = window.Handle();
    ::SendMessageW(window.Control(ControlId::ID_DONE), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindow(handle));
    using enum ControlId;
    EXPECT_EQ(clicked, (std::vector<ControlId> { PythonTestsButton, PythonTestsButton, GetUserLangBtn }))
        << "Done is not an action";
    MSG quit {};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop ends";
}

}  // namespace
}  // namespace console
