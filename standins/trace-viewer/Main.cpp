// Tracing.exe: shows the trace lines that programs built on the foundation
// library send to the window class "Talvane Solutions::Trace::1.0".
#include "foundation/trace/TraceProtocol.h"
#include "standins/trace-viewer/TraceViewerWindow.h"
#include "standins/trace-viewer/ViewerControls.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // Lines go to the first window of the class, so a second viewer would
    // only sit idle: bring the running one forward instead.
    if (HWND running = ::FindWindowW(UTrace::kViewerClass, nullptr)) {
        ::ShowWindow(running, SW_RESTORE);
        ::SetForegroundWindow(running);
        return 0;
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    TraceViewerWindow viewer;
    HWND window = viewer.Create(instance, show);
    if (window == nullptr) {
        return 1;
    }
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'C', kViewerCopy},
        {FVIRTKEY | FCONTROL, 'S', kViewerSave},
        {FVIRTKEY | FCONTROL, 'L', kViewerClear},
        {FVIRTKEY, VK_PAUSE, kViewerPause},
    };
    HACCEL accelerators = ::CreateAcceleratorTableW(keys, static_cast<int>(sizeof keys / sizeof keys[0]));

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (accelerators == nullptr || !::TranslateAcceleratorW(window, accelerators, &message)) {
            if (!::IsDialogMessageW(window, &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
    if (accelerators != nullptr) {
        ::DestroyAcceleratorTable(accelerators);
    }
    return static_cast<int>(message.wParam);
}
