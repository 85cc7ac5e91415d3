// The context menus of the list (one-click rules, Show in All, bookmarks)
// and of a view's tab (rename, close). Each returns the command chosen, or 0.
#pragma once

#include "viewer/session/ViewerSession.h"

#include <windows.h>

#include <cstddef>
#include <optional>

namespace tracing {

int ShowLineMenu(HWND owner, const ViewerSession& session, std::optional<std::size_t> position, POINT screen);
int ShowTabMenu(HWND owner, bool closable, POINT screen);

}  // namespace tracing
