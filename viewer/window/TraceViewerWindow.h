// The viewer's window: the live viewer, which receives trace records as
// WM_COPYDATA messages, or a window showing a saved log. It routes input to
// its session and draws what the session says changed: an owner-data list
// refreshed on a timer, so that bursts of thousands of lines a second cost
// one step each, the bar above it and the status bar below.
#pragma once

#include "foundation/ui/BaseWindow.h"
#include "viewer/session/ViewerSession.h"
#include "viewer/window/CommandBar.h"
#include "viewer/window/ListColumns.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

class TraceViewerWindow : public ui::BaseWindow<TraceViewerWindow> {
public:
    explicit TraceViewerWindow(ViewerSession& session)
        : mSession(session)
    {
    }

    // Creates and shows the window; null on failure.
    HWND Create(HINSTANCE instance, int show);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    void OnDpiChanged(UINT oldDpi);
    void OnFailure(std::wstring_view what) noexcept;

private:
    bool OnCreate();
    void OnSize(int width, int height);
    void OnTimer();
    LRESULT OnNotify(NMHDR& header);
    void OnCommand(int id, int code);
    void OnInitMenu(HMENU menu);
    void OnDropFiles(HDROP drop);
    void OnDestroy();

    void Draw(const ViewerSession::Changes& changes);
    void SetStatusParts();
    void ShowFollowing();
    void CellText(NMLVDISPINFOW& info);
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    LRESULT RowStyle(std::size_t position) const;

    std::optional<std::size_t> FocusedPosition() const;
    std::vector<std::size_t> SelectedPositions() const;
    void SelectPosition(std::size_t position);
    void SelectAll();
    void Find(int id);
    void Copy();
    void Save(bool all);
    void EditRules(bool filters);
    void EditSettings();
    void ChooseFile(int id);
    void RestorePlacement(int show);

    ViewerSession& mSession;
    HINSTANCE mInstance = nullptr;
    CommandBar mBar;
    ListColumns mColumns;
    HWND mList = nullptr;
    HWND mStatus = nullptr;
    std::size_t mShown = 0;  // the list's item count
    bool mFollowPending = false;  // a scroll to the end is posted
    ULONGLONG mNextRefresh = 0;  // the list is not refreshed again before this tick
    std::array<std::wstring, kStatusParts> mStatusTexts;
    std::string mCellBytes;  // scratch for a cell's text
};
