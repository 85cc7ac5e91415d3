#include "viewer/window/TraceViewerWindow.h"

#include "foundation/text/FormatBounded.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/ViewerResources.h"
#include "viewer/log/SaveFile.h"
#include "viewer/records/ReceivedRecord.h"
#include "viewer/window/ListCells.h"
#include "viewer/window/RuleDialogs.h"
#include "viewer/window/SettingsDialog.h"
#include "viewer/window/ViewerControls.h"
#include "viewer/window/ViewerMenus.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

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
// While another program holds the debug-output buffer, it is tried again this often.
constexpr ULONGLONG kCaptureRetryMs = 2000;
// A changed find text is looked for once typing pauses this long.
constexpr ULONGLONG kFindPauseMs = 250;
constexpr COLORREF kMatchBack = RGB(255, 236, 140);

// Sizes at 96 DPI.
constexpr int kBarHeight = 34;
constexpr int kBarControlHeight = 24;
constexpr int kBarGap = 6;
constexpr int kStatusCountsWidth = 320;
constexpr int kStatusCaptureWidth = 300;
constexpr int kStatusFindWidth = 170;
constexpr int kMinTextWidth = 160;

// The bar above the list, left to right.
struct BarControl {
    int id;
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    int width;
    bool liveOnly;
};
constexpr BarControl kBarControls[] = {
    { kViewerClear, WC_BUTTONW, L"Clear", BS_PUSHBUTTON | WS_TABSTOP, 64, false },
    { kViewerPause, WC_BUTTONW, L"Pause", BS_PUSHBUTTON | WS_TABSTOP, 64, true },
    { kViewerCopy, WC_BUTTONW, L"Copy", BS_PUSHBUTTON | WS_TABSTOP, 64, false },
    { kViewerSave, WC_BUTTONW, L"Save...", BS_PUSHBUTTON | WS_TABSTOP, 64, false },
    { kViewerFollow, WC_BUTTONW, L"Follow", BS_CHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 64, false },
    { kViewerFilters, WC_BUTTONW, L"Filters...", BS_PUSHBUTTON | WS_TABSTOP, 72, false },
    { 0, WC_STATICW, L"Find:", SS_RIGHT | SS_CENTERIMAGE, 40, false },
    { kViewerFindText, WC_EDITW, L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 170, false },
    { kViewerMatchCase, WC_BUTTONW, L"Match case", BS_AUTOCHECKBOX | WS_TABSTOP, 90, false },
    { kViewerFindPrevious, WC_BUTTONW, L"Previous", BS_PUSHBUTTON | WS_TABSTOP, 64, false },
    { kViewerFindNext, WC_BUTTONW, L"Next", BS_PUSHBUTTON | WS_TABSTOP, 64, false },
};

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

std::wstring SystemMessage(DWORD error)
{
    wchar_t text[256] = L"";
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring message(text, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message.empty() ? L"error " + std::to_wstring(error) : message;
}

std::wstring FileName(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Shows a saved log in a window of its own: a Tracing.exe of its own, so
// that it never becomes the live viewer.
void OpenInNewWindow(const std::wstring& path)
{
    wchar_t program[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    std::wstring commandLine = L"\"" + std::wstring(program, length) + L"\" \"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (::CreateProcessW(
            program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        const resources::UniqueHandle process(started.hProcess);
        const resources::UniqueHandle thread(started.hThread);
    }
}

std::wstring WindowString(HWND window)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

TraceViewerWindow::TraceViewerWindow(ViewerStart start)
    : mStore(start.historyLines)
    , mCapture([this](const JoinedLine& line) { mIntake.AddDebugLine(line); })
    , mStart(std::move(start))
    , mSettings(mStart.settings)
    , mLogLimitBytes(mStart.logLimitBytes)
{
    mShownLines.SetFilters(mSettings.filters);
    mShownLines.SetHighlights(mSettings.highlights);
}

HWND TraceViewerWindow::Create(HINSTANCE instance, int show)
{
    mInstance = instance;
    const wchar_t* className = Live() ? UTrace::kViewerClass : kLogWindowClass;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TraceViewerWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (::RegisterClassExW(&windowClass) == 0) {
        return nullptr;
    }
    const std::wstring title = Live() ? std::wstring(kViewerTitle) : FileName(*mStart.openPath) + kLogTitleSuffix;
    const UINT dpi = std::max<UINT>(::GetDpiForSystem(), 96);
    HWND window = ::CreateWindowExW(WS_EX_ACCEPTFILES, className, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
        CW_USEDEFAULT, CW_USEDEFAULT, ::MulDiv(960, dpi, 96), ::MulDiv(540, dpi, 96), nullptr, nullptr, instance, this);
    if (window == nullptr) {
        return nullptr;
    }
    if (Live() && mSettings.placement) {
        WINDOWPLACEMENT placement = *mSettings.placement;
        placement.showCmd = placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
        ::SetWindowPlacement(window, &placement);
    } else {
        ::ShowWindow(window, show);
    }
    ::UpdateWindow(window);
    if (!Live()) {
        LoadLog();
    }
    return window;
}

LRESULT CALLBACK TraceViewerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TraceViewerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->mWindow = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TraceViewerWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    // Nothing may leave a window procedure; a failure loses at most one action.
    try {
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT CALLBACK TraceViewerWindow::ListProc(
    HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    // Left and Right fold and unfold instead of scrolling sideways; End
    // goes to the last line, as ever, and follows again.
    auto* viewer = reinterpret_cast<TraceViewerWindow*>(self);
    if (message == WM_KEYDOWN && (wParam == VK_LEFT || wParam == VK_RIGHT) && ::GetKeyState(VK_CONTROL) >= 0) {
        viewer->OnCommand(wParam == VK_LEFT ? kViewerFold : kViewerUnfold, 0);
        return 0;
    }
    const LRESULT result = ::DefSubclassProc(list, message, wParam, lParam);
    if (message == WM_KEYDOWN && wParam == VK_END) {
        viewer->OnCommand(kViewerFollowEnd, 0);
    }
    return result;
}

LRESULT TraceViewerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        // Never so narrow that the bar is cut off.
        RECT frame = { 0, 0, BarWidth(), Scale(200) };
        ::AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_ACCEPTFILES, mDpi);
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = { frame.right - frame.left, frame.bottom - frame.top };
        return 0;
    }
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COPYDATA:
        return OnCopyData(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER:
        if (wParam == kRefreshTimer) {
            OnTimer();
        }
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case kFollowMessage:
        if (mFollowPending && mFollowing && mShown != 0) {
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
        return ::DefWindowProcW(mWindow, message, wParam, lParam);
    }
}

bool TraceViewerWindow::OnCreate()
{
    mDpi = std::max<UINT>(::GetDpiForWindow(mWindow), 96);
    HMENU menu = CreateViewerMenu(Live());
    if (menu == nullptr || !::SetMenu(mWindow, menu)) {
        return false;
    }
    if (!CreateBar() || !CreateList()) {
        return false;
    }
    mStatus = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, mWindow,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerStatus)), mInstance, nullptr);
    if (mStatus == nullptr) {
        return false;
    }
    ApplyFont();
    LayoutBar();
    // The parts first: text for a part that does not exist yet is lost.
    SetStatusParts();
    SetFollowing(true);

    if (Live() && mStart.logPath) {
        mLog.Start(*mStart.logPath, mLogLimitBytes);
    }
    if (Live() && mSettings.capture) {
        static_cast<void>(mCapture.Start());
        mLastCaptureTry = ::GetTickCount64();
    }
    UpdateStatus();
    return ::SetTimer(mWindow, kRefreshTimer, kRefreshMs, nullptr) != 0;
}

bool TraceViewerWindow::CreateBar()
{
    for (const BarControl& row : kBarControls) {
        HWND control = nullptr;
        if (!row.liveOnly || Live()) {
            control = ::CreateWindowExW(row.id == kViewerFindText ? WS_EX_CLIENTEDGE : 0, row.windowClass, row.text,
                WS_CHILD | WS_VISIBLE | row.style, 0, 0, 0, 0, mWindow,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), mInstance, nullptr);
            if (control == nullptr) {
                return false;
            }
        }
        mBar.push_back(control);
        if (row.id == kViewerFindText) {
            mFindEdit = control;
        }
    }
    return true;
}

bool TraceViewerWindow::CreateList()
{
    mList = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0, 0, mWindow,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerList)), mInstance, nullptr);
    if (mList == nullptr) {
        return false;
    }
    ListView_SetExtendedListViewStyle(mList, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    for (std::size_t i = 0; i < kColumnRows.size(); ++i) {
        const ColumnRow& row = kColumnRows[i];
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = row.format;
        column.pszText = const_cast<wchar_t*>(row.title);
        column.cx = Scale(mSettings.columnWidths ? (*mSettings.columnWidths)[i] : row.width);
        column.iSubItem = static_cast<int>(row.column);
        ::SendMessageW(mList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    if (mSettings.columnOrder) {
        ::SendMessageW(mList, LVM_SETCOLUMNORDERARRAY, ViewerSettings::kColumns,
            reinterpret_cast<LPARAM>(mSettings.columnOrder->data()));
    }
    mFitText = !mSettings.columnWidths;
    return ::SetWindowSubclass(mList, &TraceViewerWindow::ListProc, 1, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

int TraceViewerWindow::Scale(int pixels) const
{
    return ::MulDiv(pixels, static_cast<int>(mDpi), 96);
}

void TraceViewerWindow::ApplyFont()
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    HFONT font = nullptr;
    if (::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, mDpi)) {
        mFont.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
        font = static_cast<HFONT>(mFont.get());
    }
    if (font == nullptr) {
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    for (HWND control : mBar) {
        if (control != nullptr) {
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
    ::SendMessageW(mList, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(mStatus, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

int TraceViewerWindow::BarWidth() const
{
    int width = Scale(kBarGap);
    for (std::size_t i = 0; i < std::size(kBarControls); ++i) {
        if (i < mBar.size() && mBar[i] != nullptr) {
            width += Scale(kBarControls[i].width + kBarGap);
        }
    }
    return width;
}

void TraceViewerWindow::LayoutBar()
{
    int x = Scale(kBarGap);
    for (std::size_t i = 0; i < mBar.size(); ++i) {
        if (mBar[i] != nullptr) {
            ::MoveWindow(mBar[i], x, Scale(5), Scale(kBarControls[i].width), Scale(kBarControlHeight), TRUE);
            x += Scale(kBarControls[i].width + kBarGap);
        }
    }
}

void TraceViewerWindow::SetStatusParts()
{
    const int parts[] = { Scale(kStatusCountsWidth), Scale(kStatusCountsWidth + kStatusCaptureWidth),
        Scale(kStatusCountsWidth + kStatusCaptureWidth + kStatusFindWidth), -1 };
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
    const int bar = Scale(kBarHeight);
    const int listHeight = std::max(0, height - bar - static_cast<int>(status.bottom - status.top));
    ::MoveWindow(mList, 0, bar, width, listHeight, TRUE);
    FitTextColumn(width);
}

void TraceViewerWindow::FitTextColumn(int width)
{
    const auto text = static_cast<WPARAM>(ViewerColumn::Text);
    // Once the user has sized a column, widths are theirs.
    if (mFittedTextWidth >= 0 && ::SendMessageW(mList, LVM_GETCOLUMNWIDTH, text, 0) != mFittedTextWidth) {
        mFitText = false;
    }
    if (!mFitText) {
        return;
    }
    int fixed = 0;
    for (const ColumnRow& row : kColumnRows) {
        fixed += row.column == ViewerColumn::Text ? 0 : Scale(row.width);
    }
    // Down to a narrow text column, the list fits the window without a horizontal scroll bar.
    mFittedTextWidth
        = std::max(Scale(kMinTextWidth), width - fixed - ::GetSystemMetricsForDpi(SM_CXVSCROLL, mDpi) - Scale(4));
    ::SendMessageW(mList, LVM_SETCOLUMNWIDTH, text, mFittedTextWidth);
}

void TraceViewerWindow::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    const UINT old = mDpi;
    mDpi = std::max<UINT>(dpi, 96);
    for (int column = 0; column < static_cast<int>(ViewerColumn::Count); ++column) {
        const int width = static_cast<int>(::SendMessageW(mList, LVM_GETCOLUMNWIDTH, column, 0));
        ::SendMessageW(
            mList, LVM_SETCOLUMNWIDTH, column, ::MulDiv(width, static_cast<int>(mDpi), static_cast<int>(old)));
    }
    mFittedTextWidth
        = static_cast<int>(::SendMessageW(mList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(ViewerColumn::Text), 0));
    ApplyFont();
    LayoutBar();
    ::SetWindowPos(mWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
        suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TraceViewerWindow::OnCopyData(WPARAM sender, const COPYDATASTRUCT* data)
{
    // Only appended here: the list catches up on the next timer tick.
    const auto record
        = data != nullptr && Live() ? CheckRecord(data->dwData, data->cbData, data->lpData) : std::nullopt;
    if (!record) {
        ++mRejected;
        return FALSE;
    }
    const DWORD pid = SenderProcess(sender);
    mIntake.AddRecord(*record, ArrivalTimeNow(), pid, mSenderNames.Lookup(pid, ::GetTickCount64()));
    return TRUE;
}

void TraceViewerWindow::OnTimer()
{
    if (!mPaused) {
        RefreshList();
    }
    if (mFindChanged != 0 && ::GetTickCount64() - mFindChanged >= kFindPauseMs) {
        ApplyFind();
    }
    if (Live()) {
        KeepCapturing();
        const ULONGLONG tick = ::GetTickCount64();
        if (tick - mLastSweep >= DebugOutputCapture::kSweepMs) {
            mSenderNames.Sweep(tick);
            mLastSweep = tick;
        }
    }
    UpdateStatus();
}

void TraceViewerWindow::RefreshList()
{
    const ULONGLONG now = ::GetTickCount64();
    if (now < mNextRefresh) {
        return;
    }
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    const ShownLines::Change change = mShownLines.CatchUp();
    if (change.added == 0 && change.droppedShown == 0 && mShownLines.Size() == mShown) {
        return;
    }
    // Scrolling away from the last line stops following.
    const auto top = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETTOPINDEX, 0, 0));
    const auto perPage = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETCOUNTPERPAGE, 0, 0));
    if (mFollowing && !mFollowPending && mShown != 0 && top + perPage < mShown) {
        SetFollowing(false);
    }
    // Dropped lines shift every row: then the whole list is drawn again.
    ::SendMessageW(mList, LVM_SETITEMCOUNT, static_cast<WPARAM>(mShownLines.Size()),
        change.droppedShown != 0 ? 0 : LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    mShown = mShownLines.Size();
    if (mFinder.Active()) {
        mFinder.Update(mShownLines);
    }
    if (mFollowing && mShown != 0 && !mFollowPending) {
        mFollowPending = ::PostMessageW(mWindow, kFollowMessage, 0, 0) != FALSE;
    }
    LARGE_INTEGER end;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&end);
    ::QueryPerformanceFrequency(&frequency);
    const double tookMs
        = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    mNextRefresh = now + static_cast<ULONGLONG>(tookMs / kRefreshShare);
}

void TraceViewerWindow::ShowChangedLines()
{
    // After a rule or fold change the focused line keeps the focus, or the
    // nearest shown line after it takes it.
    const std::optional<std::size_t> focused = FocusedPosition();
    const std::optional<std::uint64_t> focusedLine = focused && *focused < mShownLines.Size()
        ? std::optional<std::uint64_t>(mShownLines.SequenceAt(*focused))
        : std::nullopt;
    ::SendMessageW(mList, LVM_SETITEMCOUNT, static_cast<WPARAM>(mShownLines.Size()), 0);
    mShown = mShownLines.Size();
    ::InvalidateRect(mList, nullptr, TRUE);
    if (mFinder.Active()) {
        mFinder.Update(mShownLines);
    }
    if (mFollowing && mShown != 0) {
        ::SendMessageW(mList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(mShown - 1), FALSE);
    } else if (focusedLine && mShown != 0) {
        SelectPosition(std::min(mShownLines.PositionAtOrAfter(*focusedLine), mShown - 1));
    }
    UpdateStatus();
}

void TraceViewerWindow::KeepCapturing()
{
    switch (mCapture.GetState()) {
    case DebugOutputCapture::State::Failed:
        // A capture thread that gave up leaves its buffer to writers no more.
        mCapture.Stop();
        break;
    case DebugOutputCapture::State::TakenByOther:
        if (mSettings.capture && ::GetTickCount64() - mLastCaptureTry >= kCaptureRetryMs) {
            mLastCaptureTry = ::GetTickCount64();
            static_cast<void>(mCapture.Start());
        }
        break;
    default:
        break;
    }
}

LRESULT TraceViewerWindow::OnNotify(NMHDR* header)
{
    if (header == nullptr || header->hwndFrom != mList) {
        return 0;
    }
    switch (header->code) {
    case LVN_GETDISPINFOW:
        CellText(*reinterpret_cast<NMLVDISPINFOW*>(header));
        return 0;
    case NM_CUSTOMDRAW:
        return CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case LVN_ITEMCHANGED: {
        // Choosing a line stops following, so that it stays in sight.
        const auto& change = *reinterpret_cast<NMLISTVIEW*>(header);
        if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0
            && (change.uOldState & LVIS_SELECTED) == 0) {
            SetFollowing(false);
        }
        return 0;
    }
    case LVN_ODSTATECHANGED:
        if ((reinterpret_cast<NMLVODSTATECHANGE*>(header)->uNewState & LVIS_SELECTED) != 0) {
            SetFollowing(false);
        }
        return 0;
    case NM_CLICK: {
        const auto& click = *reinterpret_cast<NMITEMACTIVATE*>(header);
        if (click.iItem >= 0 && click.iSubItem == static_cast<int>(ViewerColumn::Fold)) {
            FoldAt(static_cast<std::size_t>(click.iItem), true, true);
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
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= mShown || item.iSubItem < 0
        || item.iSubItem >= static_cast<int>(ViewerColumn::Count)) {
        return;
    }
    mCellBytes.clear();
    {
        const LineStore::Reading reading = mStore.Read();
        AppendCellText(mCellBytes, reading, mShownLines, static_cast<std::size_t>(item.iItem),
            static_cast<ViewerColumn>(item.iSubItem), mSettings.timeMode);
    }
    Utf8IntoBuffer(mCellBytes, item.pszText, item.cchTextMax);
}

LRESULT TraceViewerWindow::RowStyle(std::size_t position)
{
    if (position >= mShown || position >= mShownLines.Size()) {
        return 0;
    }
    const std::uint64_t sequence = mShownLines.SequenceAt(position);
    LRESULT style = 0;
    {
        const LineStore::Reading reading = mStore.Read();
        if (sequence >= reading.First() && sequence - reading.First() < reading.Size()) {
            const LineRecord& record = reading.Record(static_cast<std::size_t>(sequence - reading.First()));
            style = mShownLines.Rules().Highlight(reading, record, sequence) + 1;
        }
    }
    if (mFinder.Active() && mFinder.IsMatch(sequence)) {
        style |= kRowIsMatch;
    }
    return style;
}

LRESULT TraceViewerWindow::CustomDraw(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const LRESULT style = RowStyle(static_cast<std::size_t>(draw.nmcd.dwItemSpec));
        const int highlight = static_cast<int>(style & 0xFFFF) - 1;
        if (highlight >= 0 && static_cast<std::size_t>(highlight) < mSettings.highlights.size()) {
            draw.clrText = mSettings.highlights[static_cast<std::size_t>(highlight)].textColour;
            draw.clrTextBk = mSettings.highlights[static_cast<std::size_t>(highlight)].backColour;
        }
        if ((style & kRowIsMatch) != 0) {
            draw.clrTextBk = kMatchBack;
        }
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void TraceViewerWindow::OnCommand(int id, int code)
{
    switch (id) {
    case kViewerClear:
        Clear();
        break;
    case kViewerPause:
        TogglePause();
        break;
    case kViewerCopy:
        Copy();
        break;
    case kViewerSelectAll:
        SelectAll();
        break;
    case kViewerSave:
        Save(false);
        break;
    case kViewerSaveAll:
        Save(true);
        break;
    case kViewerOpen:
        Open();
        break;
    case kViewerLogToFile:
        LogToFile();
        break;
    case kViewerStopLog:
        mLog.Stop();
        UpdateStatus();
        break;
    case kViewerCapture:
        ToggleCapture();
        break;
    case kViewerSettings:
        EditSettings();
        break;
    case kViewerExit:
        ::DestroyWindow(mWindow);
        break;
    case kViewerFind:
        ::SetFocus(mFindEdit);
        ::SendMessageW(mFindEdit, EM_SETSEL, 0, -1);
        break;
    case kViewerFindText:
        if (code == EN_CHANGE) {
            mFindChanged = std::max<ULONGLONG>(::GetTickCount64(), 1);
        }
        break;
    case kViewerMatchCase:
        ApplyFind();
        break;
    case IDOK:  // Enter in the find box
        FindNext(true);
        break;
    case IDCANCEL:  // Escape: back to the list
        ::SetFocus(mList);
        break;
    case kViewerFindNext:
        FindNext(true);
        break;
    case kViewerFindPrevious:
        FindNext(false);
        break;
    case kViewerFilters:
        EditRules(true);
        break;
    case kViewerHighlights:
        EditRules(false);
        break;
    case kViewerFollow:
        SetFollowing(!mFollowing);
        break;
    case kViewerFollowEnd:
        SetFollowing(true);
        break;
    case kViewerTimeClock:
    case kViewerTimeSinceFirst:
    case kViewerTimeSincePrevious:
        SetTimeMode(static_cast<TimeMode>(id - kViewerTimeClock));
        break;
    case kViewerFold:
    case kViewerUnfold:
        Fold(id == kViewerFold);
        break;
    case kViewerFoldAll:
    case kViewerUnfoldAll:
        FoldAll(id == kViewerFoldAll);
        break;
    default:
        break;
    }
}

void TraceViewerWindow::OnInitMenu(HMENU menu)
{
    const auto check = [menu](int id, bool on) {
        ::CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    check(kViewerCapture, mSettings.capture);
    check(kViewerPause, mPaused);
    check(kViewerFollow, mFollowing);
    ::CheckMenuRadioItem(menu, kViewerTimeClock, kViewerTimeSincePrevious,
        kViewerTimeClock + static_cast<UINT>(mSettings.timeMode), MF_BYCOMMAND);
    ::EnableMenuItem(menu, kViewerStopLog, MF_BYCOMMAND | (mLog.GetStatus().active ? MF_ENABLED : MF_GRAYED));
}

void TraceViewerWindow::OnDropFiles(HDROP drop)
{
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        if (!path.empty()) {
            OpenInNewWindow(path);
        }
    }
    ::DragFinish(drop);
}

void TraceViewerWindow::OnDestroy()
{
    ::KillTimer(mWindow, kRefreshTimer);
    KeepColumnsAndPlacement();
    ::RemoveWindowSubclass(mList, &TraceViewerWindow::ListProc, 1);
    // Held debug output becomes lines first, so that the log gets them too.
    mCapture.Stop();
    mLog.Stop();
    ::PostQuitMessage(0);
}

void TraceViewerWindow::KeepColumnsAndPlacement()
{
    std::array<int, ViewerSettings::kColumns> widths {};
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const auto width = static_cast<int>(::SendMessageW(mList, LVM_GETCOLUMNWIDTH, i, 0));
        widths[i] = std::clamp(::MulDiv(width, 96, static_cast<int>(mDpi)), 0, ViewerSettings::kMaxColumnWidth);
    }
    // Widths the window set by itself are not the user's: they are kept
    // once the user has sized any column.
    bool sized = !mFitText || mSettings.columnWidths.has_value();
    for (std::size_t i = 0; i < widths.size(); ++i) {
        sized = sized || (kColumnRows[i].column != ViewerColumn::Text && widths[i] != kColumnRows[i].width);
    }
    if (sized) {
        mSettings.columnWidths = widths;
    }
    std::array<int, ViewerSettings::kColumns> order {};
    if (::SendMessageW(mList, LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()))) {
        mSettings.columnOrder = order;
    }
    if (Live()) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (::GetWindowPlacement(mWindow, &placement)) {
            mSettings.placement = placement;
        }
        static_cast<void>(SaveSettings(mSettings));
    } else {
        static_cast<void>(SaveViewSettings(mSettings));
    }
}

void TraceViewerWindow::SetFollowing(bool following)
{
    mFollowing = following;
    if (HWND button = ::GetDlgItem(mWindow, kViewerFollow)) {
        ::SendMessageW(button, BM_SETCHECK, following ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if (following && mShown != 0) {
        ::SendMessageW(mList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(mShown - 1), FALSE);
    }
}

std::optional<std::size_t> TraceViewerWindow::FocusedPosition() const
{
    auto position = static_cast<int>(::SendMessageW(mList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (position < 0) {
        position = static_cast<int>(::SendMessageW(mList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    if (position < 0 || static_cast<std::size_t>(position) >= mShown) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(position);
}

void TraceViewerWindow::SelectPosition(std::size_t position)
{
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(mList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(mList, LVM_SETITEMSTATE, position, reinterpret_cast<LPARAM>(&state));
    ::SendMessageW(mList, LVM_ENSUREVISIBLE, position, FALSE);
}

void TraceViewerWindow::Fold(bool fold)
{
    if (const std::optional<std::size_t> position = FocusedPosition()) {
        FoldAt(*position, fold, false);
    }
}

void TraceViewerWindow::FoldAt(std::size_t position, bool fold, bool toggle)
{
    if (position >= mShownLines.Size()) {
        return;
    }
    const std::uint64_t sequence = mShownLines.SequenceAt(position);
    FunctionScopes& scopes = mShownLines.Scopes();
    FunctionScopes::Scope* scope = scopes.At(sequence);
    if (scope != nullptr && !scopes.Foldable(*scope)) {
        scope = nullptr;
    }
    if (toggle && scope != nullptr) {
        fold = !scope->folded;
    }
    // Left on a line inside a scope, or on an entry already folded, folds the scope around it.
    if (fold && !toggle && (scope == nullptr || scope->folded)) {
        LineRecord record {};
        {
            const LineStore::Reading reading = mStore.Read();
            if (sequence < reading.First() || sequence - reading.First() >= reading.Size()) {
                return;
            }
            record = reading.Record(static_cast<std::size_t>(sequence - reading.First()));
        }
        scope = scopes.Enclosing(sequence, SenderOf(record));
        if (scope != nullptr && scope->folded) {
            scope = nullptr;
        }
    }
    if (scope == nullptr || scope->folded == fold) {
        return;
    }
    scopes.SetFolded(*scope, fold);
    const std::uint64_t entry = scope->entry;
    mShownLines.Refold();
    ShowChangedLines();
    if (const auto shown = mShownLines.PositionOf(entry)) {
        SelectPosition(*shown);
    }
}

void TraceViewerWindow::FoldAll(bool fold)
{
    mShownLines.Scopes().SetAllFolded(fold);
    mShownLines.Refold();
    ShowChangedLines();
}

void TraceViewerWindow::ApplyFind()
{
    mFindChanged = 0;
    mFinder.Set(WideToUtf8(WindowString(mFindEdit)), ::IsDlgButtonChecked(mWindow, kViewerMatchCase) == BST_CHECKED);
    mFinder.Update(mShownLines);
    if (!mFinder.Active()) {
        mFindStatus.clear();
    } else if (mFinder.Count() == 0) {
        mFindStatus = L"No match";
    } else {
        mFindStatus = L"Matches: " + std::to_wstring(mFinder.Count());
    }
    ::InvalidateRect(mList, nullptr, FALSE);
    UpdateStatus();
}

void TraceViewerWindow::FindNext(bool forward)
{
    if (mFindChanged != 0 || !mFinder.Active()) {
        ApplyFind();
    }
    if (!mFinder.Active()) {
        ::SetFocus(mFindEdit);
        return;
    }
    mFinder.Update(mShownLines);
    const std::optional<std::size_t> focused = FocusedPosition();
    // Without a chosen line, forward starts at the top and backward at the bottom.
    const std::uint64_t from = focused ? mShownLines.SequenceAt(*focused) : (forward ? ~std::uint64_t { 0 } : 0);
    const std::optional<std::uint64_t> match = mFinder.Next(from, forward);
    const std::optional<std::size_t> position = match ? mShownLines.PositionOf(*match) : std::nullopt;
    if (!position) {
        mFindStatus = L"No match";
        ::MessageBeep(MB_ICONINFORMATION);
    } else {
        SelectPosition(*position);
        mFindStatus
            = L"Match " + std::to_wstring(mFinder.NumberOf(*match)) + L" of " + std::to_wstring(mFinder.Count());
    }
    UpdateStatus();
}

void TraceViewerWindow::SetTimeMode(TimeMode mode)
{
    mSettings.timeMode = mode;
    static_cast<void>(SaveViewSettings(mSettings));
    ::InvalidateRect(mList, nullptr, FALSE);
}

void TraceViewerWindow::EditRules(bool filters)
{
    std::vector<TextRule>& rules = filters ? mSettings.filters : mSettings.highlights;
    const auto chosen = ShowRulesDialog(mInstance, mWindow, filters ? RuleKind::Filter : RuleKind::Highlight, rules);
    if (!chosen || *chosen == rules) {
        return;
    }
    rules = *chosen;
    static_cast<void>(SaveViewSettings(mSettings));
    if (filters) {
        mShownLines.SetFilters(rules);
        ShowChangedLines();
    } else {
        mShownLines.SetHighlights(rules);
        ::InvalidateRect(mList, nullptr, FALSE);
    }
}

void TraceViewerWindow::Clear()
{
    mStore.Clear();
    mShownLines.Clear();
    mRejected = 0;
    mShown = 0;
    mNextRefresh = 0;
    ::SendMessageW(mList, LVM_SETITEMCOUNT, 0, 0);
    if (mFinder.Active()) {
        mFinder.Update(mShownLines);
    }
    UpdateStatus();
}

void TraceViewerWindow::TogglePause()
{
    if (!Live()) {
        return;
    }
    mPaused = !mPaused;
    ::SetWindowTextW(::GetDlgItem(mWindow, kViewerPause), mPaused ? L"Resume" : L"Pause");
    OnTimer();
}

void TraceViewerWindow::ToggleCapture()
{
    if (!Live()) {
        return;
    }
    mSettings.capture = !mSettings.capture;
    static_cast<void>(SaveSettings(mSettings));
    if (mSettings.capture) {
        mLastCaptureTry = ::GetTickCount64();
        static_cast<void>(mCapture.Start());
    } else {
        mCapture.Stop();
    }
    UpdateStatus();
}

void TraceViewerWindow::SelectAll()
{
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    ::SendMessageW(mList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

std::vector<SequenceRange> TraceViewerWindow::ChosenLines() const
{
    // The selected lines, or every shown line when none is selected.
    std::vector<SequenceRange> ranges;
    const auto add = [&](std::uint64_t sequence) {
        if (!ranges.empty() && ranges.back().to == sequence) {
            ++ranges.back().to;
        } else {
            ranges.push_back({ sequence, sequence + 1 });
        }
    };
    int index = -1;
    while ((index = static_cast<int>(::SendMessageW(mList, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED)))
        != -1) {
        if (static_cast<std::size_t>(index) < mShownLines.Size()) {
            add(mShownLines.SequenceAt(static_cast<std::size_t>(index)));
        }
    }
    if (ranges.empty()) {
        for (std::size_t position = 0; position < std::min(mShown, mShownLines.Size()); ++position) {
            add(mShownLines.SequenceAt(position));
        }
    }
    return ranges;
}

void TraceViewerWindow::Copy()
{
    if (!CopyToClipboard(mWindow, FormatLines(mStore, ChosenLines()))) {
        ::MessageBeep(MB_ICONWARNING);
    }
}

void TraceViewerWindow::Save(bool all)
{
    wchar_t path[MAX_PATH] = L"trace.txt";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mWindow;
    dialog.lpstrTitle = all ? L"Save all lines" : L"Save the shown or selected lines";
    dialog.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameW(&dialog)) {
        return;
    }
    // Save all takes every held line, whatever the filters and folds show.
    const LineStore::Counts counts = mStore.GetCounts();
    const std::vector<SequenceRange> lines
        = all ? std::vector<SequenceRange> { { counts.first, counts.first + counts.size } } : ChosenLines();
    if (!SaveFileReplacing(path, FormatLines(mStore, lines))) {
        ::MessageBoxW(mWindow, L"The lines could not be saved.", kViewerTitle, MB_OK | MB_ICONERROR);
    }
}

void TraceViewerWindow::Open()
{
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mWindow;
    dialog.lpstrTitle = L"Open a saved log";
    dialog.lpstrFilter = L"Logs (*.log;*.txt)\0*.log;*.txt;*.log.*\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (::GetOpenFileNameW(&dialog)) {
        OpenInNewWindow(path);
    }
}

void TraceViewerWindow::LoadLog()
{
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    mStore.SetCapacity(ViewerSettings::kMaxHistoryLines);
    mRead = ReadLogFile(*mStart.openPath, mStore);
    RefreshList();
    SetFollowing(false);
    UpdateStatus();
}

void TraceViewerWindow::LogToFile()
{
    wchar_t path[MAX_PATH] = L"trace.log";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mWindow;
    dialog.lpstrTitle = L"Log to file";
    dialog.lpstrFilter = L"Log files (*.log)\0*.log\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"log";
    // An existing log is appended to, so there is nothing to confirm.
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (::GetSaveFileNameW(&dialog)) {
        mLog.Start(path, mLogLimitBytes);
        UpdateStatus();
    }
}

void TraceViewerWindow::EditSettings()
{
    if (!Live()) {
        return;
    }
    ViewerSettings shown = mSettings;
    shown.historyLines = static_cast<std::uint32_t>(mStore.Capacity());
    shown.logLimitMB = static_cast<std::uint32_t>(std::max<std::uint64_t>(mLogLimitBytes >> 20, 1));
    const std::optional<ViewerSettings> chosen = ShowSettingsDialog(mInstance, mWindow, shown);
    if (!chosen) {
        return;
    }
    mSettings.historyLines = chosen->historyLines;
    mSettings.logLimitMB = chosen->logLimitMB;
    static_cast<void>(SaveSettings(mSettings));
    mStore.SetCapacity(mSettings.historyLines);
    mLogLimitBytes = std::uint64_t { mSettings.logLimitMB } << 20;
    mLog.SetLimit(mLogLimitBytes);
    OnTimer();
}

std::wstring TraceViewerWindow::CaptureStatus() const
{
    if (!Live()) {
        if (mRead.error != 0) {
            return L"The log cannot be read: " + SystemMessage(mRead.error);
        }
        return L"Read " + std::to_wstring(mRead.lines) + L" lines, " + std::to_wstring(mRead.malformed)
            + L" not in the log format";
    }
    switch (mCapture.GetState()) {
    case DebugOutputCapture::State::Capturing:
        return kCaptureOnText;
    case DebugOutputCapture::State::TakenByOther:
        return kCaptureTakenText;
    case DebugOutputCapture::State::Failed:
        return L"Debug output cannot be captured: " + SystemMessage(mCapture.Error());
    default:
        return kCaptureOffText;
    }
}

std::wstring TraceViewerWindow::LogStatus() const
{
    const LogWriter::Status log = mLog.GetStatus();
    std::wstring text;
    if (log.active && log.error != 0) {
        text = L"The log cannot be written: " + log.path + L" (" + SystemMessage(log.error) + L")";
    } else if (log.active) {
        text = L"Logging to " + log.path;
    }
    if (log.unwritten != 0) {
        text += L"    Lines not logged: " + std::to_wstring(log.unwritten);
    }
    for (const std::wstring& argument : mStart.ignoredArguments) {
        text += (text.empty() ? L"Ignored: " : L"    Ignored: ") + argument;
    }
    return text;
}

void TraceViewerWindow::UpdateStatus()
{
    const LineStore::Counts counts = mStore.GetCounts();
    wchar_t text[160];
    if (Live()) {
        FormatBounded(text, std::size(text), L"Lines: %llu    Dropped: %llu    Rejected: %llu%ls",
            static_cast<unsigned long long>(counts.size), static_cast<unsigned long long>(counts.first), mRejected,
            mPaused ? L"    Paused" : L"");
    } else {
        FormatBounded(text, std::size(text), L"Lines: %llu", static_cast<unsigned long long>(counts.size));
    }
    SetStatusPart(kStatusCounts, text);
    SetStatusPart(kStatusCapture, CaptureStatus());
    SetStatusPart(kStatusFind, mFindStatus);
    SetStatusPart(kStatusLog, LogStatus());
}

void TraceViewerWindow::SetStatusPart(int part, const std::wstring& text)
{
    if (mStatusTexts[part] != text) {
        mStatusTexts[part] = text;
        ::SendMessageW(mStatus, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
    }
}
