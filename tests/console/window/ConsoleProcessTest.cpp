// Probedeck.exe started as its own process and driven from outside, the way
// a user (or a UI automation tool) sees it.
#include "console/ControlTable.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestPaths.h"

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
    void SetUp() override { Start(); }

    void Start()
    {
        process = std::make_unique<ChildProcess>(ProductFile(L"Probedeck.exe"));
        window = process->WaitForWindow(L"ConsoleWindow", 30000);
        ASSERT_NE(window, nullptr) << "Probedeck.exe shows no window titled ConsoleWindow";
    }

    HWND Child(ControlId id) const { return DirectChild(window, static_cast<int>(id)); }

    std::unique_ptr<ChildProcess> process;
    HWND window = nullptr;
};

// Where each control lies is the layout tests' part; here, that the real
// program shows every one of them as a child of its window, of its kind.
TEST_F(ConsoleProcess, ShowsEveryControlWithItsTextAndKind)
{
    EXPECT_EQ(ClassOf(window), L"ConsoleWindow");
    for (const ControlSpec& row : ConsoleControls()) {
        SCOPED_TRACE(testing::Message() << "control id " << static_cast<int>(row.id));
        HWND control = Child(row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(::GetAncestor(control, GA_PARENT), window);
        EXPECT_TRUE(::IsWindowVisible(control));
        EXPECT_EQ(WindowText(control), row.text);
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        const wchar_t* className = row.kind == ControlKind::TextBox ? L"Edit"
            : row.kind == ControlKind::Label                        ? L"Static"
                                                                    : L"Button";
        EXPECT_EQ(ClassOf(control), className);
        EXPECT_EQ(row.kind == ControlKind::TextBox && (style & ES_MULTILINE), 0);
        if (row.kind == ControlKind::CheckBox || row.kind == ControlKind::GroupBox) {
            EXPECT_EQ(style & BS_TYPEMASK, row.kind == ControlKind::CheckBox ? BS_AUTOCHECKBOX : BS_GROUPBOX);
        }
    }
    EXPECT_TRUE(::GetWindowLongW(Child(ControlId::StatusMsg), GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
        << "a sunken status line";
}

// Done and closing the frame end the process alike.
TEST_F(ConsoleProcess, DoneAndClosingTheFrameEndTheProcessWithExitCodeZero)
{
    ::PostMessageW(Child(ControlId::ID_DONE), BM_CLICK, 0, 0);
    EXPECT_EQ(process->WaitForExit(20000), std::optional<DWORD>(0));
    ASSERT_NO_FATAL_FAILURE(Start());
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(process->WaitForExit(20000), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace console
