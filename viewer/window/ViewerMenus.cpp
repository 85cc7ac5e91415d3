#include "viewer/window/ViewerMenus.h"

#include "foundation/resources/UniqueResource.h"
#include "viewer/window/ViewerControls.h"

#include <iterator>
#include <vector>

namespace tracing {

namespace {

// One item of a menu; id 0 is a separator.
struct MenuItem {
    int id;
    const wchar_t* text;
    bool liveOnly = false;
};
struct MenuRow {
    const wchar_t* title;
    std::vector<MenuItem> items;
    bool liveOnly = false;
};

const std::vector<MenuRow>& Menus()
{
    static const std::vector<MenuRow> menus = {
        { L"&File",
            { { kViewerOpen, L"&Open...\tCtrl+O" }, { kViewerFollowFile, L"Follow &file..." }, { 0, nullptr }, { kViewerLogToFile, L"&Log to file...", true },
                { kViewerStopLog, L"S&top logging", true }, { 0, nullptr, true }, { kViewerSave, L"&Save...\tCtrl+S" },
                { kViewerSaveAll, L"Save &all..." }, { 0, nullptr }, { kViewerSettings, L"Se&ttings...", true },
                { 0, nullptr, true }, { kViewerExit, L"E&xit" } } },
        { L"&Edit",
            { { kViewerCopy, L"&Copy\tCtrl+C" }, { kViewerSelectAll, L"Select &all\tCtrl+A" },
                { kViewerClear, L"C&lear\tCtrl+X" }, { 0, nullptr }, { kViewerFind, L"&Find...\tCtrl+F" },
                { kViewerFindNext, L"Find &next\tF3" }, { kViewerFindPrevious, L"Find &previous\tShift+F3" },
                { 0, nullptr }, { kViewerFilters, L"F&ilters..." }, { kViewerHighlights, L"&Highlights..." },
                { kViewerExportRules, L"&Export rules..." }, { kViewerImportRules, L"I&mport rules..." } } },
        { L"&View",
            { { kViewerFollow, L"&Follow new lines" }, { kViewerFollowEnd, L"Go to the &end and follow\tEnd" },
                { 0, nullptr }, { kViewerTimeClock, L"&Time of day" },
                { kViewerTimeSinceFirst, L"Time since the fir&st line" },
                { kViewerTimeSincePrevious, L"Time since the pre&vious line" }, { 0, nullptr },
                { kViewerFold, L"F&old scope\tLeft" }, { kViewerUnfold, L"&Unfold scope\tRight" },
                { kViewerFoldAll, L"Fold &all scopes" }, { kViewerUnfoldAll, L"Unfold all s&copes" },
                { kViewerScopeSummary, L"Scope su&mmary..." }, { 0, nullptr },
                { kViewerNewView, L"&New view\tCtrl+T" }, { kViewerRenameView, L"&Rename view..." },
                { kViewerNextView, L"Ne&xt view\tCtrl+Tab" }, { kViewerPreviousView, L"Previous view\tCtrl+Shift+Tab" },
                { kViewerCloseView, L"Close vie&w\tCtrl+W" }, { kViewerShowInAll, L"Show in A&ll\tCtrl+Enter" },
                { 0, nullptr }, { kViewerToggleMark, L"Toggle &bookmark\tCtrl+F2" },
                { kViewerNextMark, L"Ne&xt bookmark\tF2" }, { kViewerPreviousMark, L"Previous bookmark\tShift+F2" },
                { kViewerClearMarks, L"Clear boo&kmarks" } } },
        { L"&Capture", { { kViewerCapture, L"&Capture debug output" }, { kViewerPause, L"&Pause\tPause" } }, true },
    };
    return menus;
}

}  // namespace

HMENU CreateViewerMenu(bool live)
{
    resources::UniqueMenu bar(::CreateMenu());
    if (!bar) {
        return nullptr;
    }
    for (const MenuRow& row : Menus()) {
        if (row.liveOnly && !live) {
            continue;
        }
        resources::UniqueMenu popup(::CreatePopupMenu());
        if (!popup) {
            return nullptr;
        }
        for (const MenuItem& item : row.items) {
            if (!item.liveOnly || live) {
                ::AppendMenuW(
                    popup.get(), item.id == 0 ? MF_SEPARATOR : MF_STRING, static_cast<UINT_PTR>(item.id), item.text);
            }
        }
        // The bar owns the popup once it holds it.
        if (!::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), row.title)) {
            return nullptr;
        }
        static_cast<void>(popup.release());
    }
    return bar.release();
}

HACCEL CreateViewerAccelerators(bool inEdit)
{
    std::vector<ACCEL> keys = {
        { FVIRTKEY | FCONTROL, 'S', kViewerSave },
        { FVIRTKEY | FCONTROL, 'O', kViewerOpen },
        { FVIRTKEY | FCONTROL, 'F', kViewerFind },
        { FVIRTKEY, VK_F3, kViewerFindNext },
        { FVIRTKEY | FSHIFT, VK_F3, kViewerFindPrevious },
        { FVIRTKEY, VK_PAUSE, kViewerPause },
        { FVIRTKEY | FCONTROL, 'T', kViewerNewView },
        { FVIRTKEY | FCONTROL, 'W', kViewerCloseView },
        { FVIRTKEY | FCONTROL, VK_TAB, kViewerNextView },
        { FVIRTKEY | FCONTROL | FSHIFT, VK_TAB, kViewerPreviousView },
        { FVIRTKEY | FCONTROL, VK_F2, kViewerToggleMark },
        { FVIRTKEY, VK_F2, kViewerNextMark },
        { FVIRTKEY | FSHIFT, VK_F2, kViewerPreviousMark },
    };
    if (!inEdit) {
        keys.push_back({ FVIRTKEY | FCONTROL, 'C', kViewerCopy });
        keys.push_back({ FVIRTKEY | FCONTROL, 'A', kViewerSelectAll });
        keys.push_back({ FVIRTKEY | FCONTROL, 'X', kViewerClear });
        keys.push_back({ FVIRTKEY | FCONTROL, VK_RETURN, kViewerShowInAll });
    }
    return ::CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

}  // namespace tracing
