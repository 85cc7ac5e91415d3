#include "viewer/window/CommandBar.h"

#include "viewer/window/ViewerControls.h"

#include <commctrl.h>

#include <iterator>

namespace tracing {

namespace {

constexpr int kControlHeight = 24;
constexpr int kGap = 6;

struct BarControl {
    int id;
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    int width;  // at 96 DPI
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

int Scale(int pixels, UINT dpi)
{
    return ::MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

}  // namespace

bool CommandBar::Create(HWND parent, HINSTANCE instance, bool live)
{
    for (const BarControl& row : kBarControls) {
        HWND control = nullptr;
        if (!row.liveOnly || live) {
            control = ::CreateWindowExW(row.id == kViewerFindText ? WS_EX_CLIENTEDGE : 0, row.windowClass, row.text,
                WS_CHILD | WS_VISIBLE | row.style, 0, 0, 0, 0, parent,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
            if (control == nullptr) {
                return false;
            }
        }
        mControls.push_back(control);
        if (row.id == kViewerFindText) {
            mFindBox = control;
        }
    }
    return true;
}

void CommandBar::Layout(UINT dpi) const
{
    int x = Scale(kGap, dpi);
    for (std::size_t i = 0; i < mControls.size(); ++i) {
        if (mControls[i] != nullptr) {
            ::MoveWindow(mControls[i], x, Scale(5, dpi), Scale(kBarControls[i].width, dpi),
                Scale(kControlHeight, dpi), TRUE);
            x += Scale(kBarControls[i].width + kGap, dpi);
        }
    }
}

int CommandBar::Width(UINT dpi) const
{
    int width = Scale(kGap, dpi);
    for (std::size_t i = 0; i < std::size(kBarControls); ++i) {
        if (i < mControls.size() && mControls[i] != nullptr) {
            width += Scale(kBarControls[i].width + kGap, dpi);
        }
    }
    return width;
}

}  // namespace tracing
