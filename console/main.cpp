// Process entry of Probedeck.exe.
#include "console/ConsoleWindow.h"
#include "console/actions/ConsoleActions.h"
#include "foundation/resources/UniqueResource.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // The window, its controls and the components it calls live on this one
    // single-threaded apartment.
    resources::ComApartment apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    INITCOMMONCONTROLSEX commonControls{sizeof(commonControls), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&commonControls);

    console::ConsoleWindow window(&console::RunConsoleAction);
    if (!window.Create(instance)) {
        return 1;
    }
    window.Show(showCommand);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Dialog navigation: Tab and Shift+Tab move between the controls.
        if (!window.Handle() || !::IsDialogMessageW(window.Handle(), &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return 0;
}
