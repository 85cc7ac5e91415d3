// The viewer's window: the live viewer, which receives trace records as
// WM_COPYDATA messages, or a window showing a saved log. It routes input to
// its session and draws what the session says changed, on a timer, so that
// bursts of thousands of lines a second cost one step each: the bar above,
// the list of lines and the status bar below.
#pragma once

#include "foundation/ui/BaseWindow.h"
#include "viewer/session/ViewerSession.h"
#include "viewer/window/CommandBar.h"
#include "viewer/window/DrawPacing.h"
#include "viewer/window/LineList.h"
#include "viewer/window/StatusBar.h"
#include "viewer/window/ViewTabs.h"

#include <windows.h>

namespace tracing {

class TraceViewerWindow : public ui::BaseWindow<TraceViewerWindow> {
public:
    explicit TraceViewerWindow(ViewerSession& session)
        : mSession(session)
        , mList(session)
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
    void OnCommand(int id, int code);
    void OnInitMenu(HMENU menu);
    void OnDropFiles(HDROP drop);
    void OnDestroy();
    void Draw(const ViewerSession::Changes& changes);
    void RestorePlacement(int show);

    void Find(int id);
    void Copy();
    void Save(bool all);
    void ChooseFile(int id);
    void EditRules(bool filters);
    void EditSettings();
    void OnViewCommand(int id);
    void RenameView(std::size_t index);
    void ShowContextMenu(HWND from, POINT screen);
    void OnTabsNotify(LPARAM notification);
    // The lines a command on lines takes: the selected ones, or the focused one.
    std::vector<std::size_t> ChosenLines() const;
    void ShowScopeSummary();

    ViewerSession& mSession;
    HINSTANCE mInstance = nullptr;
    CommandBar mBar;
    ViewTabs mTabs;
    LineList mList;
    StatusBar mStatus;
    DrawPacing mPacing;
    bool mBusyTicks = false;  // the timer runs at kBusyRefreshMs
    // The tab a tab's context menu was opened on.
    std::optional<std::size_t> mMenuTab;
};

}  // namespace tracing
