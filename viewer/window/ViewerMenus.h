// The viewer's menu bar and keyboard accelerators: every command is on a menu.
#pragma once

#include <windows.h>

namespace tracing {

// The menu bar for the live viewer, or for a window showing a saved log
// (which does not capture or log); null on failure.
HMENU CreateViewerMenu(bool live);

// The accelerators for the list; inEdit leaves out the keys an edit box needs
// for itself (Ctrl+C, Ctrl+X, Ctrl+A).
HACCEL CreateViewerAccelerators(bool inEdit);

}  // namespace tracing
