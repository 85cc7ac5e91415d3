#include "viewer/window/LineList.h"

#include "foundation/text/Unicode.h"
#include "foundation/ui/Notification.h"
#include "viewer/window/ViewerControls.h"

#include <algorithm>

namespace tracing {

namespace {

constexpr COLORREF kMatchBack = RGB(255, 236, 140);

int NextLine(HWND list, int after, UINT flags)
{
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), flags));
}

void SetState(HWND list, int position, UINT state, UINT mask)
{
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

bool LineList::Create(HWND parent, HINSTANCE instance, UINT dpi)
{
    mList = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerList)), instance, nullptr);
    if (mList == nullptr) {
        return false;
    }
    ListView_SetExtendedListViewStyle(mList, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    return mColumns.Insert(mList, mSession.Settings(), dpi);
}

void LineList::Draw(const ViewerSession::Changes& changes)
{
    if (changes.views) {
        // Another view's lines: what was chosen belongs to the view left.
        SetState(mList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    if (changes.shown != mShown || changes.rowsMoved) {
        // Scrolling away from the last line stops following.
        const auto top = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETTOPINDEX, 0, 0));
        const auto perPage = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETCOUNTPERPAGE, 0, 0));
        if (mSession.Following() && !mFollowPending && mShown != 0 && top + perPage < mShown && !changes.rowsMoved) {
            mSession.StopFollowing();
        }
        // Rows that moved are all drawn again.
        ::SendMessageW(mList, LVM_SETITEMCOUNT, changes.shown,
            changes.rowsMoved ? 0 : LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        mShown = changes.shown;
    }
    if (changes.rowsMoved || changes.repaint) {
        ::InvalidateRect(mList, nullptr, FALSE);
    }
    if (changes.select && *changes.select < mShown) {
        Choose(*changes.select);
        if (changes.centre) {
            Centre(*changes.select);
        }
    }
    if (changes.scrollToEnd && mSession.Following() && mShown != 0 && !mFollowPending) {
        mFollowPending = ::PostMessageW(::GetParent(mList), kFollowMessage, 0, 0) != FALSE;
    }
}

void LineList::FollowNow()
{
    if (mFollowPending && mSession.Following() && mShown != 0) {
        ::SendMessageW(mList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(mShown - 1), FALSE);
    }
    mFollowPending = false;
}

void LineList::LineChosen()
{
    // Choosing a line stops following, so that it stays in sight.
    mSession.StopFollowing();
    ::CheckDlgButton(::GetParent(mList), kViewerFollow, BST_UNCHECKED);
}

LRESULT LineList::OnNotify(LPARAM notification)
{
    switch (ui::ReadNotification<NMHDR>(notification).code) {
    case LVN_GETDISPINFOW:
        CellText(ui::ReadNotification<NMLVDISPINFOW>(notification));
        return 0;
    case NM_CUSTOMDRAW:
        return CustomDraw(notification);
    case LVN_ITEMCHANGED: {
        const auto change = ui::ReadNotification<NMLISTVIEW>(notification);
        if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0
            && (change.uOldState & LVIS_SELECTED) == 0) {
            LineChosen();
        }
        return 0;
    }
    case LVN_ODSTATECHANGED:
        if ((ui::ReadNotification<NMLVODSTATECHANGE>(notification).uNewState & LVIS_SELECTED) != 0) {
            LineChosen();
        }
        return 0;
    case NM_CLICK: {
        const auto click = ui::ReadNotification<NMITEMACTIVATE>(notification);
        if (click.iItem >= 0 && click.iSubItem == static_cast<int>(Column::Fold)) {
            mSession.ToggleFold(static_cast<std::size_t>(click.iItem));
            Draw(mSession.TakeChanges());
        }
        return 0;
    }
    default:
        return 0;
    }
}

void LineList::CellText(const NMLVDISPINFOW& info)
{
    // The text goes into the list's own buffer, which the copy points at too.
    const LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    item.pszText[0] = L'\0';
    if (item.iItem < 0 || item.iSubItem < 0 || item.iSubItem >= static_cast<int>(Column::Count)) {
        return;
    }
    mCellBytes.clear();
    mSession.AppendCell(static_cast<std::size_t>(item.iItem), static_cast<Column>(item.iSubItem), mCellBytes);
    unicode::utf8_into_buffer(mCellBytes, item.pszText, item.cchTextMax);
}

LRESULT LineList::RowStyle(std::size_t position) const
{
    const ViewerSession::RowLook look = mSession.Look(position);
    return (look.highlight + 1) | (look.match ? kRowIsMatch : 0);
}

LRESULT LineList::CustomDraw(LPARAM notification)
{
    auto draw = ui::ReadNotification<NMLVCUSTOMDRAW>(notification);
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const ViewerSession::RowLook look = mSession.Look(static_cast<std::size_t>(draw.nmcd.dwItemSpec));
        draw.clrText = look.text.value_or(draw.clrText);
        draw.clrTextBk = look.match ? kMatchBack : look.back.value_or(draw.clrTextBk);
        ui::WriteNotification(notification, draw);
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

std::optional<std::size_t> LineList::Focused() const
{
    int position = NextLine(mList, -1, LVNI_FOCUSED);
    if (position < 0) {
        position = NextLine(mList, -1, LVNI_SELECTED);
    }
    if (position < 0 || static_cast<std::size_t>(position) >= mShown) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(position);
}

std::vector<std::size_t> LineList::Selected() const
{
    std::vector<std::size_t> positions;
    for (int index = NextLine(mList, -1, LVNI_SELECTED); index != -1; index = NextLine(mList, index, LVNI_SELECTED)) {
        positions.push_back(static_cast<std::size_t>(index));
    }
    return positions;
}

void LineList::Choose(std::size_t position)
{
    SetState(mList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SetState(mList, static_cast<int>(position), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(mList, LVM_ENSUREVISIBLE, position, FALSE);
}

void LineList::Centre(std::size_t position)
{
    RECT row = {};
    row.left = LVIR_BOUNDS;
    const auto top = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETTOPINDEX, 0, 0));
    const auto perPage = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETCOUNTPERPAGE, 0, 0));
    if (::SendMessageW(mList, LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&row)) == FALSE) {
        return;
    }
    // LVM_SCROLL scrolls a report list by rows, given in pixels.
    const auto wantedTop = static_cast<std::ptrdiff_t>(position) - static_cast<std::ptrdiff_t>(perPage / 2);
    const std::ptrdiff_t rows = std::max<std::ptrdiff_t>(wantedTop, 0) - static_cast<std::ptrdiff_t>(top);
    ::SendMessageW(mList, LVM_SCROLL, 0, static_cast<LPARAM>(rows * (row.bottom - row.top)));
}

void LineList::SelectAll()
{
    SetState(mList, -1, LVIS_SELECTED, LVIS_SELECTED);
}

}  // namespace tracing
