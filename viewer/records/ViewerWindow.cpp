#include "viewer/records/ViewerWindow.h"

#include "foundation/trace/TraceProtocol.h"

#include <iterator>
#include <string_view>

namespace tracing {

HWND FindViewerWindow()
{
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, UTrace::kViewerClass, nullptr));) {
        wchar_t title[32] = L"";
        ::GetWindowTextW(window, title, static_cast<int>(std::size(title)));
        if (std::wstring_view(title) != kCaptureWindowTitle) {
            return window;
        }
    }
    return nullptr;
}

}  // namespace tracing
