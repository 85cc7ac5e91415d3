// The trace viewer's main window: receives trace records as WM_COPYDATA
// messages and shows them in an owner-data list that is refreshed on a timer,
// so that bursts of thousands of lines a second cost one append each.
#pragma once

#include "standins/trace-viewer/ViewerLines.h"

#include <windows.h>

#include <string>
#include <vector>

class TraceViewerWindow {
public:
    TraceViewerWindow() = default;
    TraceViewerWindow(const TraceViewerWindow&) = delete;
    TraceViewerWindow& operator=(const TraceViewerWindow&) = delete;

    // Creates the window; null on failure.
    HWND Create(HINSTANCE instance, int show);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnSize(int width, int height);
    LRESULT OnCopyData(WPARAM sender, const COPYDATASTRUCT* data);
    void OnTimer();
    LRESULT OnNotify(NMHDR* header);
    void OnCommand(int id);

    void Clear();
    void TogglePause();
    void Copy();
    void Save();
    void UpdateStatus();
    std::vector<std::size_t> ChosenRows() const;

    HWND mWindow = nullptr;
    HWND mList = nullptr;
    HWND mStatus = nullptr;
    std::vector<HWND> mButtons;
    LineStore mStore{500000};
    std::size_t mShown = 0;
    bool mPaused = false;
    std::wstring mStatusText;
    std::wstring mCellText;  // keeps a cell's text alive for the list-view
};
