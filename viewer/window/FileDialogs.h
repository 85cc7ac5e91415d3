// The file dialogs of the viewer's windows, one helper for all of them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tracing {

enum class FileQuestion { OpenLog, FollowFile, SaveLines, SaveAllLines, LogTo, ExportRules, ImportRules };

// The path the user chose, or nothing when the dialog was cancelled.
std::optional<std::wstring> AskForFile(HWND owner, FileQuestion question);

}  // namespace tracing
