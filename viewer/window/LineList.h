// The owner-data list of the viewer's window: its columns, its item count,
// the text and colours of each row, and the chosen lines, all asked of the
// session. A scroll to the end is posted as a step of its own, so that
// messages waiting meanwhile are answered between the two.
#pragma once

#include "viewer/session/ViewerSession.h"
#include "viewer/window/ListColumns.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tracing {

class LineList {
public:
    // Posted to the parent to scroll to the end; the parent calls FollowNow.
    static constexpr UINT kFollowMessage = WM_APP + 1;

    explicit LineList(ViewerSession& session)
        : mSession(session)
    {
    }

    [[nodiscard]] bool Create(HWND parent, HINSTANCE instance, UINT dpi);
    HWND Handle() const { return mList; }
    ListColumns& Columns() { return mColumns; }

    // Draws what the session says changed.
    void Draw(const ViewerSession::Changes& changes);
    void FollowNow();
    // List notifications (WM_NOTIFY's lParam); the parent returns what this returns.
    LRESULT OnNotify(LPARAM notification);
    // How the row at position is drawn: the highlight's index + 1, and kRowIsMatch.
    LRESULT RowStyle(std::size_t position) const;

    std::size_t Count() const { return mShown; }
    // The focused line, or the first selected one.
    std::optional<std::size_t> Focused() const;
    // Every selected line, ascending.
    std::vector<std::size_t> Selected() const;
    void SelectAll();

private:
    void Choose(std::size_t position);
    // Scrolls so that the line at position stands in the middle, its neighbours in sight.
    void Centre(std::size_t position);
    void CellText(const NMLVDISPINFOW& info);
    LRESULT CustomDraw(LPARAM notification);
    void LineChosen();

    ViewerSession& mSession;
    HWND mList = nullptr;
    ListColumns mColumns;
    std::size_t mShown = 0;  // the list's item count
    bool mFollowPending = false;  // a scroll to the end is posted
    std::string mCellBytes;  // scratch for a cell's text
};

}  // namespace tracing
