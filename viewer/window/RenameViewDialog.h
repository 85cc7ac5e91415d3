// Asks for a view's new name.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tracing {

// The name as the user leaves it with OK, or nothing when cancelled.
std::optional<std::wstring> AskViewName(HINSTANCE instance, HWND owner, const std::wstring& current);

}  // namespace tracing
