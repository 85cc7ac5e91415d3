// Runs the action behind a console button.
#pragma once

#include "console/view/ConsoleView.h"

namespace console {

// Runs the action of button to completion on the calling thread; false when
// button has no action here (e.g. ID_DONE, or a control that is no button).
[[nodiscard]] bool RunConsoleAction(ControlId button, ConsoleView& view);

}  // namespace console
