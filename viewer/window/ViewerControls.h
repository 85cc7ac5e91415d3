// Command and control ids of the viewer's window, its title and the texts of
// its status bar, shared with its tests.
#pragma once

enum ViewerControl : int {
    kViewerClear = 101,
    kViewerPause = 102,
    kViewerCopy = 103,
    kViewerSave = 104,
    kViewerLogToFile = 105,
    kViewerStopLog = 106,
    kViewerCapture = 107,
    kViewerSettings = 108,
    kViewerExit = 109,
    kViewerList = 110,
    kViewerStatus = 111,
};

// The status bar's parts, left to right.
enum ViewerStatusPart : int {
    kStatusCounts = 0,
    kStatusCapture = 1,
    kStatusLog = 2,
};

// The list's columns, in the order of the log format's fields.
enum class ViewerColumn : int { Time, Pid, Process, Kind, Source, Text, Count };

// Window title of the viewer's main window.
constexpr wchar_t kViewerTitle[] = L"Tracing";

constexpr wchar_t kCaptureOnText[] = L"Capturing debug output";
constexpr wchar_t kCaptureTakenText[] = L"Debug output is captured by another program";
constexpr wchar_t kCaptureOffText[] = L"Debug output capture is off";

// Title of the settings dialog (its template is in viewer/resources/Tracing.rc).
constexpr wchar_t kSettingsTitle[] = L"Tracing settings";
