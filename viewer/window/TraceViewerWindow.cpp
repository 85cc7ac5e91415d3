#include "viewer/window/TraceViewerWindow.h"

#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/window/Clipboard.h"
#include "viewer/window/FileDialogs.h"
#include "viewer/window/RuleDialogs.h"
#include "viewer/window/SavedLogWindows.h"
#include "viewer/window/SettingsDialog.h"
#include "viewer/window/ViewerControls.h"
#include "viewer/window/ViewerMenus.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 100;
// Following a fast stream redraws the whole page at every refresh, which
// costs tens of milliseconds under Wine: refreshes are spaced so that they
// take at most a fifth of the window thread's time, leaving the rest to
// messages and the processor to the programs being watched.
constexpr double kRefreshShare = 0.2;
// Posted after a refresh: the list scrolls to its end as a step of its own,
// so that messages waiting meanwhile are answered between the two.
constexpr UINT kFollowMessage = WM_APP + 1;
constexpr COLORREF kMatchBack = RGB(255, 236, 140);
// Widths of the status bar's parts at 96 DPI; the last takes the rest.
constexpr int kStatusWidths[] = { 420, 300, 170 };

// The process behind a sender window handed in wParam, if any: senders that
// pass no window stay unknown.
DWORD SenderProcess(WPARAM sender)
{
    const auto window = reinterpret_cast<HWND>(sender);
    DWORD process = 0;
    if (window != nullptr && ::IsWindow(window)) {
        ::GetWindowThreadProcessId(window, &process);
    }
    return process;
}

std::wstring FileName(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

HWND TraceViewerWindow::Create(HINSTANCE instance, int show)
{
    mInstance = instance;
    const bool live = mSession.Live();
    const ui::FrameClass frameClass { live ? UTrace::kViewerClass : kLogWindowClass, 0, ::LoadIconW(nullptr, IDI_APPLICATION) };
    const std::wstring title = live ? std::wstring(kViewerTitle) : FileName(*mSession.OpenPath()) + kLogTitleSuffix;
    const UINT dpi = std::max<UINT>(::GetDpiForSystem(), USER_DEFAULT_SCREEN_DPI);
    HWND window = BaseWindow::Create(instance, frameClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
        WS_EX_ACCEPTFILES, ::MulDiv(960, static_cast<int>(dpi), 96), ::MulDiv(540, static_cast<int>(dpi), 96));
    if (window == nullptr) {
        return nullptr;
    }
    RestorePlacement(show);
    ::UpdateWindow(window);
    mSession.Start();
    Draw(mSession.TakeChanges());
    return window;
}

void TraceViewerWindow::RestorePlacement(int show)
{
    // A kept place is used only on a monitor that still exists.
    const std::optional<WINDOWPLACEMENT>& kept = mSession.Settings().placement;
    if (mSession.Live() && kept && ::MonitorFromRect(&kept->rcNormalPosition, MONITOR_DEFAULTTONULL) != nullptr) {
        WINDOWPLACEMENT placement = *kept;
        placement.showCmd = placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        ::SetWindowPlacement(Window(), &placement);
    } else {
        ::ShowWindow(Window(), show);
    }
}

void TraceViewerWindow::OnFailure(std::wstring_view what) noexcept
{
    try {
        mSession.Note(L"A window action failed: " + std::wstring(what));
        Draw(mSession.TakeChanges());
    } catch (...) {
        ::MessageBeep(MB_ICONERROR);  // too short of memory even to say it
    }
}

LRESULT TraceViewerWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        // Never so narrow that the bar is cut off.
        RECT frame = { 0, 0, mBar.Width(Dpi()), Scale(200) };
        ::AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_ACCEPTFILES, Dpi());
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = { frame.right - frame.left, frame.bottom - frame.top };
        return 0;
    }
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        // Only taken in here: the list catches up on the next timer tick.
        return data != nullptr && mSession.TakeRecord(data->dwData, data->cbData, data->lpData, SenderProcess(wParam));
    }
    case WM_TIMER:
        if (wParam == kRefreshTimer) {
            OnTimer();
        }
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        Draw(mSession.TakeChanges());
        return 0;
    case kFollowMessage:
        if (mFollowPending && mSession.Following() && mShown != 0) {
            ::SendMessageW(mList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(mShown - 1), FALSE);
        }
        mFollowPending = false;
        return 0;
    case kViewerRowStyleMessage:
        return RowStyle(static_cast<std::size_t>(wParam));
    case WM_INITMENUPOPUP:
        OnInitMenu(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

LRESULT TraceViewerWindow::OnControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Left and Right fold and unfold instead of scrolling sideways; End
    // goes to the last line, as ever, and follows again.
    if (message == WM_KEYDOWN && (wParam == VK_LEFT || wParam == VK_RIGHT) && ::GetKeyState(VK_CONTROL) >= 0) {
        ::SendMessageW(Window(), WM_COMMAND, wParam == VK_LEFT ? kViewerFold : kViewerUnfold, 0);
        return 0;
    }
    const LRESULT result = DefaultControl(control, message, wParam, lParam);
    if (message == WM_KEYDOWN && wParam == VK_END) {
        ::SendMessageW(Window(), WM_COMMAND, kViewerFollowEnd, 0);
    }
    return result;
}

bool TraceViewerWindow::OnCreate()
{
    HMENU menu = CreateViewerMenu(mSession.Live());
    if (menu == nullptr || !::SetMenu(Window(), menu)) {
        resources::UniqueMenu owned(menu);
        return false;
    }
    if (!mBar.Create(Window(), mInstance, mSession.Live())) {
        return false;
    }
    mList = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0, 0, Window(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerList)), mInstance, nullptr);
    mStatus = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, Window(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerStatus)), mInstance, nullptr);
    if (mList == nullptr || mStatus == nullptr || !Subclass(mList)) {
        return false;
    }
    ListView_SetExtendedListViewStyle(mList, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    if (!mColumns.Insert(mList, mSession.Settings(), Dpi())) {
        return false;
    }
    SwapFont(Dpi());
    mBar.Layout(Dpi());
    // The parts first: text for a part that does not exist yet is lost.
    SetStatusParts();
    ShowFollowing();
    return ::SetTimer(Window(), kRefreshTimer, kRefreshMs, nullptr) != 0;
}

void TraceViewerWindow::OnDestroy()
{
    ::KillTimer(Window(), kRefreshTimer);
    std::optional<WINDOWPLACEMENT> placement;
    WINDOWPLACEMENT kept = {};
    kept.length = sizeof kept;
    if (mSession.Live() && ::GetWindowPlacement(Window(), &kept)) {
        placement = kept;
    }
    mSession.KeepLayout(mColumns.WidthsToKeep(Dpi()), mColumns.Order(), placement);
    // Held debug output becomes lines first, so that the log gets them too.
    mSession.Stop();
    ::PostQuitMessage(0);
}

void TraceViewerWindow::SetStatusParts()
{
    int parts[std::size(kStatusWidths) + 1];
    int right = 0;
    for (std::size_t i = 0; i < std::size(kStatusWidths); ++i) {
        parts[i] = right += Scale(kStatusWidths[i]);
    }
    parts[std::size(kStatusWidths)] = -1;
    ::SendMessageW(mStatus, SB_SETPARTS, std::size(parts), reinterpret_cast<LPARAM>(parts));
}

void TraceViewerWindow::OnSize(int width, int height)
{
    // Setting the menu sizes the window before its controls exist.
    if (mList == nullptr || mStatus == nullptr) {
        return;
    }
    ::SendMessageW(mStatus, WM_SIZE, 0, 0);
    SetStatusParts();
    RECT status = {};
    ::GetWindowRect(mStatus, &status);
    const int bar = Scale(CommandBar::kHeight);
    ::MoveWindow(mList, 0, bar, width, std::max(0, height - bar - static_cast<int>(status.bottom - status.top)), TRUE);
    mColumns.Fit(width, Dpi());
}

void TraceViewerWindow::OnDpiChanged(UINT oldDpi)
{
    mColumns.Rescale(oldDpi, Dpi());
    mBar.Layout(Dpi());
    RECT client = {};
    ::GetClientRect(Window(), &client);
    OnSize(client.right, client.bottom);
}

void TraceViewerWindow::OnTimer()
{
    const ULONGLONG now = ::GetTickCount64();
    if (now < mNextRefresh) {
        return;
    }
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    mSession.Tick();
    Draw(mSession.TakeChanges());
    LARGE_INTEGER end;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&end);
    ::QueryPerformanceFrequency(&frequency);
    const double tookMs
        = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    // While lines wait, the next step comes with the next tick.
    mNextRefresh = mSession.Busy() ? 0 : now + static_cast<ULONGLONG>(tookMs / kRefreshShare);
}

void TraceViewerWindow::Draw(const ViewerSession::Changes& changes)
{
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
        SelectPosition(*changes.select);
    }
    ShowFollowing();
    if (changes.scrollToEnd && mSession.Following() && mShown != 0 && !mFollowPending) {
        mFollowPending = ::PostMessageW(Window(), kFollowMessage, 0, 0) != FALSE;
    }
    if (changes.beep) {
        ::MessageBeep(MB_ICONINFORMATION);
    }
    const auto& texts = mSession.StatusTexts();
    for (std::size_t part = 0; part < texts.size(); ++part) {
        if (mStatusTexts[part] != texts[part]) {
            mStatusTexts[part] = texts[part];
            ::SendMessageW(mStatus, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(mStatusTexts[part].c_str()));
        }
    }
}

void TraceViewerWindow::ShowFollowing()
{
    ::CheckDlgButton(Window(), kViewerFollow, mSession.Following() ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT TraceViewerWindow::OnNotify(NMHDR& header)
{
    if (header.hwndFrom != mList) {
        return 0;
    }
    switch (header.code) {
    case LVN_GETDISPINFOW:
        CellText(reinterpret_cast<NMLVDISPINFOW&>(header));
        return 0;
    case NM_CUSTOMDRAW:
        return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_ITEMCHANGED: {
        // Choosing a line stops following, so that it stays in sight.
        const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0
            && (change.uOldState & LVIS_SELECTED) == 0) {
            mSession.StopFollowing();
            ShowFollowing();
        }
        return 0;
    }
    case LVN_ODSTATECHANGED:
        if ((reinterpret_cast<NMLVODSTATECHANGE&>(header).uNewState & LVIS_SELECTED) != 0) {
            mSession.StopFollowing();
            ShowFollowing();
        }
        return 0;
    case NM_CLICK: {
        const auto& click = reinterpret_cast<NMITEMACTIVATE&>(header);
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

void TraceViewerWindow::CellText(NMLVDISPINFOW& info)
{
    LVITEMW& item = info.item;
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

LRESULT TraceViewerWindow::RowStyle(std::size_t position) const
{
    const ViewerSession::RowLook look = mSession.Look(position);
    return (look.highlight + 1) | (look.match ? kRowIsMatch : 0);
}

LRESULT TraceViewerWindow::CustomDraw(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const ViewerSession::RowLook look = mSession.Look(static_cast<std::size_t>(draw.nmcd.dwItemSpec));
        draw.clrText = look.text.value_or(draw.clrText);
        draw.clrTextBk = look.match ? kMatchBack : look.back.value_or(draw.clrTextBk);
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}
