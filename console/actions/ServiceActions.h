// The actions that ask the services component and print its answers.
#pragma once

#include "console/view/ConsoleView.h"

namespace console {

void GetCorvellaProfileIdAction(ConsoleView& view);
void GetUserLanguageAction(ConsoleView& view);
void InvokeUpdateAction(ConsoleView& view);
void GetLocalGuidsAction(ConsoleView& view);

// The critical-stop beep that accompanies a refused action.
void ErrorBeep();

}  // namespace console
