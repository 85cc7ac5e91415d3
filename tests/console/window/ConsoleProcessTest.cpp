// Probedeck.exe started as its own process and driven from outside, the way
// a user (or a UI automation tool) sees it.
#include "ChildProcess.h"
#include "TestPaths.h"
#include "console/ControlTable.h"
#include "console/Layout.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

namespace console {
namespace {

using testing_support::ChildProcess;
using testing_support::DirectChild;
using testing_support::ProductFile;
using testing_support::WindowText;

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

class ConsoleProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        process = std::make_unique<ChildProcess>(ProductFile(L"Probedeck.exe"));
        window = process->WaitForWindow(L"ConsoleWindow", 30000);
        ASSERT_NE(window, nullptr) << "Probedeck.exe shows no window titled ConsoleWindow";
    }

    HWND Child(ControlId id) const { return DirectChild(window, static_cast<int>(id)); }

    std::unique_ptr<ChildProcess> process;
    HWND window = nullptr;
};

TEST_F(ConsoleProcess, ShowsEveryControlInItsPlace)
{
    EXPECT_EQ(ClassOf(window), L"ConsoleWindow");
    const UINT dpi = ::GetDpiForWindow(window);
    resources::UniqueGdiObject font = CreateDialogFont(dpi ? dpi : 96);
    const CharCell cell = MeasureCharCell(static_cast<HFONT>(font.get()));

    RECT client{};
    ::GetClientRect(window, &client);
    for (const ControlSpec& row : ConsoleControls()) {
        SCOPED_TRACE(testing::Message() << "control id " << static_cast<int>(row.id));
        HWND control = Child(row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(::GetAncestor(control, GA_PARENT), window);
        EXPECT_TRUE(::IsWindowVisible(control));
        EXPECT_EQ(WindowText(control), row.text);
        const std::wstring className = ClassOf(control);
        switch (row.kind) {
        case ControlKind::TextBox:
            EXPECT_EQ(className, L"Edit");
            break;
        case ControlKind::Label:
            EXPECT_EQ(className, L"Static");
            break;
        default:
            EXPECT_EQ(className, L"Button");
            break;
        }
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        const RECT expected = ControlRect(row, cell);
        EXPECT_EQ(rect.left, expected.left);
        EXPECT_EQ(rect.top, expected.top);
        EXPECT_EQ(rect.right, expected.right);
        EXPECT_EQ(rect.bottom, expected.bottom);
        EXPECT_LE(rect.right, client.right);
        EXPECT_LE(rect.bottom, client.bottom);
    }
    EXPECT_EQ(::SendMessageW(Child(ControlId::UseNestkitCheckBox), BM_GETCHECK, 0, 0), BST_CHECKED)
        << "the load handler checks Use Nestkit Lib";
    EXPECT_EQ(::SendMessageW(Child(ControlId::BackgroundCheckBox), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ConsoleProcess, TypedTextReadsBackWhateverItsLength)
{
    const std::wstring shortText = L"Nestkit \u00E9\u4E2D";
    std::wstring longText;
    while (longText.size() < 30000) {
        longText += L"enu,\u4E2D\u00E9,";
    }
    for (ControlId id : {ControlId::ProductNameText, ControlId::LocaleString, ControlId::CVUID_Text}) {
        for (const std::wstring* text : {&shortText, static_cast<const std::wstring*>(&longText)}) {
            ::SendMessageW(Child(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text->c_str()));
            EXPECT_EQ(WindowText(Child(id)), *text);
        }
    }
    EXPECT_EQ(process->WaitForExit(0), std::nullopt) << "still running";
}

TEST_F(ConsoleProcess, DoneEndsTheProcessWithExitCodeZero)
{
    ::PostMessageW(Child(ControlId::ID_DONE), BM_CLICK, 0, 0);
    EXPECT_EQ(process->WaitForExit(20000), std::optional<DWORD>(0));
}

TEST_F(ConsoleProcess, ClosingTheFrameEndsTheProcessWithExitCodeZero)
{
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(process->WaitForExit(20000), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace console
