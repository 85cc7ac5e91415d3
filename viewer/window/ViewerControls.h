// Command and control ids of the viewer's windows, their titles and the
// messages they answer, shared with the tests.
#pragma once

#include <windows.h>

namespace tracing {

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
    kViewerOpen = 112,
    kViewerSaveAll = 113,
    kViewerSelectAll = 114,
    kViewerFind = 115,  // puts the focus in the find box
    kViewerFindNext = 116,
    kViewerFindPrevious = 117,
    kViewerFindText = 118,  // the find box
    kViewerMatchCase = 119,  // its case switch
    kViewerFilters = 120,
    kViewerHighlights = 121,
    kViewerFollow = 122,  // switches following on and off
    kViewerFollowEnd = 123,  // follows again (End)
    kViewerTimeClock = 124,
    kViewerTimeSinceFirst = 125,
    kViewerTimeSincePrevious = 126,
    kViewerFold = 127,  // the scope of the focused line (Left)
    kViewerUnfold = 128,  // the focused line's folded scope (Right)
    kViewerFoldAll = 129,
    kViewerUnfoldAll = 130,
    kViewerExportRules = 131,
    kViewerImportRules = 132,
    kViewerNewView = 133,  // Ctrl+T
    kViewerCloseView = 134,  // Ctrl+W, or the tab's context menu
    kViewerRenameView = 135,
    kViewerShowInAll = 136,  // Ctrl+Enter
    kViewerToggleMark = 137,  // Ctrl+F2
    kViewerNextMark = 138,  // F2
    kViewerPreviousMark = 139,  // Shift+F2
    kViewerClearMarks = 140,
    kViewerTabs = 141,  // the tab control of the views
    kViewerNextView = 142,  // Ctrl+Tab
    kViewerPreviousView = 143,  // Ctrl+Shift+Tab
    kViewerScopeSummary = 144,
    kViewerFollowFile = 145,
    // The list's context menu: one-click rules, kViewerQuickRule + QuickRule's value.
    kViewerQuickRule = 150,
};

// Window title of the live viewer; a window showing a saved log is titled
// "<file name> - Tracing" and is of kLogWindowClass.
constexpr wchar_t kViewerTitle[] = L"Tracing";
constexpr wchar_t kLogTitleSuffix[] = L" - Tracing";
constexpr wchar_t kLogWindowClass[] = L"Probedeck.Tracing.SavedLog";

// Titles of the dialogs (their templates are in viewer/resources/Tracing.rc).
constexpr wchar_t kSettingsTitle[] = L"Tracing settings";
constexpr wchar_t kFiltersTitle[] = L"Filters";
constexpr wchar_t kHighlightsTitle[] = L"Highlights";
constexpr wchar_t kFilterRuleTitle[] = L"Filter rule";
constexpr wchar_t kHighlightRuleTitle[] = L"Highlight rule";
constexpr wchar_t kScopeSummaryTitle[] = L"Scope summary";

// Asks how the list draws the line it shows at position wParam: the
// highlight rule that colours it (its index + 1, 0 for none) in the low
// word, and kRowIsMatch when it matches the find text.
constexpr UINT kViewerRowStyleMessage = WM_APP + 20;
constexpr LRESULT kRowIsMatch = 0x10000;

}  // namespace tracing
