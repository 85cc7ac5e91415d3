// The viewer's main window. It owns the line store, the log writer and the
// debug-output capture; it receives trace records as WM_COPYDATA messages
// and shows every line in an owner-data list that is refreshed on a timer,
// so that bursts of thousands of lines a second cost one append each. The
// window thread never waits on the capture thread beyond the store's lock.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "viewer/LineIntake.h"
#include "viewer/ViewerSettings.h"
#include "viewer/capture/DebugOutputCapture.h"
#include "viewer/capture/ProcessNames.h"
#include "viewer/log/LogWriter.h"
#include "viewer/store/LineStore.h"
#include "viewer/window/LineTransfer.h"

#include <commctrl.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ViewerStart {
    ViewerSettings settings;  // as kept
    // What holds for this run: the kept settings unless the command line says otherwise.
    std::size_t historyLines = LineStore::kDefaultCapacity;
    std::uint64_t logLimitBytes = LogWriter::kDefaultLimitBytes;
    std::optional<std::wstring> logPath;
    std::vector<std::wstring> ignoredArguments;
};

class TraceViewerWindow {
public:
    explicit TraceViewerWindow(ViewerStart start);
    TraceViewerWindow(const TraceViewerWindow&) = delete;
    TraceViewerWindow& operator=(const TraceViewerWindow&) = delete;

    // Creates the window; null on failure.
    HWND Create(HINSTANCE instance, int show);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    void OnSize(int width, int height);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT OnCopyData(WPARAM sender, const COPYDATASTRUCT* data);
    void OnTimer();
    LRESULT OnNotify(NMHDR* header);
    void OnCommand(int id);
    void OnInitMenu(HMENU menu);
    void OnDestroy();

    [[nodiscard]] bool CreateMenuBar();
    void ApplyFont();
    void LayoutButtons();
    void SetStatusParts();
    int Scale(int pixels) const;
    void RefreshList();
    void KeepCapturing();
    void CellText(NMLVDISPINFOW& info);

    void Clear();
    void TogglePause();
    void ToggleCapture();
    void Copy();
    void Save();
    void LogToFile();
    void EditSettings();
    void UpdateStatus();
    void SetStatusPart(int part, const std::wstring& text);
    std::wstring CaptureStatus() const;
    std::wstring LogStatus() const;
    std::vector<SequenceRange> ChosenLines() const;

    // Declared in this order so that capture stops first, then the log
    // finishes, while the store still stands.
    LineStore mStore;
    LogWriter mLog;
    LineIntake mIntake { mStore, mLog };
    DebugOutputCapture mCapture;
    ProcessNames mSenderNames;  // the window thread's own

    ViewerStart mStart;
    ViewerSettings mSettings;
    std::uint64_t mLogLimitBytes;
    HINSTANCE mInstance = nullptr;
    HWND mWindow = nullptr;
    HWND mList = nullptr;
    HWND mStatus = nullptr;
    std::vector<HWND> mButtons;
    resources::UniqueGdiObject mFont;
    UINT mDpi = 96;
    std::uint64_t mShownFirst = 0;
    std::size_t mShown = 0;
    bool mPaused = false;
    bool mFollowPending = false;
    ULONGLONG mNextRefresh = 0;  // the list is not refreshed again before this tick
    unsigned long long mRejected = 0;
    ULONGLONG mLastCaptureTry = 0;
    ULONGLONG mLastSweep = 0;
    std::wstring mStatusTexts[3];
    std::string mCellBytes;  // scratch for a cell's text
};
