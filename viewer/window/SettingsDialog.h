// The settings dialog: the lines kept in memory and the log file's limit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace tracing {

struct ViewerLimits {
    std::uint32_t historyLines;
    std::uint32_t logLimitMB;
};

// The limits as the user leaves them with OK, or nothing when cancelled.
// Values out of range are refused in the dialog.
std::optional<ViewerLimits> ShowSettingsDialog(HINSTANCE instance, HWND owner, const ViewerLimits& current);

}  // namespace tracing
