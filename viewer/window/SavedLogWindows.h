// A saved log is shown in a window of its own, made by a Tracing.exe of its
// own, so that it never becomes the live viewer.
#pragma once

#include <string>

namespace tracing {

// Starts this program again for path (followed as it grows, when asked);
// false, with the last error set, when it cannot.
[[nodiscard]] bool OpenSavedLog(const std::wstring& path, bool follow = false);

}  // namespace tracing
