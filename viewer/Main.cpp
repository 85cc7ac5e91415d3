// Tracing.exe: shows the trace records that programs built on the
// foundation library send to the window class "Talvane Solutions::Trace::1.0",
// and the debug output of every program of the session; or, given a path,
// a saved log in a window of its own.
#include "foundation/errors/TalvaneException.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/records/ViewerWindow.h"
#include "viewer/session/ViewerSession.h"
#include "viewer/settings/CommandLine.h"
#include "viewer/settings/ViewerSettings.h"
#include "viewer/window/TraceViewerWindow.h"
#include "viewer/window/ViewerControls.h"
#include "viewer/window/ViewerMenus.h"

#include <commctrl.h>
#include <windows.h>

#include <iterator>

using namespace tracing;

namespace {

bool IsEditBox(HWND window)
{
    wchar_t name[16] = L"";
    return window != nullptr && ::GetClassNameW(window, name, static_cast<int>(std::size(name))) != 0
        && ::CompareStringOrdinal(name, -1, L"Edit", -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    CommandLine commandLine = ParseCommandLine(SplitArguments(::GetCommandLineW()));
    // Records go to the first window of the class and the debug-output
    // buffer has one listener, so a second viewer would only sit idle:
    // bring the running one forward instead. A saved log always gets a window.
    if (HWND running = commandLine.openPath ? nullptr : FindViewerWindow()) {
        ::ShowWindow(running, SW_RESTORE);
        ::SetForegroundWindow(running);
        return 0;
    }

    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES };
    ::InitCommonControlsEx(&controls);

    RegistrySettings settings;
    ViewerSession session(std::move(commandLine), settings);
    TraceViewerWindow viewer(session);
    HWND window = viewer.Create(instance, show);
    if (window == nullptr) {
        const std::wstring text
            = L"Tracing cannot make its window: " + SystemException::GetSystemErrorText(::GetLastError());
        ::MessageBoxW(nullptr, text.c_str(), kViewerTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    // The find box keeps Ctrl+C, Ctrl+X and Ctrl+A for its own text.
    const resources::UniqueAcceleratorTable listKeys(CreateViewerAccelerators(false));
    const resources::UniqueAcceleratorTable editKeys(CreateViewerAccelerators(true));

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        const HACCEL keys = IsEditBox(::GetFocus()) ? editKeys.get() : listKeys.get();
        if (keys == nullptr || !::TranslateAcceleratorW(window, keys, &message)) {
            if (!::IsDialogMessageW(window, &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
    return static_cast<int>(message.wParam);
}
