// The status bar at the foot of the viewer's window: its parts, sized for
// the DPI, and their texts, sent only when they change.
#pragma once

#include "viewer/session/SessionStatus.h"

#include <windows.h>

#include <array>
#include <string>

namespace tracing {

class StatusBar {
public:
    [[nodiscard]] bool Create(HWND parent, HINSTANCE instance);
    HWND Handle() const { return mBar; }
    // The parent was sized; the bar's height.
    int Size(UINT dpi);
    void Show(const std::array<std::wstring, kStatusParts>& texts);

private:
    HWND mBar = nullptr;
    std::array<std::wstring, kStatusParts> mTexts;
};

}  // namespace tracing
