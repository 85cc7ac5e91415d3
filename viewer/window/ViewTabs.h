// The tabs of the views above the list: one per view of the session, All
// first, the view in front chosen.
#pragma once

#include "viewer/session/ViewerSession.h"

#include <windows.h>

#include <optional>

namespace tracing {

class ViewTabs {
public:
    [[nodiscard]] bool Create(HWND parent, HINSTANCE instance);
    HWND Handle() const { return mTabs; }
    // The height the tabs take at the window's DPI.
    int Height() const;
    // Shows the session's views as they are now.
    void Sync(const ViewerSession& session);
    // The chosen tab.
    std::size_t Chosen() const;
    // The tab under a point on the screen, if any.
    std::optional<std::size_t> TabAt(POINT screen) const;

private:
    HWND mTabs = nullptr;
};

}  // namespace tracing
