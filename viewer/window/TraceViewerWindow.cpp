#include "viewer/window/TraceViewerWindow.h"

#include "foundation/ui/Notification.h"
#include "foundation/text/Unicode.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/window/ViewerControls.h"
#include "viewer/window/ViewerMenus.h"

#include <windowsx.h>

#include <algorithm>

namespace tracing {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 100;
// While the core has work waiting (a large file coming in, a find looking),
// it steps again as soon as the window has nothing else to do: timer
// messages come after input and painting, so the window still answers.
constexpr UINT kBusyRefreshMs = 1;

// The process and thread behind a sender window handed in wParam, if any:
// senders that pass no window stay unknown, and their scopes are paired as
// those of one sender.
struct Sender {
    DWORD process = 0;
    DWORD thread = 0;
};
Sender SenderOf(WPARAM wParam)
{
    const auto window = reinterpret_cast<HWND>(wParam);
    Sender sender;
    if (window != nullptr && ::IsWindow(window)) {
        sender.thread = ::GetWindowThreadProcessId(window, &sender.process);
    }
    return sender;
}

}  // namespace

HWND TraceViewerWindow::Create(HINSTANCE instance, int show)
{
    mInstance = instance;
    const bool live = mSession.Live();
    const ui::FrameClass frameClass { live ? UTrace::kViewerClass : kLogWindowClass, 0, ::LoadIconW(nullptr, IDI_APPLICATION) };
    const std::wstring title = live ? std::wstring(kViewerTitle) : FileNameOf(*mSession.OpenPath()) + kLogTitleSuffix;
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
        // Stamped first, so that a scope's duration counts no work of the viewer's.
        const std::int64_t stamp = PreciseStampNow();
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const Sender sender = SenderOf(wParam);
        // Only taken in here: the list catches up on the next timer tick.
        return data != nullptr
            && mSession.TakeRecord(data->dwData, data->cbData, data->lpData, sender.process, sender.thread, stamp);
    }
    case WM_TIMER:
        if (wParam == kRefreshTimer) {
            OnTimer();
        }
        return 0;
    case WM_NOTIFY: {
        const HWND from = ui::ReadNotification<NMHDR>(lParam).hwndFrom;
        if (from == mTabs.Handle()) {
            OnTabsNotify(lParam);
            return 0;
        }
        return from == mList.Handle() ? mList.OnNotify(lParam) : 0;
    }
    case WM_SETFOCUS:
        // Keys go to the lines when the window comes to the front.
        ::SetFocus(mList.Handle());
        return 0;
    case WM_CONTEXTMENU:
        ShowContextMenu(reinterpret_cast<HWND>(wParam), { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) });
        Draw(mSession.TakeChanges());
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        Draw(mSession.TakeChanges());
        return 0;
    case LineList::kFollowMessage:
        mList.FollowNow();
        return 0;
    case kViewerRowStyleMessage:
        return mList.RowStyle(static_cast<std::size_t>(wParam));
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
    if (control == mTabs.Handle()) {
        // A double-click on a tab renames its view.
        if (message == WM_LBUTTONDBLCLK) {
            POINT point = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
            ::ClientToScreen(control, &point);
            if (const std::optional<std::size_t> tab = mTabs.TabAt(point)) {
                RenameView(*tab);
                Draw(mSession.TakeChanges());
            }
            return 0;
        }
        return DefaultControl(control, message, wParam, lParam);
    }
    // Left and Right fold and unfold instead of scrolling sideways; End
    // goes to the last line, as ever, and follows again.
    if (message == WM_KEYDOWN && (wParam == VK_LEFT || wParam == VK_RIGHT) && ::GetKeyState(VK_CONTROL) >= 0) {
        ::SendMessageW(Window(), WM_COMMAND, wParam == VK_LEFT ? kViewerFold : kViewerUnfold, 0);
        return 0;
    }
    const double start = DrawPacing::NowMs();
    const LRESULT result = DefaultControl(control, message, wParam, lParam);
    if (message == WM_PAINT) {
        mPacing.Painted(start);
    }
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
    if (!mBar.Create(Window(), mInstance, mSession.Live()) || !mTabs.Create(Window(), mInstance)
        || !Subclass(mTabs.Handle())) {
        return false;
    }
    if (!mList.Create(Window(), mInstance, Dpi()) || !mStatus.Create(Window(), mInstance) || !Subclass(mList.Handle())) {
        return false;
    }
    SwapFont(Dpi());
    mTabs.Sync(mSession);
    mBar.Layout(Dpi());
    static_cast<void>(mStatus.Size(Dpi()));
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
    mSession.KeepLayout(mList.Columns().WidthsToKeep(Dpi()), mList.Columns().Order(), placement);
    // Held debug output becomes lines first, so that the log gets them too.
    mSession.Stop();
    ::PostQuitMessage(0);
}

void TraceViewerWindow::OnSize(int width, int height)
{
    // Setting the menu sizes the window before its controls exist.
    if (mList.Handle() == nullptr || mStatus.Handle() == nullptr) {
        return;
    }
    const int status = mStatus.Size(Dpi());
    const int bar = Scale(CommandBar::kHeight);
    // The tabs are sized twice: their rows depend on their width.
    ::MoveWindow(mTabs.Handle(), 0, bar, width, Scale(30), FALSE);
    const int tabs = mTabs.Height();
    ::MoveWindow(mTabs.Handle(), 0, bar, width, tabs, TRUE);
    ::MoveWindow(mList.Handle(), 0, bar + tabs, width, std::max(0, height - bar - tabs - status), TRUE);
    mList.Columns().Fit(width, Dpi());
}

void TraceViewerWindow::OnDpiChanged(UINT oldDpi)
{
    mList.Columns().Rescale(oldDpi, Dpi());
    mBar.Layout(Dpi());
    RECT client = {};
    ::GetClientRect(Window(), &client);
    OnSize(client.right, client.bottom);
}

void TraceViewerWindow::OnTimer()
{
    mSession.Tick();
    const bool busy = mSession.Busy();
    if (busy != mBusyTicks && ::SetTimer(Window(), kRefreshTimer, busy ? kBusyRefreshMs : kRefreshMs, nullptr) != 0) {
        mBusyTicks = busy;
    }
    if (mPacing.Due()) {
        const double start = DrawPacing::NowMs();
        Draw(mSession.TakeChanges());
        mPacing.Refreshed(start);
    }
}

void TraceViewerWindow::Draw(const ViewerSession::Changes& changes)
{
    if (changes.views) {
        const int tabsBefore = mTabs.Height();
        mTabs.Sync(mSession);
        if (mTabs.Height() != tabsBefore) {
            RECT client = {};
            ::GetClientRect(Window(), &client);
            OnSize(client.right, client.bottom);
        }
        // Each view keeps its own find text.
        const std::wstring findText = unicode::utf8_to_wide(mSession.FindText());
        if (ui::WindowText(mBar.FindBox()) != findText) {
            ::SetWindowTextW(mBar.FindBox(), findText.c_str());
        }
    }
    mList.Draw(changes);
    ::CheckDlgButton(Window(), kViewerFollow, mSession.Following() ? BST_CHECKED : BST_UNCHECKED);
    if (changes.beep) {
        ::MessageBeep(MB_ICONINFORMATION);
    }
    mStatus.Show(mSession.StatusTexts());
}

}  // namespace tracing
