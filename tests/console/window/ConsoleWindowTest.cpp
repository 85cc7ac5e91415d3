// The console window in the test's own process: layout at two DPIs, load
// behaviour, status line, input helpers, tab order and button dispatch.
#include "console/ConsoleWindow.h"
#include "console/ControlTable.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

namespace console {
namespace {

RECT RectInParent(HWND control)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class ConsoleWindowTest : public ::testing::TestWithParam<UINT> {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        ASSERT_TRUE(window.Create(::GetModuleHandleW(nullptr), GetParam()));
    }

    void SetText(ControlId id, const std::wstring& text) { ::SetWindowTextW(window.Control(id), text.c_str()); }

    // Checks that every control sits where the layout puts it, inside the
    // client area, with room for its caption in the window's font.
    void ExpectLaidOutUnclipped()
    {
        RECT client{};
        ::GetClientRect(window.Handle(), &client);
        HDC screen = ::GetDC(nullptr);
        HGDIOBJ previous = ::SelectObject(
            screen, reinterpret_cast<HGDIOBJ>(::SendMessageW(window.Control(ControlId::label1), WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(screen, &metrics);
        for (const ControlSpec& row : ConsoleControls()) {
            SCOPED_TRACE(testing::Message() << "control " << static_cast<int>(row.id) << " at dpi " << window.Dpi());
            const RECT expected = ControlRect(row, window.Cell());
            const RECT actual = RectInParent(window.Control(row.id));
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
        ::SelectObject(screen, previous);
        ::ReleaseDC(nullptr, screen);
    }

    ConsoleWindow window;
};

TEST_P(ConsoleWindowTest, EveryControlIsLaidOutUnclippedAndKeepsItAfterADpiChange)
{
    window.Show(SW_SHOWNORMAL);
    EXPECT_EQ(window.Dpi(), GetParam());
    EXPECT_NEAR(window.Cell().height * 96.0 / GetParam(), 13.5, 2.0) << "the cell follows the DPI";
    ExpectLaidOutUnclipped();

    const UINT other = GetParam() == 96 ? 144 : 96;
    RECT suggested{10, 10, 400, 300};
    ::SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.Dpi(), other);
    ExpectLaidOutUnclipped();
}

TEST_P(ConsoleWindowTest, StylesMakeTabStopsGroupBoxesAndASunkenStatusLine)
{
    for (const ControlSpec& row : ConsoleControls()) {
        const LONG style = ::GetWindowLongW(window.Control(row.id), GWL_STYLE);
        const bool tabStop = row.kind != ControlKind::Label && row.kind != ControlKind::GroupBox;
        EXPECT_EQ((style & WS_TABSTOP) != 0, tabStop) << static_cast<int>(row.id);
        if (row.kind == ControlKind::TextBox) {
            EXPECT_FALSE(style & ES_MULTILINE);
        }
        const LONG type = style & BS_TYPEMASK;
        if (row.kind == ControlKind::CheckBox) {
            EXPECT_EQ(type, BS_AUTOCHECKBOX);
        } else if (row.kind == ControlKind::GroupBox) {
            EXPECT_EQ(type, BS_GROUPBOX);
        }
    }
    EXPECT_TRUE(::GetWindowLongW(window.Control(ControlId::StatusMsg), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_P(ConsoleWindowTest, LoadChecksNestkitOnFirstShowOnly)
{
    EXPECT_FALSE(window.IsChecked(ControlId::UseNestkitCheckBox));
    window.Show(SW_SHOWNORMAL);
    EXPECT_TRUE(window.IsChecked(ControlId::UseNestkitCheckBox));
    EXPECT_FALSE(window.IsChecked(ControlId::BackgroundCheckBox));

    ::SendMessageW(window.Control(ControlId::UseNestkitCheckBox), BM_SETCHECK, BST_UNCHECKED, 0);
    window.Show(SW_HIDE);
    window.Show(SW_SHOWNORMAL);
    EXPECT_FALSE(window.IsChecked(ControlId::UseNestkitCheckBox)) << "the load handler runs once";
}

TEST_P(ConsoleWindowTest, InputHelpersReadAnsiTextOrNameTheEmptyControl)
{
    window.SetStatusMessage(L"before");
    std::string text = "stale";
    SetText(ControlId::ProductNameText, L"Nestkit Suite");
    EXPECT_TRUE(window.GetProductName(text));
    EXPECT_EQ(text, "Nestkit Suite");
    EXPECT_TRUE(window.IsControlValid(ControlId::LocaleString, text));
    EXPECT_EQ(text, "enu");
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"before") << "valid input leaves the status line";

    const std::pair<ControlId, const wchar_t*> empties[] = {
        {ControlId::ProductNameText, L"the value is not valid in the control ProductNameText"},
        {ControlId::LocaleString, L"the value is not valid in the control LocaleString"},
        {ControlId::CVUID_Text, L"the value is not valid in the control CVUID_Text"},
    };
    for (const auto& [id, status] : empties) {
        SetText(id, L"");
        text = "stale";
        EXPECT_FALSE(id == ControlId::ProductNameText ? window.GetProductName(text) : window.IsControlValid(id, text));
        EXPECT_EQ(text, "");
        EXPECT_EQ(window.ControlText(ControlId::StatusMsg), status);
    }

    // Characters the code page lacks become its default character (the
    // test prefix runs with the Western code page 1252).
    ASSERT_EQ(::GetACP(), 1252u);
    SetText(ControlId::ProductNameText, L"caf\u00E9 \u4E2D");
    ASSERT_TRUE(window.GetProductName(text));
    EXPECT_EQ(text, "caf\xE9 ?");

    std::wstring longText;
    while (longText.size() < 60000) {
        longText += L"x\u00E9\u4E2D,";
    }
    SetText(ControlId::CVUID_Text, longText);
    EXPECT_EQ(window.ControlText(ControlId::CVUID_Text), longText);
    EXPECT_TRUE(window.IsControlValid(ControlId::CVUID_Text, text));
    EXPECT_GE(text.size(), longText.size());
}

TEST_P(ConsoleWindowTest, StatusMessageRepaintsAtOnceAndShowsWhatItIsGiven)
{
    window.Show(SW_SHOWNORMAL);
    window.SetStatusMessage(L"Processing...");
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"Processing...");
    RECT pending{};
    EXPECT_FALSE(::GetUpdateRect(window.Control(ControlId::StatusMsg), &pending, FALSE));
    const std::wstring longText(40000, L'\u4E2D');
    window.SetStatusMessage(longText.c_str());
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), longText);
    window.SetStatusMessage(L"");
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"");
}

TEST_P(ConsoleWindowTest, TabVisitsTheTabStopsInTabIndexOrder)
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

INSTANTIATE_TEST_SUITE_P(Dpi, ConsoleWindowTest, ::testing::Values(96u, 144u));

TEST(ConsoleWindowButtons, RunTheirActionAndDoneClosesTheWindow)
{
    std::vector<ControlId> clicked;
    ConsoleWindow window([&](ControlId id, ConsoleView& view) {
        clicked.push_back(id);
        view.SetStatusMessage(L"ran");
    });
    ASSERT_TRUE(window.Create(::GetModuleHandleW(nullptr)));
    window.Show(SW_SHOWNORMAL);
    ::SendMessageW(window.Control(ControlId::GetUserLangBtn), BM_CLICK, 0, 0);
    ::SendMessageW(window.Control(ControlId::ButtonGetLocalGUIDs), BM_CLICK, 0, 0);
    EXPECT_EQ(clicked, (std::vector<ControlId>{ControlId::GetUserLangBtn, ControlId::ButtonGetLocalGUIDs}));
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"ran");

    const HWND handle = window.Handle();
    ::SendMessageW(window.Control(ControlId::ID_DONE), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(clicked.size(), 2u) << "Done is not an action";
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop ends";
}

}  // namespace
}  // namespace console
