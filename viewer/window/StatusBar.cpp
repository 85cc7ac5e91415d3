#include "viewer/window/StatusBar.h"

#include "viewer/window/ViewerControls.h"

#include <commctrl.h>

#include <iterator>

namespace tracing {

namespace {

// Widths of the parts at 96 DPI; the last takes the rest.
constexpr int kWidths[] = { 420, 300, 170 };
static_assert(std::size(kWidths) + 1 == kStatusParts);

}  // namespace

bool StatusBar::Create(HWND parent, HINSTANCE instance)
{
    mBar = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerStatus)), instance, nullptr);
    return mBar != nullptr;
}

int StatusBar::Size(UINT dpi)
{
    ::SendMessageW(mBar, WM_SIZE, 0, 0);
    int parts[kStatusParts];
    int right = 0;
    for (std::size_t i = 0; i < std::size(kWidths); ++i) {
        parts[i] = right += ::MulDiv(kWidths[i], static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    }
    parts[kStatusParts - 1] = -1;
    // The parts before any text: text for a part that does not exist yet is lost.
    ::SendMessageW(mBar, SB_SETPARTS, kStatusParts, reinterpret_cast<LPARAM>(parts));
    RECT bar = {};
    ::GetWindowRect(mBar, &bar);
    return static_cast<int>(bar.bottom - bar.top);
}

void StatusBar::Show(const std::array<std::wstring, kStatusParts>& texts)
{
    for (std::size_t part = 0; part < texts.size(); ++part) {
        if (mTexts[part] != texts[part]) {
            mTexts[part] = texts[part];
            ::SendMessageW(mBar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(mTexts[part].c_str()));
        }
    }
}

}  // namespace tracing
