#include "console/actions/ConsoleActions.h"

#include "console/actions/CompanionFiles.h"
#include "console/actions/ServiceActions.h"

namespace console {

bool RunConsoleAction(ControlId button, ConsoleView& view)
{
    switch (button) {
    case ControlId::HelpPageButton:
        OpenCompanionFile(kHelpPage);
        return true;
    case ControlId::TracingExeButton:
        OpenCompanionFile(kTraceViewer);
        return true;
    case ControlId::HTMLTestPageButton:
        OpenCompanionFile(kHtmlTestPage);
        return true;
    case ControlId::PythonTestsButton:
        ErrorBeep();
        view.SetStatusMessage(L"Sorry, not implemented yet!");
        return true;
    case ControlId::GetCVID_Btn:
        GetCorvellaProfileIdAction(view);
        return true;
    case ControlId::GetUserLangBtn:
        GetUserLanguageAction(view);
        return true;
    case ControlId::InvokeUpdateBtn:
        InvokeUpdateAction(view);
        return true;
    case ControlId::ButtonGetLocalGUIDs:
        GetLocalGuidsAction(view);
        return true;
    default:
        return false;
    }
}

}  // namespace console
