// The commands of the viewer's window: menus, buttons, keys and dropped files.
#include "viewer/window/TraceViewerWindow.h"

#include "foundation/errors/TalvaneException.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"
#include "foundation/ui/Notification.h"
#include "viewer/window/Clipboard.h"
#include "viewer/window/ContextMenus.h"
#include "viewer/window/FileDialogs.h"
#include "viewer/window/RenameViewDialog.h"
#include "viewer/window/RuleDialogs.h"
#include "viewer/window/SavedLogWindows.h"
#include "viewer/window/ScopeSummaryDialog.h"
#include "viewer/window/SettingsDialog.h"
#include "viewer/window/ViewerControls.h"

#include <shellapi.h>
#include <windowsx.h>

#include <functional>

namespace tracing {

void TraceViewerWindow::OnCommand(int id, int code)
{
    switch (id) {
    case kViewerClear:
        mSession.Clear();
        break;
    case kViewerPause:
        mSession.TogglePause();
        ::SetDlgItemTextW(Window(), kViewerPause, mSession.Paused() ? L"Resume" : L"Pause");
        break;
    case kViewerCopy:
        Copy();
        break;
    case kViewerSelectAll:
        mList.SelectAll();
        break;
    case kViewerSave:
    case kViewerSaveAll:
        Save(id == kViewerSaveAll);
        break;
    case kViewerOpen:
    case kViewerFollowFile:
    case kViewerLogToFile:
    case kViewerExportRules:
    case kViewerImportRules:
        ChooseFile(id);
        break;
    case kViewerStopLog:
        mSession.StopLog();
        break;
    case kViewerCapture:
        mSession.SetCapture(!mSession.CaptureWanted());
        break;
    case kViewerSettings:
        EditSettings();
        break;
    case kViewerExit:
        ::DestroyWindow(Window());
        break;
    case kViewerFind:
        ::SetFocus(mBar.FindBox());
        ::SendMessageW(mBar.FindBox(), EM_SETSEL, 0, -1);
        break;
    case kViewerFindText:
        if (code == EN_CHANGE) {
            Find(id);
        }
        break;
    case kViewerMatchCase:
    case IDOK:  // Enter in the find box
    case kViewerFindNext:
    case kViewerFindPrevious:
        Find(id);
        break;
    case IDCANCEL:  // Escape: back to the list
        ::SetFocus(mList.Handle());
        break;
    case kViewerFilters:
    case kViewerHighlights:
        EditRules(id == kViewerFilters);
        break;
    case kViewerFollow:
    case kViewerFollowEnd:
        mSession.SetFollowing(id == kViewerFollowEnd || !mSession.Following());
        break;
    case kViewerTimeClock:
    case kViewerTimeSinceFirst:
    case kViewerTimeSincePrevious:
        mSession.SetTimeMode(static_cast<TimeMode>(id - kViewerTimeClock));
        break;
    case kViewerFold:
    case kViewerUnfold:
        if (const std::optional<std::size_t> position = mList.Focused()) {
            mSession.Fold(*position, id == kViewerFold);
        }
        break;
    case kViewerFoldAll:
    case kViewerUnfoldAll:
        mSession.FoldAll(id == kViewerFoldAll);
        break;
    case kViewerScopeSummary:
        ShowScopeSummary();
        break;
    default:
        OnViewCommand(id);
        break;
    }
}

void TraceViewerWindow::OnViewCommand(int id)
{
    const std::size_t menuTab = mMenuTab.value_or(mSession.CurrentView());
    mMenuTab.reset();
    switch (id) {
    case kViewerNewView:
        mSession.NewView();
        break;
    case kViewerCloseView:
        if (!mSession.CloseView(menuTab)) {
            mSession.Note(L"All cannot be closed");
            ::MessageBeep(MB_ICONWARNING);
        }
        break;
    case kViewerRenameView:
        RenameView(menuTab);
        break;
    case kViewerShowInAll:
        mSession.ShowInAll(mList.Focused());
        break;
    case kViewerNextView:
    case kViewerPreviousView: {
        const std::size_t count = mSession.ViewCount();
        const std::size_t step = id == kViewerNextView ? 1 : count - 1;
        mSession.SwitchView((mSession.CurrentView() + step) % count, mList.Focused());
        break;
    }
    case kViewerToggleMark:
        mSession.ToggleMarks(ChosenLines());
        break;
    case kViewerNextMark:
    case kViewerPreviousMark:
        mSession.NextMark(id == kViewerNextMark, mList.Focused());
        break;
    case kViewerClearMarks:
        mSession.ClearMarks();
        break;
    default:
        if (id >= kViewerQuickRule && id < kViewerQuickRule + static_cast<int>(QuickRule::Count)) {
            if (const std::optional<std::size_t> position = mList.Focused()) {
                static_cast<void>(mSession.AddQuickRule(static_cast<QuickRule>(id - kViewerQuickRule), *position));
            }
        }
        break;
    }
}

std::vector<std::size_t> TraceViewerWindow::ChosenLines() const
{
    std::vector<std::size_t> chosen = mList.Selected();
    if (chosen.empty()) {
        if (const std::optional<std::size_t> focused = mList.Focused()) {
            chosen.push_back(*focused);
        }
    }
    return chosen;
}

void TraceViewerWindow::RenameView(std::size_t index)
{
    if (index == 0 || index >= mSession.ViewCount()) {
        mSession.Note(L"All keeps its name");
        return;
    }
    if (const auto name = AskViewName(mInstance, Window(), mSession.ViewName(index))) {
        static_cast<void>(mSession.RenameView(index, *name));
    }
}

void TraceViewerWindow::ShowContextMenu(HWND from, POINT screen)
{
    if (from == mTabs.Handle()) {
        const std::optional<std::size_t> tab = mTabs.TabAt(screen);
        if (!tab) {
            return;
        }
        mSession.SwitchView(*tab, mList.Focused());
        Draw(mSession.TakeChanges());
        const int command = ShowTabMenu(Window(), *tab != 0, screen);
        if (command != 0) {
            mMenuTab = tab;
            OnCommand(command, 0);
        }
        return;
    }
    if (from != mList.Handle()) {
        return;
    }
    std::optional<std::size_t> position = mList.Focused();
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard (Shift+F10, the menu key): beside the focused line.
        RECT row = {};
        row.left = LVIR_BOUNDS;
        if (position && ::SendMessageW(mList.Handle(), LVM_GETITEMRECT, *position, reinterpret_cast<LPARAM>(&row))) {
            screen = { row.left + Scale(24), row.bottom };
        } else {
            screen = {};
        }
        ::ClientToScreen(mList.Handle(), &screen);
    } else {
        // A right-click chooses the line under it first, as Explorer does.
        LVHITTESTINFO hit = {};
        hit.pt = screen;
        ::ScreenToClient(mList.Handle(), &hit.pt);
        const int item = static_cast<int>(::SendMessageW(mList.Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        position = item >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(item)) : std::nullopt;
    }
    const int command = ShowLineMenu(Window(), mSession, position, screen);
    if (command != 0) {
        OnCommand(command, 0);
    }
}

void TraceViewerWindow::OnTabsNotify(LPARAM notification)
{
    const NMHDR header = ui::ReadNotification<NMHDR>(notification);
    if (header.code == TCN_SELCHANGE) {
        mSession.SwitchView(mTabs.Chosen(), mList.Focused());
        Draw(mSession.TakeChanges());
    } else if (header.code == NM_RCLICK) {
        const DWORD at = ::GetMessagePos();
        ShowContextMenu(mTabs.Handle(), { GET_X_LPARAM(at), GET_Y_LPARAM(at) });
        Draw(mSession.TakeChanges());
    }
}

void TraceViewerWindow::Find(int id)
{
    const std::string text = unicode::wide_to_utf8(ui::WindowText(mBar.FindBox()));
    const bool matchCase = ::IsDlgButtonChecked(Window(), kViewerMatchCase) == BST_CHECKED;
    if (id == kViewerFindText) {
        mSession.FindTextChanged(text, matchCase);
    } else if (id == kViewerMatchCase) {
        mSession.ApplyFind(text, matchCase);
    } else if (text.empty()) {
        ::SetFocus(mBar.FindBox());
    } else {
        mSession.FindNext(id != kViewerFindPrevious, mList.Focused());
    }
}

void TraceViewerWindow::OnInitMenu(HMENU menu)
{
    const auto check = [menu](int id, bool on) {
        ::CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    check(kViewerCapture, mSession.CaptureWanted());
    check(kViewerPause, mSession.Paused());
    check(kViewerFollow, mSession.Following());
    ::CheckMenuRadioItem(menu, kViewerTimeClock, kViewerTimeSincePrevious,
        kViewerTimeClock + static_cast<UINT>(mSession.GetTimeMode()), MF_BYCOMMAND);
    ::EnableMenuItem(menu, kViewerStopLog, MF_BYCOMMAND | (mSession.Logging() ? MF_ENABLED : MF_GRAYED));
    // All cannot be closed or renamed, and is where Show in All goes.
    for (const int id : { kViewerCloseView, kViewerRenameView, kViewerShowInAll }) {
        ::EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (mSession.TakesFilters() ? MF_ENABLED : MF_GRAYED));
    }
}

void TraceViewerWindow::OnDropFiles(HDROP dropped)
{
    const resources::UniqueDrop drop(dropped);
    const UINT count = ::DragQueryFileW(drop.get(), 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop.get(), i, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(drop.get(), i, path.data(), static_cast<UINT>(path.size())));
        if (!path.empty() && !OpenSavedLog(path)) {
            mSession.Note(L"The log " + path + L" cannot be opened.");
        }
    }
    Draw(mSession.TakeChanges());
}

void TraceViewerWindow::Copy()
{
    if (!CopyToClipboard(Window(), mSession.FormatLines(mList.Selected()))) {
        mSession.Note(L"The lines could not be put on the clipboard.");
        ::MessageBeep(MB_ICONWARNING);
    }
}

void TraceViewerWindow::Save(bool all)
{
    if (const auto path = AskForFile(Window(), all ? FileQuestion::SaveAllLines : FileQuestion::SaveLines)) {
        if (!mSession.Save(*path, all, mList.Selected())) {
            ::MessageBeep(MB_ICONWARNING);
        }
    }
}

void TraceViewerWindow::ChooseFile(int id)
{
    const FileQuestion question = id == kViewerOpen ? FileQuestion::OpenLog
        : id == kViewerFollowFile                   ? FileQuestion::FollowFile
        : id == kViewerLogToFile                    ? FileQuestion::LogTo
        : id == kViewerExportRules                  ? FileQuestion::ExportRules
                                                    : FileQuestion::ImportRules;
    const std::optional<std::wstring> path = AskForFile(Window(), question);
    if (!path) {
        return;
    }
    if (question == FileQuestion::OpenLog || question == FileQuestion::FollowFile) {
        if (!OpenSavedLog(*path, question == FileQuestion::FollowFile)) {
            mSession.Note(L"The log " + *path + L" cannot be opened.");
        }
    } else if (question == FileQuestion::LogTo) {
        mSession.StartLog(*path);
    } else if (question == FileQuestion::ExportRules) {
        static_cast<void>(mSession.ExportRules(*path));
    } else if (question == FileQuestion::ImportRules) {
        static_cast<void>(mSession.ImportRules(*path, mList.Focused()));
    }
}

void TraceViewerWindow::EditRules(bool filters)
{
    const std::vector<Rule>& current = filters ? mSession.Rules().Filters() : mSession.Rules().Highlights();
    auto chosen = ShowRulesDialog(mInstance, Window(), filters ? RuleKind::Filter : RuleKind::Highlight, current);
    if (chosen && filters) {
        mSession.SetFilters(std::move(*chosen), mList.Focused());
    } else if (chosen) {
        mSession.SetHighlights(std::move(*chosen));
    }
}

void TraceViewerWindow::ShowScopeSummary()
{
    // The window stays drawn behind the dialog, so that a chosen call shows at once.
    const std::function<bool(std::uint64_t)> goTo = [this](std::uint64_t sequence) {
        const bool shown = mSession.GoToLine(sequence);
        Draw(mSession.TakeChanges());
        return shown;
    };
    if (!ShowScopeSummaryDialog(mInstance, Window(), mSession.ScopeSummary(), goTo)) {
        mSession.Note(L"The scope summary could not be shown: "
            + SystemException::GetSystemErrorText(::GetLastError()));
    }
}

void TraceViewerWindow::EditSettings()
{
    if (!mSession.Live()) {
        return;
    }
    if (const auto chosen = ShowSettingsDialog(mInstance, Window(), { mSession.HistoryLines(), mSession.LogLimitMB() })) {
        mSession.SetLimits(chosen->historyLines, chosen->logLimitMB);
    }
}

}  // namespace tracing
