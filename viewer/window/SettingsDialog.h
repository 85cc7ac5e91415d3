// The settings dialog: the lines kept in memory and the log file's limit.
#pragma once

#include "viewer/ViewerSettings.h"

#include <windows.h>

#include <optional>

// The settings as the user leaves them with OK, or nothing when cancelled.
// Values out of range are refused in the dialog.
std::optional<ViewerSettings> ShowSettingsDialog(HINSTANCE instance, HWND owner, const ViewerSettings& current);
