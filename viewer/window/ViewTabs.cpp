#include "viewer/window/ViewTabs.h"

#include "viewer/window/ViewerControls.h"

#include <commctrl.h>

#include <vector>

namespace tracing {

bool ViewTabs::Create(HWND parent, HINSTANCE instance)
{
    mTabs = ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FOCUSNEVER, 0, 0, 0,
        0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewerTabs)), instance, nullptr);
    return mTabs != nullptr;
}

int ViewTabs::Height() const
{
    RECT tab = {};
    if (TabCtrl_GetItemCount(mTabs) == 0 || !TabCtrl_GetItemRect(mTabs, 0, &tab)) {
        return 0;
    }
    const int rows = std::max(TabCtrl_GetRowCount(mTabs), 1);
    return rows * (tab.bottom - tab.top) + 4;
}

void ViewTabs::Sync(const ViewerSession& session)
{
    const int count = static_cast<int>(session.ViewCount());
    for (int index = 0; index < count; ++index) {
        std::vector<wchar_t> name(session.ViewName(static_cast<std::size_t>(index)).begin(),
            session.ViewName(static_cast<std::size_t>(index)).end());
        name.push_back(L'\0');
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = name.data();
        if (index < TabCtrl_GetItemCount(mTabs)) {
            TabCtrl_SetItem(mTabs, index, &item);
        } else {
            TabCtrl_InsertItem(mTabs, index, &item);
        }
    }
    while (TabCtrl_GetItemCount(mTabs) > count) {
        TabCtrl_DeleteItem(mTabs, TabCtrl_GetItemCount(mTabs) - 1);
    }
    TabCtrl_SetCurSel(mTabs, static_cast<int>(session.CurrentView()));
}

std::size_t ViewTabs::Chosen() const
{
    return static_cast<std::size_t>(std::max(TabCtrl_GetCurSel(mTabs), 0));
}

std::optional<std::size_t> ViewTabs::TabAt(POINT screen) const
{
    TCHITTESTINFO hit = {};
    hit.pt = screen;
    ::ScreenToClient(mTabs, &hit.pt);
    const int index = TabCtrl_HitTest(mTabs, &hit);
    return index >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(index)) : std::nullopt;
}

}  // namespace tracing
