// Copy: text onto the clipboard.
#pragma once

#include <windows.h>

#include <string_view>

namespace tracing {

// UTF-8 text as Unicode text on the clipboard; false when it could not be put there.
[[nodiscard]] bool CopyToClipboard(HWND owner, std::string_view utf8);

}  // namespace tracing
