#include "viewer/window/TraceViewerWindow.h"

#include "foundation/text/FormatBounded.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/ViewerResources.h"
#include "viewer/log/LogFormat.h"
#include "viewer/records/ReceivedRecord.h"
#include "viewer/window/SettingsDialog.h"
#include "viewer/window/ViewerControls.h"

#include <commctrl.h>
#include <commdlg.h>

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

// Sizes at 96 DPI.
constexpr int kButtonBarHeight = 34;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 6;
constexpr int kStatusCountsWidth = 320;
constexpr int kStatusCaptureWidth = 300;

struct ButtonRow {
    int id;
    const wchar_t* text;
};
constexpr ButtonRow kButtons[] = {
    { kViewerClear, L"Clear" },
    { kViewerPause, L"Pause" },
    { kViewerCopy, L"Copy" },
    { kViewerSave, L"Save..." },
};

struct ColumnRow {
    ViewerColumn column;
    const wchar_t* title;
    int width;
};
constexpr ColumnRow kColumns[] = {
    { ViewerColumn::Time, L"Time", 95 },
    { ViewerColumn::Pid, L"PID", 55 },
    { ViewerColumn::Process, L"Process", 110 },
    { ViewerColumn::Kind, L"Kind", 65 },
    { ViewerColumn::Source, L"Source", 100 },
    { ViewerColumn::Text, L"Text", 520 },
};

// One menu of the bar; an item with id 0 is a separator.
struct MenuItem {
    int id;
    const wchar_t* text;
};
struct MenuRow {
    const wchar_t* title;
    std::vector<MenuItem> items;
};

const std::vector<MenuRow>& Menus()
{
    static const std::vector<MenuRow> menus = {
        { L"&File",
            { { kViewerLogToFile, L"&Log to file..." }, { kViewerStopLog, L"S&top logging" }, { 0, nullptr },
                { kViewerSave, L"&Save...\tCtrl+S" }, { 0, nullptr }, { kViewerSettings, L"Se&ttings..." },
                { 0, nullptr }, { kViewerExit, L"E&xit" } } },
        { L"&Edit", { { kViewerCopy, L"&Copy\tCtrl+C" }, { kViewerClear, L"C&lear\tCtrl+L" } } },
        { L"&Capture", { { kViewerCapture, L"&Capture debug output" }, { kViewerPause, L"&Pause\tPause" } } },
    };
    return menus;
}

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

}  // namespace

TraceViewerWindow::TraceViewerWindow(ViewerStart start)
    : mStore(start.historyLines)
    , mCapture([this](const JoinedLine& line) { mIntake.AddDebugLine(line); })
    , mStart(std::move(start))
    , mSettings(mStart.settings)
    , mLogLimitBytes(mStart.logLimitBytes)
{
}

HWND TraceViewerWindow::Create(HINSTANCE instance, int show)
{
    mInstance = instance;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TraceViewerWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = UTrace::kViewerClass;
    if (::RegisterClassExW(&windowClass) == 0) {
        return nullptr;
    }
    const UINT dpi = std::max<UINT>(::GetDpiForSystem(), 96);
    HWND window = ::CreateWindowExW(0, UTrace::kViewerClass, kViewerTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
        CW_USEDEFAULT, CW_USEDEFAULT, ::MulDiv(960, dpi, 96), ::MulDiv(540, dpi, 96), nullptr, nullptr, instance, this);
    if (window != nullptr) {
        ::ShowWindow(window, show);
        ::UpdateWindow(window);
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

LRESULT TraceViewerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
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
        OnCommand(LOWORD(wParam));
        return 0;
    case kFollowMessage:
        if (mFollowPending && mShown != 0) {
            ::SendMessageW(mList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(mShown - 1), FALSE);
        }
        mFollowPending = false;
        return 0;
    case WM_INITMENUPOPUP:
        OnInitMenu(reinterpret_cast<HMENU>(wParam));
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
    if (!CreateMenuBar()) {
        return false;
    }
    for (const ButtonRow& row : kButtons) {
        HWND button = ::CreateWindowExW(0, WC_BUTTONW, row.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
            0, 0, 0, mWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), mInstance, nullptr);
        if (button == nullptr) {
            return false;
        }
        mButtons.push_back(button);
    }
    mList = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0, 0, mWindow,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerList)), mInstance, nullptr);
    mStatus = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, mWindow,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerStatus)), mInstance, nullptr);
    if (mList == nullptr || mStatus == nullptr) {
        return false;
    }
    ListView_SetExtendedListViewStyle(mList, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    int index = 0;
    for (const ColumnRow& row : kColumns) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(row.title);
        column.cx = Scale(row.width);
        column.iSubItem = static_cast<int>(row.column);
        ::SendMessageW(mList, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&column));
    }
    ApplyFont();
    LayoutButtons();
    // The parts first: text for a part that does not exist yet is lost.
    SetStatusParts();

    if (mStart.logPath) {
        mLog.Start(*mStart.logPath, mLogLimitBytes);
    }
    if (mSettings.capture) {
        static_cast<void>(mCapture.Start());
        mLastCaptureTry = ::GetTickCount64();
    }
    UpdateStatus();
    return ::SetTimer(mWindow, kRefreshTimer, kRefreshMs, nullptr) != 0;
}

bool TraceViewerWindow::CreateMenuBar()
{
    viewer_resources::UniqueMenu bar(::CreateMenu());
    if (!bar) {
        return false;
    }
    for (const MenuRow& row : Menus()) {
        viewer_resources::UniqueMenu popup(::CreatePopupMenu());
        if (!popup) {
            return false;
        }
        for (const MenuItem& item : row.items) {
            ::AppendMenuW(
                popup.get(), item.id == 0 ? MF_SEPARATOR : MF_STRING, static_cast<UINT_PTR>(item.id), item.text);
        }
        // The bar owns the popup once it holds it.
        if (!::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), row.title)) {
            return false;
        }
        static_cast<void>(popup.release());
    }
    if (!::SetMenu(mWindow, bar.get())) {
        return false;
    }
    static_cast<void>(bar.release());  // the window's now, destroyed with it
    return true;
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
    for (HWND control : mButtons) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    ::SendMessageW(mList, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(mStatus, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TraceViewerWindow::LayoutButtons()
{
    int x = Scale(kButtonGap);
    for (HWND button : mButtons) {
        ::MoveWindow(button, x, Scale(5), Scale(kButtonWidth), Scale(kButtonHeight), TRUE);
        x += Scale(kButtonWidth + kButtonGap);
    }
}

void TraceViewerWindow::SetStatusParts()
{
    const int parts[] = { Scale(kStatusCountsWidth), Scale(kStatusCountsWidth + kStatusCaptureWidth), -1 };
    ::SendMessageW(mStatus, SB_SETPARTS, std::size(parts), reinterpret_cast<LPARAM>(parts));
}

void TraceViewerWindow::OnSize(int width, int height)
{
    ::SendMessageW(mStatus, WM_SIZE, 0, 0);
    SetStatusParts();
    RECT status = {};
    ::GetWindowRect(mStatus, &status);
    const int bar = Scale(kButtonBarHeight);
    const int listHeight = std::max(0, height - bar - static_cast<int>(status.bottom - status.top));
    ::MoveWindow(mList, 0, bar, width, listHeight, TRUE);

    // The text column takes whatever width the others leave.
    int fixed = 0;
    for (const ColumnRow& row : kColumns) {
        fixed += row.column == ViewerColumn::Text ? 0 : Scale(row.width);
    }
    const int textWidth = std::max(Scale(kColumns[static_cast<int>(ViewerColumn::Text)].width),
        width - fixed - ::GetSystemMetricsForDpi(SM_CXVSCROLL, mDpi) - Scale(4));
    ::SendMessageW(mList, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(ViewerColumn::Text), textWidth);
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
    ApplyFont();
    LayoutButtons();
    ::SetWindowPos(mWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
        suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TraceViewerWindow::OnCopyData(WPARAM sender, const COPYDATASTRUCT* data)
{
    // Only appended here: the list catches up on the next timer tick.
    const auto record = data != nullptr ? CheckRecord(data->dwData, data->cbData, data->lpData) : std::nullopt;
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
    KeepCapturing();
    const ULONGLONG tick = ::GetTickCount64();
    if (tick - mLastSweep >= DebugOutputCapture::kSweepMs) {
        mSenderNames.Sweep(tick);
        mLastSweep = tick;
    }
    UpdateStatus();
}

void TraceViewerWindow::RefreshList()
{
    const LineStore::Counts counts = mStore.GetCounts();
    const ULONGLONG now = ::GetTickCount64();
    if ((counts.first == mShownFirst && counts.size == mShown) || now < mNextRefresh) {
        return;
    }
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    // Follow new lines only while the last line is in sight.
    const auto top = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETTOPINDEX, 0, 0));
    const auto perPage = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETCOUNTPERPAGE, 0, 0));
    const bool following = mShown == 0 || top + perPage >= mShown;
    // Dropped lines shift every row: then the whole list is drawn again.
    const bool shifted = counts.first != mShownFirst;
    ::SendMessageW(mList, LVM_SETITEMCOUNT, static_cast<WPARAM>(counts.size),
        shifted ? 0 : LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    mShownFirst = counts.first;
    mShown = counts.size;
    if (following && counts.size != 0 && !mFollowPending) {
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
    if (header != nullptr && header->hwndFrom == mList && header->code == LVN_GETDISPINFOW) {
        CellText(*reinterpret_cast<NMLVDISPINFOW*>(header));
    }
    return 0;
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
    const LineStore::Reading reading = mStore.Read();
    const std::uint64_t sequence = mShownFirst + static_cast<std::uint64_t>(item.iItem);
    if (sequence < reading.First() || sequence - reading.First() >= reading.Size()) {
        return;  // dropped since the list was last refreshed
    }
    const LineRecord& record = reading.Record(static_cast<std::size_t>(sequence - reading.First()));
    mCellBytes.clear();
    std::string_view text;
    switch (static_cast<ViewerColumn>(item.iSubItem)) {
    case ViewerColumn::Time:
        // The day is in the log; the list shows the time of day.
        AppendTime(mCellBytes, record.time);
        text = std::string_view(mCellBytes).substr(11);
        break;
    case ViewerColumn::Pid:
        mCellBytes = record.pid != 0 ? std::to_string(record.pid) : std::string();
        text = mCellBytes;
        break;
    case ViewerColumn::Process:
        text = reading.Process(record);
        break;
    case ViewerColumn::Kind:
        mCellBytes = KindName(record.origin, record.kind);
        text = mCellBytes;
        break;
    case ViewerColumn::Source:
        text = reading.Source(record);
        break;
    default:
        text = reading.Text(record);
        break;
    }
    Utf8IntoBuffer(text, item.pszText, item.cchTextMax);
}

void TraceViewerWindow::OnCommand(int id)
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
    case kViewerSave:
        Save();
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
    default:
        break;
    }
}

void TraceViewerWindow::OnInitMenu(HMENU menu)
{
    ::CheckMenuItem(menu, kViewerCapture, MF_BYCOMMAND | (mSettings.capture ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(menu, kViewerPause, MF_BYCOMMAND | (mPaused ? MF_CHECKED : MF_UNCHECKED));
    ::EnableMenuItem(menu, kViewerStopLog, MF_BYCOMMAND | (mLog.GetStatus().active ? MF_ENABLED : MF_GRAYED));
}

void TraceViewerWindow::OnDestroy()
{
    ::KillTimer(mWindow, kRefreshTimer);
    // Held debug output becomes lines first, so that the log gets them too.
    mCapture.Stop();
    mLog.Stop();
    ::PostQuitMessage(0);
}

void TraceViewerWindow::Clear()
{
    mStore.Clear();
    mRejected = 0;
    mShown = 0;
    mShownFirst = 0;
    mNextRefresh = 0;
    ::SendMessageW(mList, LVM_SETITEMCOUNT, 0, 0);
    UpdateStatus();
}

void TraceViewerWindow::TogglePause()
{
    mPaused = !mPaused;
    ::SetWindowTextW(::GetDlgItem(mWindow, kViewerPause), mPaused ? L"Resume" : L"Pause");
    OnTimer();
}

void TraceViewerWindow::ToggleCapture()
{
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

std::vector<SequenceRange> TraceViewerWindow::ChosenLines() const
{
    // The selected lines, or every shown line when none is selected.
    std::vector<SequenceRange> ranges;
    int index = -1;
    while ((index = static_cast<int>(::SendMessageW(mList, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_SELECTED)))
        != -1) {
        const std::uint64_t sequence = mShownFirst + static_cast<std::uint64_t>(index);
        if (!ranges.empty() && ranges.back().to == sequence) {
            ++ranges.back().to;
        } else {
            ranges.push_back({ sequence, sequence + 1 });
        }
    }
    if (ranges.empty()) {
        ranges.push_back({ mShownFirst, mShownFirst + mShown });
    }
    return ranges;
}

void TraceViewerWindow::Copy()
{
    if (!CopyToClipboard(mWindow, FormatLines(mStore, ChosenLines()))) {
        ::MessageBeep(MB_ICONWARNING);
    }
}

void TraceViewerWindow::Save()
{
    wchar_t path[MAX_PATH] = L"trace.txt";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mWindow;
    dialog.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameW(&dialog)) {
        return;
    }
    if (!SaveToFile(path, FormatLines(mStore, ChosenLines()))) {
        ::MessageBoxW(mWindow, L"The lines could not be saved.", kViewerTitle, MB_OK | MB_ICONERROR);
    }
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
    FormatBounded(text, std::size(text), L"Lines: %llu    Dropped: %llu    Rejected: %llu%ls",
        static_cast<unsigned long long>(counts.size), static_cast<unsigned long long>(counts.first), mRejected,
        mPaused ? L"    Paused" : L"");
    SetStatusPart(kStatusCounts, text);
    SetStatusPart(kStatusCapture, CaptureStatus());
    SetStatusPart(kStatusLog, LogStatus());
}

void TraceViewerWindow::SetStatusPart(int part, const std::wstring& text)
{
    if (mStatusTexts[part] != text) {
        mStatusTexts[part] = text;
        ::SendMessageW(mStatus, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
    }
}
