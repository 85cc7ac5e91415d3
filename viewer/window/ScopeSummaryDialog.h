// View > Scope summary...: every function among the shown lines with its
// calls and times, in a list sorted by any column (a second click on a
// header reverses it); a double-click goes to the function's longest call,
// Copy puts the table on the clipboard.
#pragma once

#include "viewer/view/ScopeSummary.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace tracing {

// goTo is called with the longest call's sequence number; it says whether
// the line could be shown. False when the dialog could not be shown.
[[nodiscard]] bool ShowScopeSummaryDialog(
    HINSTANCE instance, HWND owner, std::vector<ScopeFigures> rows, const std::function<bool(std::uint64_t)>& goTo);

}  // namespace tracing
