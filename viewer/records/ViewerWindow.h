// The running viewer's window among the top-level windows of its class.
// tracecap makes a hidden window of the same class, titled
// kCaptureWindowTitle, to take records while no viewer runs: it is not a
// viewer, and a viewer started meanwhile must not defer to it.
#pragma once

#include <windows.h>

namespace tracing {

inline constexpr wchar_t kCaptureWindowTitle[] = L"tracecap";

// The first window of the viewer's class that is not tracecap's, or null.
HWND FindViewerWindow();

}  // namespace tracing
