// Tracing.exe: shows the trace records that programs built on the
// foundation library send to the window class "Talvane Solutions::Trace::1.0",
// and the debug output of every program of the session.
#include "foundation/trace/TraceProtocol.h"
#include "viewer/CommandLine.h"
#include "viewer/ViewerResources.h"
#include "viewer/ViewerSettings.h"
#include "viewer/window/TraceViewerWindow.h"
#include "viewer/window/ViewerControls.h"

#include <commctrl.h>
#include <windows.h>

#include <iterator>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // Records go to the first window of the class and the debug-output
    // buffer has one listener, so a second viewer would only sit idle:
    // bring the running one forward instead.
    if (HWND running = ::FindWindowW(UTrace::kViewerClass, nullptr)) {
        ::ShowWindow(running, SW_RESTORE);
        ::SetForegroundWindow(running);
        return 0;
    }

    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES };
    ::InitCommonControlsEx(&controls);

    const CommandLine commandLine = ParseCommandLine(SplitArguments(::GetCommandLineW()));
    ViewerStart start;
    start.settings = LoadSettings();
    start.historyLines = commandLine.historyLines.value_or(start.settings.historyLines);
    start.logLimitBytes = commandLine.logLimitBytes.value_or(std::uint64_t { start.settings.logLimitMB } << 20);
    start.logPath = commandLine.logPath;
    start.ignoredArguments = commandLine.ignored;

    TraceViewerWindow viewer(std::move(start));
    HWND window = viewer.Create(instance, show);
    if (window == nullptr) {
        return 1;
    }
    ACCEL keys[] = {
        { FVIRTKEY | FCONTROL, 'C', kViewerCopy },
        { FVIRTKEY | FCONTROL, 'S', kViewerSave },
        { FVIRTKEY | FCONTROL, 'L', kViewerClear },
        { FVIRTKEY, VK_PAUSE, kViewerPause },
    };
    const viewer_resources::UniqueAcceleratorTable accelerators(
        ::CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!accelerators || !::TranslateAcceleratorW(window, accelerators.get(), &message)) {
            if (!::IsDialogMessageW(window, &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
    return static_cast<int>(message.wParam);
}
