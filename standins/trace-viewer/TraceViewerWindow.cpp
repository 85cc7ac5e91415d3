#include "standins/trace-viewer/TraceViewerWindow.h"

#include "foundation/resources/UniqueResource.h"
#include "foundation/text/FormatBounded.h"
#include "foundation/trace/TraceProtocol.h"
#include "standins/trace-viewer/ViewerControls.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 100;
constexpr int kButtonBarHeight = 34;

struct GlobalMemTraits {
    using type = HGLOBAL;
    static HGLOBAL Empty() noexcept { return nullptr; }
    static void Close(HGLOBAL memory) noexcept { ::GlobalFree(memory); }
};
using UniqueGlobalMem = resources::UniqueResource<GlobalMemTraits>;

struct ButtonRow {
    int id;
    const wchar_t* text;
};
constexpr ButtonRow kButtons[] = {
    {kViewerClear, L"Clear"},
    {kViewerPause, L"Pause"},
    {kViewerCopy, L"Copy"},
    {kViewerSave, L"Save..."},
};

struct ColumnRow {
    ViewerColumn column;
    const wchar_t* title;
    int width;
};
constexpr ColumnRow kColumns[] = {
    {ViewerColumn::Time, L"Time received", 95},  {ViewerColumn::Process, L"Process", 65},
    {ViewerColumn::Kind, L"Kind", 70},           {ViewerColumn::Source, L"Source", 110},
    {ViewerColumn::Text, L"Text", 560},
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

}  // namespace

HWND TraceViewerWindow::Create(HINSTANCE instance, int show)
{
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
    HWND window = ::CreateWindowExW(0, UTrace::kViewerClass, kViewerTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 960, 540, nullptr, nullptr, instance, this);
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
    case WM_DESTROY:
        ::KillTimer(mWindow, kRefreshTimer);
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(mWindow, message, wParam, lParam);
    }
}

bool TraceViewerWindow::OnCreate()
{
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(mWindow, GWLP_HINSTANCE));
    const auto font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    int x = 6;
    for (const ButtonRow& row : kButtons) {
        HWND button = ::CreateWindowExW(0, WC_BUTTONW, row.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                        x, 5, 80, 24, mWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                        instance, nullptr);
        if (button == nullptr) {
            return false;
        }
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        mButtons.push_back(button);
        x += 86;
    }

    mList = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0,
                              kButtonBarHeight, 100, 100, mWindow,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerList)), instance, nullptr);
    mStatus = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, mWindow,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerStatus)), instance, nullptr);
    if (mList == nullptr || mStatus == nullptr) {
        return false;
    }
    ListView_SetExtendedListViewStyle(mList, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    int index = 0;
    for (const ColumnRow& row : kColumns) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(row.title);
        column.cx = row.width;
        column.iSubItem = static_cast<int>(row.column);
        ::SendMessageW(mList, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&column));
    }
    UpdateStatus();
    return ::SetTimer(mWindow, kRefreshTimer, kRefreshMs, nullptr) != 0;
}

void TraceViewerWindow::OnSize(int width, int height)
{
    ::SendMessageW(mStatus, WM_SIZE, 0, 0);
    RECT status = {};
    ::GetWindowRect(mStatus, &status);
    const int listHeight = std::max(0, height - kButtonBarHeight - static_cast<int>(status.bottom - status.top));
    ::MoveWindow(mList, 0, kButtonBarHeight, width, listHeight, TRUE);

    // The text column takes whatever width the others leave.
    int fixed = 0;
    for (const ColumnRow& row : kColumns) {
        fixed += row.column == ViewerColumn::Text ? 0 : row.width;
    }
    const int textWidth = std::max(kColumns[static_cast<int>(ViewerColumn::Text)].width,
                                   width - fixed - ::GetSystemMetrics(SM_CXVSCROLL) - 4);
    ::SendMessageW(mList, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(ViewerColumn::Text), textWidth);
}

LRESULT TraceViewerWindow::OnCopyData(WPARAM sender, const COPYDATASTRUCT* data)
{
    // Only appended here: the list catches up on the next timer tick.
    const auto record = data != nullptr ? CheckRecord(data->dwData, data->cbData, data->lpData) : std::nullopt;
    if (!record) {
        mStore.CountRejected();
        return FALSE;
    }
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    mStore.Add(MakeLine(*record, now, SenderProcess(sender)));
    return TRUE;
}

void TraceViewerWindow::OnTimer()
{
    if (!mPaused) {
        const std::size_t dropped = mStore.TakeDropped();
        const std::size_t size = mStore.Size();
        if (size != mShown || dropped != 0) {
            // Follow new lines only while the last line is in sight.
            const auto top = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETTOPINDEX, 0, 0));
            const auto perPage = static_cast<std::size_t>(::SendMessageW(mList, LVM_GETCOUNTPERPAGE, 0, 0));
            const bool following = mShown == 0 || top + perPage >= mShown;
            ::SendMessageW(mList, LVM_SETITEMCOUNT, static_cast<WPARAM>(size),
                           dropped != 0 ? 0 : LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
            mShown = size;
            if (following && size != 0) {
                ::SendMessageW(mList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(size - 1), FALSE);
            }
        }
    }
    UpdateStatus();
}

LRESULT TraceViewerWindow::OnNotify(NMHDR* header)
{
    if (header == nullptr || header->hwndFrom != mList || header->code != LVN_GETDISPINFOW) {
        return 0;
    }
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    LVITEMW& item = info->item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return 0;
    }
    const auto row = static_cast<std::size_t>(item.iItem);
    if (item.iItem < 0 || row >= mShown || row >= mStore.Size() || item.iSubItem < 0 ||
        item.iSubItem >= static_cast<int>(ViewerColumn::Count)) {
        item.pszText[0] = L'\0';
        return 0;
    }
    mCellText = ColumnText(mStore.Lines()[row], static_cast<ViewerColumn>(item.iSubItem));
    const std::size_t copied = mCellText.copy(item.pszText, static_cast<std::size_t>(item.cchTextMax) - 1);
    item.pszText[copied] = L'\0';
    return 0;
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
    default:
        break;
    }
}

void TraceViewerWindow::Clear()
{
    mStore.Clear();
    mShown = 0;
    ::SendMessageW(mList, LVM_SETITEMCOUNT, 0, 0);
    UpdateStatus();
}

void TraceViewerWindow::TogglePause()
{
    mPaused = !mPaused;
    ::SetWindowTextW(::GetDlgItem(mWindow, kViewerPause), mPaused ? L"Resume" : L"Pause");
    OnTimer();
}

std::vector<std::size_t> TraceViewerWindow::ChosenRows() const
{
    // The selected lines, or every shown line when none is selected.
    std::vector<std::size_t> rows;
    int index = -1;
    while ((index = static_cast<int>(::SendMessageW(mList, LVM_GETNEXTITEM, static_cast<WPARAM>(index),
                                                    LVNI_SELECTED))) != -1) {
        rows.push_back(static_cast<std::size_t>(index));
    }
    if (rows.empty()) {
        for (std::size_t row = 0; row < std::min(mShown, mStore.Size()); ++row) {
            rows.push_back(row);
        }
    }
    return rows;
}

void TraceViewerWindow::Copy()
{
    const std::wstring text = LinesAsText(mStore.Lines(), ChosenRows());
    UniqueGlobalMem memory(::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (!memory) {
        return;
    }
    auto* target = static_cast<wchar_t*>(::GlobalLock(memory.get()));
    if (target == nullptr) {
        return;
    }
    text.copy(target, text.size());
    target[text.size()] = L'\0';
    ::GlobalUnlock(memory.get());
    if (!::OpenClipboard(mWindow)) {
        return;
    }
    ::EmptyClipboard();
    // The clipboard owns the memory once it has taken it.
    if (::SetClipboardData(CF_UNICODETEXT, memory.get()) != nullptr) {
        static_cast<void>(memory.release());
    }
    ::CloseClipboard();
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
    if (!SaveLines(path, mStore.Lines(), ChosenRows())) {
        ::MessageBoxW(mWindow, L"The lines could not be saved.", kViewerTitle, MB_OK | MB_ICONERROR);
    }
}

void TraceViewerWindow::UpdateStatus()
{
    wchar_t text[128];
    FormatBounded(text, 128, L"Lines: %llu    Rejected: %llu%ls", static_cast<unsigned long long>(mStore.Size()),
                  mStore.Rejected(), mPaused ? L"    Paused" : L"");
    if (mStatusText != text) {
        mStatusText = text;
        ::SendMessageW(mStatus, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    }
}
