// The console window created in the test's own process: controls, layout at
// two DPIs, load behaviour, status line and the input helpers.
#include "console/ConsoleWindow.h"
#include "console/ControlTable.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

namespace console {
namespace {

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

RECT ClientRectOf(HWND control)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PumpMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

class ConsoleWindowAtDpi : public ::testing::TestWithParam<UINT> {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        ASSERT_TRUE(window.Create(::GetModuleHandleW(nullptr), GetParam()));
    }

    ConsoleWindow window;
};

TEST_P(ConsoleWindowAtDpi, CreatesEveryControlWithItsKindTextAndRectangle)
{
    window.Show(SW_SHOWNORMAL);
    RECT client{};
    ::GetClientRect(window.Handle(), &client);
    for (const ControlSpec& row : ConsoleControls()) {
        SCOPED_TRACE(testing::Message() << "control " << std::string(row.name, row.name + wcslen(row.name)));
        HWND control = window.Control(row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(::GetParent(control), window.Handle());
        EXPECT_EQ(::GetDlgCtrlID(control), static_cast<int>(row.id));
        EXPECT_EQ(window.ControlText(row.id), row.text);
        EXPECT_TRUE(::IsWindowVisible(control));

        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        switch (row.kind) {
        case ControlKind::TextBox:
            EXPECT_EQ(ClassOf(control), L"Edit");
            EXPECT_FALSE(style & ES_MULTILINE);
            break;
        case ControlKind::Label:
            EXPECT_EQ(ClassOf(control), L"Static");
            break;
        case ControlKind::Button:
            EXPECT_EQ(ClassOf(control), L"Button");
            EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
            break;
        case ControlKind::CheckBox:
            EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
            break;
        case ControlKind::GroupBox:
            EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
            break;
        }
        const bool tabStop = row.kind != ControlKind::Label && row.kind != ControlKind::GroupBox;
        EXPECT_EQ((style & WS_TABSTOP) != 0, tabStop);

        const RECT expected = ControlRect(row, window.Cell());
        const RECT actual = ClientRectOf(control);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
        EXPECT_LE(actual.right, client.right);
        EXPECT_LE(actual.bottom, client.bottom);
    }
    const LONG statusExStyle = ::GetWindowLongW(window.Control(ControlId::StatusMsg), GWL_EXSTYLE);
    EXPECT_TRUE(statusExStyle & WS_EX_CLIENTEDGE) << "the status line has a sunken border";
}

TEST_P(ConsoleWindowAtDpi, CaptionsFitTheirControlsUnclipped)
{
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ previous = ::SelectObject(screen, reinterpret_cast<HGDIOBJ>(::SendMessageW(
                                                  window.Control(ControlId::label1), WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen, &metrics);
    const int checkGlyph = ::MulDiv(13 + 6, static_cast<int>(window.Dpi()), 96);
    for (const ControlSpec& row : ConsoleControls()) {
        SIZE extent{};
        ::GetTextExtentPoint32W(screen, row.text, static_cast<int>(wcslen(row.text)), &extent);
        const RECT rect = ControlRect(row, window.Cell());
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        int needed = extent.cx;
        if (row.kind == ControlKind::Button) {
            needed += 8;  // the button's border and focus rectangle
        } else if (row.kind == ControlKind::CheckBox) {
            needed += checkGlyph;
        } else if (row.kind == ControlKind::GroupBox || row.kind == ControlKind::TextBox) {
            needed += 12;
        }
        EXPECT_LE(needed, width) << "caption of control " << static_cast<int>(row.id);
        EXPECT_LE(metrics.tmHeight, height) << "text height of control " << static_cast<int>(row.id);
    }
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
}

TEST_P(ConsoleWindowAtDpi, CellGrowsWithTheDpi)
{
    const CharCell cell = window.Cell();
    EXPECT_GE(cell.height * 96, 12 * static_cast<int>(GetParam()));
    EXPECT_LE(cell.height * 96, 17 * static_cast<int>(GetParam()));
    EXPECT_GE(cell.width * 96, 4 * static_cast<int>(GetParam()));
}

TEST_P(ConsoleWindowAtDpi, MovingToAnotherDpiLaysTheControlsOutAgain)
{
    const UINT target = GetParam() == 96 ? 144 : 96;
    RECT suggested{10, 10, 400, 300};
    ::SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(target, target), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.Dpi(), target);
    RECT client{};
    ::GetClientRect(window.Handle(), &client);
    const SIZE needed = ClientSize(window.Cell());
    EXPECT_GE(client.right, needed.cx);
    EXPECT_GE(client.bottom, needed.cy);
    const RECT expected = ControlRect(ControlSpecOf(ControlId::ID_DONE), window.Cell());
    const RECT actual = ClientRectOf(window.Control(ControlId::ID_DONE));
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

INSTANTIATE_TEST_SUITE_P(Dpi, ConsoleWindowAtDpi, ::testing::Values(96u, 144u));

class ConsoleWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
        ASSERT_TRUE(window.Create(::GetModuleHandleW(nullptr)));
    }

    void SetText(ControlId id, const std::wstring& text)
    {
        ::SetWindowTextW(window.Control(id), text.c_str());
    }

    bool StatusPaintPending()
    {
        RECT update{};
        return ::GetUpdateRect(window.Control(ControlId::StatusMsg), &update, FALSE) != 0;
    }

    ConsoleWindow window;
};

TEST_F(ConsoleWindowTest, LoadChecksNestkitOnFirstShowOnly)
{
    EXPECT_FALSE(window.IsChecked(ControlId::UseNestkitCheckBox));
    EXPECT_FALSE(window.IsChecked(ControlId::BackgroundCheckBox));
    window.Show(SW_SHOWNORMAL);
    EXPECT_TRUE(window.IsChecked(ControlId::UseNestkitCheckBox));
    EXPECT_FALSE(window.IsChecked(ControlId::BackgroundCheckBox));

    ::SendMessageW(window.Control(ControlId::UseNestkitCheckBox), BM_SETCHECK, BST_UNCHECKED, 0);
    window.Show(SW_HIDE);
    window.Show(SW_SHOWNORMAL);
    EXPECT_FALSE(window.IsChecked(ControlId::UseNestkitCheckBox)) << "the load handler runs once";
}

TEST_F(ConsoleWindowTest, EmptyBoxesReportTheirNameWithoutImmediatePaint)
{
    window.Show(SW_SHOWNORMAL);
    PumpMessages();
    std::string text = "stale";
    SetText(ControlId::ProductNameText, L"");
    EXPECT_FALSE(window.GetProductName(text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"the value is not valid in the control ProductNameText");

    SetText(ControlId::LocaleString, L"");
    text = "stale";
    EXPECT_FALSE(window.IsControlValid(ControlId::LocaleString, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"the value is not valid in the control LocaleString");

    SetText(ControlId::CVUID_Text, L"");
    EXPECT_FALSE(window.IsControlValid(ControlId::CVUID_Text, text));
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"the value is not valid in the control CVUID_Text");
}

TEST_F(ConsoleWindowTest, FilledBoxesReadInTheAnsiCodePageAndLeaveTheStatus)
{
    window.SetStatusMessage(L"before");
    std::string text;
    SetText(ControlId::ProductNameText, L"Nestkit Suite");
    EXPECT_TRUE(window.GetProductName(text));
    EXPECT_EQ(text, "Nestkit Suite");
    EXPECT_TRUE(window.IsControlValid(ControlId::LocaleString, text));
    EXPECT_EQ(text, "enu") << "initial text of the locale box";
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"before");

    // Characters the code page lacks become its default character; the
    // Latin letter is kept where the code page has it.
    SetText(ControlId::ProductNameText, L"caf\u00E9 \u4E2D");
    ASSERT_TRUE(window.GetProductName(text));
    if (::GetACP() == 1252) {
        EXPECT_EQ(text, "caf\xE9 ?");
    } else {
        EXPECT_EQ(text.substr(0, 3), "caf");
        EXPECT_GE(text.size(), 6u);
    }
}

TEST_F(ConsoleWindowTest, StatusMessagePaintsAtOnceAndKeepsLongTexts)
{
    window.Show(SW_SHOWNORMAL);
    PumpMessages();
    window.SetStatusMessage(L"Processing...");
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"Processing...");
    EXPECT_FALSE(StatusPaintPending()) << "painted before SetStatusMessage returns";

    const std::wstring longText(40000, L'\u4E2D');
    window.SetStatusMessage(longText.c_str());
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), longText);
    window.SetStatusMessage(L"");
    EXPECT_EQ(window.ControlText(ControlId::StatusMsg), L"");
}

TEST_F(ConsoleWindowTest, TextBoxesTakeArbitrarilyLongText)
{
    std::wstring longText;
    for (int i = 0; longText.size() < 60000; ++i) {
        longText += L"x\u00E9\u4E2D,";
    }
    for (ControlId id : {ControlId::ProductNameText, ControlId::LocaleString, ControlId::CVUID_Text}) {
        SetText(id, longText);
        EXPECT_EQ(window.ControlText(id), longText);
        std::string narrow;
        EXPECT_TRUE(window.IsControlValid(id, narrow));
        EXPECT_EQ(narrow.size() >= longText.size(), true);
    }
}

TEST_F(ConsoleWindowTest, TabVisitsTheTabStopsInTabIndexOrder)
{
    window.Show(SW_SHOWNORMAL);
    std::vector<ControlId> visited;
    HWND current = window.Control(ControlId::ProductNameText);
    for (int step = 0; step < 20; ++step) {
        visited.push_back(static_cast<ControlId>(::GetDlgCtrlID(current)));
        current = ::GetNextDlgTabItem(window.Handle(), current, FALSE);
        if (current == window.Control(ControlId::ProductNameText)) {
            break;
        }
    }
    const std::vector<ControlId> expected = {
        ControlId::ProductNameText,  ControlId::HelpPageButton,     ControlId::TracingExeButton,
        ControlId::HTMLTestPageButton, ControlId::PythonTestsButton, ControlId::ID_DONE,
        ControlId::BackgroundCheckBox, ControlId::UseNestkitCheckBox, ControlId::InvokeUpdateBtn,
        ControlId::GetCVID_Btn,      ControlId::LocaleString,       ControlId::CVUID_Text,
        ControlId::GetUserLangBtn,   ControlId::ButtonGetLocalGUIDs,
    };
    EXPECT_EQ(visited, expected);
}

TEST_F(ConsoleWindowTest, ButtonsRunTheirActionAndDoneClosesTheWindow)
{
    std::vector<ControlId> clicked;
    ConsoleWindow withActions([&](ControlId id, ConsoleView& view) {
        clicked.push_back(id);
        view.SetStatusMessage(L"ran");
    });
    ASSERT_TRUE(withActions.Create(::GetModuleHandleW(nullptr)));
    withActions.Show(SW_SHOWNORMAL);
    ::SendMessageW(withActions.Control(ControlId::GetUserLangBtn), BM_CLICK, 0, 0);
    ::SendMessageW(withActions.Control(ControlId::ButtonGetLocalGUIDs), BM_CLICK, 0, 0);
    EXPECT_EQ(clicked, (std::vector<ControlId>{ControlId::GetUserLangBtn, ControlId::ButtonGetLocalGUIDs}));
    EXPECT_EQ(withActions.ControlText(ControlId::StatusMsg), L"ran");

    const HWND handle = withActions.Handle();
    ::SendMessageW(withActions.Control(ControlId::ID_DONE), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(withActions.Handle(), nullptr);
    EXPECT_EQ(clicked.size(), 2u) << "Done is not an action";
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop ends";
}

}  // namespace
}  // namespace console
