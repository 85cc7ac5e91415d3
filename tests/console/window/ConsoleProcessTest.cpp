// Probedeck.exe started as its own process and driven from outside, the way
// a user (or a UI automation tool) sees it, and what its file carries for the
// system.
#include "console/ControlTable.h"
#include "foundation/resources/UniqueResource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace console {
namespace {

using testing_support::ProductFile;

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// Where each control lies is the layout tests' part; here, that the real
// program shows every one of them as a child of its window, of its kind.
// Done and closing the frame end the process alike.
TEST(ConsoleProcess, ShowsEveryControlWithItsTextAndKindAndDoneOrClosingEndsItWithExitCodeZero)
{
    for (const bool done : { true, false }) {
        testing_support::ChildProcess process(ProductFile(L"Probedeck.exe"));
        const HWND window = process.WaitForWindow(L"ConsoleWindow", 30000);
        ASSERT_NE(window, nullptr) << "Probedeck.exe shows no window titled ConsoleWindow";
        const auto child = [&](ControlId id) { return testing_support::DirectChild(window, static_cast<int>(id)); };
        EXPECT_EQ(ClassOf(window), L"ConsoleWindow");
        for (const ControlSpec& row : ConsoleControls()) {
            SCOPED_TRACE(testing::Message() << "control id " << static_cast<int>(row.id));
            HWND control = child(row.id);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(::GetAncestor(control, GA_PARENT), window);
            EXPECT_TRUE(::IsWindowVisible(control));
            EXPECT_EQ(testing_support::WindowText(control), row.text);
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
        EXPECT_TRUE(::GetWindowLongW(child(ControlId::StatusMsg), GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
            << "a sunken status line";
        ::PostMessageW(done ? child(ControlId::ID_DONE) : window, done ? BM_CLICK : WM_CLOSE, 0, 0);
        EXPECT_EQ(process.WaitForExit(20000), std::optional<DWORD>(0));
    }
}

// The packaging test reads every program's version resource.
TEST(ConsoleResources, ManifestAsksForVisualStylesAndPerMonitorDpiAndAnIconIsThere)
{
    const resources::UniqueModule image(::LoadLibraryExW(
        ProductFile(L"Probedeck.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(image);
    const auto resource = [&](WORD name, WORD type) {
        const HRSRC found = ::FindResourceW(image.get(), MAKEINTRESOURCEW(name), MAKEINTRESOURCEW(type));
        const auto* data = found ? static_cast<const char*>(::LockResource(::LoadResource(image.get(), found))) : "";
        return std::string(data, found ? ::SizeofResource(image.get(), found) : 0);
    };
    const std::string manifest = resource(1, 24);
    for (const char* part : { "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "PerMonitorV2",
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    EXPECT_FALSE(resource(100, 14).empty()) << "an icon for the window and the shell";
}

}  // namespace
}  // namespace console
