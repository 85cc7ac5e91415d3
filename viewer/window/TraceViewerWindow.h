// The viewer's main window. The live viewer owns the line store, the log
// writer and the debug-output capture, and receives trace records as
// WM_COPYDATA messages; a window showing a saved log reads its lines from the
// file and does neither. Both show their lines in an owner-data list shaped
// by filters, highlights, find and folded function scopes; the list is
// refreshed on a timer, so that bursts of thousands of lines a second cost
// one append each. The window thread never waits on the capture thread
// beyond the store's lock.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "viewer/LineIntake.h"
#include "viewer/ViewerSettings.h"
#include "viewer/capture/DebugOutputCapture.h"
#include "viewer/capture/ProcessNames.h"
#include "viewer/log/LogReader.h"
#include "viewer/log/LogWriter.h"
#include "viewer/store/LineStore.h"
#include "viewer/view/LineFinder.h"
#include "viewer/view/ShownLines.h"
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
    // A saved log to show instead of capturing.
    std::optional<std::wstring> openPath;
    std::vector<std::wstring> ignoredArguments;
};

class TraceViewerWindow {
public:
    explicit TraceViewerWindow(ViewerStart start);
    TraceViewerWindow(const TraceViewerWindow&) = delete;
    TraceViewerWindow& operator=(const TraceViewerWindow&) = delete;

    // Creates the window; null on failure.
    HWND Create(HINSTANCE instance, int show);
    // The find box, whose keys the accelerators leave alone.
    HWND FindBox() const { return mFindEdit; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProc(
        HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    bool Live() const { return !mStart.openPath.has_value(); }
    bool OnCreate();
    [[nodiscard]] bool CreateBar();
    [[nodiscard]] bool CreateList();
    void OnSize(int width, int height);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT OnCopyData(WPARAM sender, const COPYDATASTRUCT* data);
    void OnTimer();
    LRESULT OnNotify(NMHDR* header);
    void OnCommand(int id, int code);
    void OnInitMenu(HMENU menu);
    void OnDropFiles(HDROP drop);
    void OnDestroy();

    void ApplyFont();
    void LayoutBar();
    int BarWidth() const;
    void SetStatusParts();
    int Scale(int pixels) const;
    void FitTextColumn(int width);
    void RefreshList();
    void ShowChangedLines();
    void KeepCapturing();
    void CellText(NMLVDISPINFOW& info);
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    LRESULT RowStyle(std::size_t position);

    void SetFollowing(bool following);
    std::optional<std::size_t> FocusedPosition() const;
    void SelectPosition(std::size_t position);
    void Fold(bool fold);
    void FoldAt(std::size_t position, bool fold, bool toggle);
    void FoldAll(bool fold);
    void ApplyFind();
    void FindNext(bool forward);
    void SetTimeMode(TimeMode mode);
    void EditRules(bool filters);

    void Clear();
    void TogglePause();
    void ToggleCapture();
    void SelectAll();
    void Copy();
    void Save(bool all);
    void Open();
    void LoadLog();
    void LogToFile();
    void EditSettings();
    void KeepColumnsAndPlacement();
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
    ShownLines mShownLines { mStore };
    LineFinder mFinder;

    ViewerStart mStart;
    ViewerSettings mSettings;
    std::uint64_t mLogLimitBytes;
    LogReadResult mRead;
    HINSTANCE mInstance = nullptr;
    HWND mWindow = nullptr;
    HWND mList = nullptr;
    HWND mStatus = nullptr;
    HWND mFindEdit = nullptr;
    std::vector<HWND> mBar;  // in the order of the bar's table
    resources::UniqueGdiObject mFont;
    UINT mDpi = 96;
    std::size_t mShown = 0;  // the list's item count
    bool mPaused = false;
    bool mFollowing = true;
    bool mFollowPending = false;
    bool mFitText = true;  // the text column takes the width the others leave, until the user sizes a column
    int mFittedTextWidth = -1;
    ULONGLONG mNextRefresh = 0;  // the list is not refreshed again before this tick
    ULONGLONG mFindChanged = 0;  // when the find text changed and was not yet applied, else 0
    unsigned long long mRejected = 0;
    ULONGLONG mLastCaptureTry = 0;
    ULONGLONG mLastSweep = 0;
    std::wstring mStatusTexts[4];
    std::wstring mFindStatus;
    std::string mCellBytes;  // scratch for a cell's text
};
