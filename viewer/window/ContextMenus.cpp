#include "viewer/window/ContextMenus.h"

#include "foundation/resources/UniqueResource.h"
#include "viewer/window/ViewerControls.h"

#include <string>

namespace tracing {

namespace {

// A program's name may hold "&", which a menu would read as a mnemonic.
std::wstring MenuText(const std::wstring& text)
{
    std::wstring escaped;
    for (const wchar_t c : text) {
        escaped += c;
        if (c == L'&') {
            escaped += L'&';
        }
    }
    return escaped;
}

int Track(HWND owner, const resources::UniqueMenu& menu, POINT screen)
{
    return static_cast<int>(::TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0, owner, nullptr));
}

}  // namespace

int ShowLineMenu(HWND owner, const ViewerSession& session, std::optional<std::size_t> position, POINT screen)
{
    resources::UniqueMenu menu(::CreatePopupMenu());
    if (!menu) {
        return 0;
    }
    const std::optional<LineView> line = position ? session.LineAt(*position) : std::nullopt;
    bool any = false;
    for (int rule = 0; line && rule < static_cast<int>(QuickRule::Count); ++rule) {
        const std::wstring label = QuickRuleLabel(static_cast<QuickRule>(rule), *line);
        if (!label.empty()) {
            ::AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(kViewerQuickRule + rule), MenuText(label).c_str());
            any = true;
        }
    }
    if (any) {
        ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    }
    const UINT onLine = line ? MF_STRING : MF_STRING | MF_GRAYED;
    ::AppendMenuW(menu.get(), session.CurrentView() != 0 ? onLine : MF_STRING | MF_GRAYED, kViewerShowInAll,
        L"Show in &All\tCtrl+Enter");
    ::AppendMenuW(menu.get(), onLine, kViewerToggleMark, L"Toggle &bookmark\tCtrl+F2");
    ::AppendMenuW(menu.get(), onLine, kViewerCopy, L"&Copy\tCtrl+C");
    return Track(owner, menu, screen);
}

int ShowTabMenu(HWND owner, bool closable, POINT screen)
{
    resources::UniqueMenu menu(::CreatePopupMenu());
    if (!menu) {
        return 0;
    }
    const UINT state = closable ? MF_STRING : MF_STRING | MF_GRAYED;
    ::AppendMenuW(menu.get(), state, kViewerRenameView, L"&Rename...");
    ::AppendMenuW(menu.get(), state, kViewerCloseView, L"&Close\tCtrl+W");
    return Track(owner, menu, screen);
}

}  // namespace tracing
