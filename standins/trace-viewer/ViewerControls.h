// Control ids of the trace viewer's window, shared with its tests.
#pragma once

enum ViewerControl : int {
    kViewerClear = 101,
    kViewerPause = 102,
    kViewerCopy = 103,
    kViewerSave = 104,
    kViewerList = 110,
    kViewerStatus = 111,
};

// Window title of the viewer's main window.
constexpr wchar_t kViewerTitle[] = L"Tracing";
