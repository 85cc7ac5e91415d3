#include "viewer/window/ScopeSummaryDialog.h"

#include "foundation/text/Unicode.h"
#include "foundation/ui/ModalDialog.h"
#include "foundation/ui/Notification.h"
#include "viewer/resources/resource.h"
#include "viewer/window/Clipboard.h"

#include <commctrl.h>

#include <array>

namespace tracing {

namespace {

// Widths at 96 DPI, by SummaryColumn.
constexpr std::array<int, kSummaryColumns> kWidths = { 170, 50, 75, 70, 80, 65, 115 };

class ScopeSummaryDialog : public ui::ModalDialog<ScopeSummaryDialog> {
public:
    ScopeSummaryDialog(std::vector<ScopeFigures> rows, const std::function<bool(std::uint64_t)>& goTo)
        : mRows(std::move(rows))
        , mGoTo(goTo)
    {
    }

    void OnInit()
    {
        HWND list = Item(IDC_SCOPES_LIST);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        const UINT dpi = ::GetDpiForWindow(Dialog());
        for (std::size_t i = 0; i < kSummaryColumns; ++i) {
            std::wstring title = unicode::utf8_to_wide(SummaryTitle(static_cast<SummaryColumn>(i)));
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
            column.fmt = i == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
            column.cx = ::MulDiv(kWidths[i], static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
            column.pszText = title.data();
            column.iSubItem = static_cast<int>(i);
            if (ListView_InsertColumn(list, static_cast<int>(i), &column) < 0) {
                Say(L"The list's columns could not be made.");
                return;
            }
        }
        // Where the time went: the largest total first.
        Sort(SummaryColumn::Total, true);
        Say(mRows.empty() ? L"No function scope among the shown lines." : L"");
    }

    void OnCommand(int id, int)
    {
        if (id == IDC_SCOPES_COPY) {
            const bool copied = CopyToClipboard(Dialog(), SummaryText(mRows));
            Say(copied ? L"Copied." : L"The table could not be put on the clipboard.");
        } else if (id == IDCANCEL || id == IDOK) {
            End(id);
        }
    }

    INT_PTR OnDialogMessage(UINT message, WPARAM, LPARAM lParam)
    {
        if (message != WM_NOTIFY || ui::ReadNotification<NMHDR>(lParam).idFrom != IDC_SCOPES_LIST) {
            return FALSE;
        }
        const UINT code = ui::ReadNotification<NMHDR>(lParam).code;
        if (code == LVN_COLUMNCLICK) {
            const int clicked = ui::ReadNotification<NMLISTVIEW>(lParam).iSubItem;
            const auto column = static_cast<SummaryColumn>(clicked);
            // A click on the sorted column reverses it; another column starts with its largest.
            Sort(column, column == mSorted ? !mDescending : column != SummaryColumn::Function);
        } else if (code == NM_DBLCLK) {
            GoTo(ui::ReadNotification<NMITEMACTIVATE>(lParam).iItem);
        }
        return FALSE;
    }

private:
    void Sort(SummaryColumn column, bool descending)
    {
        mSorted = column;
        mDescending = descending;
        SortSummary(mRows, column, descending);
        Fill();
    }

    void Fill()
    {
        HWND list = Item(IDC_SCOPES_LIST);
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ListView_DeleteAllItems(list);
        for (std::size_t row = 0; row < mRows.size(); ++row) {
            for (std::size_t i = 0; i < kSummaryColumns; ++i) {
                std::wstring text = unicode::utf8_to_wide(SummaryCell(mRows[row], static_cast<SummaryColumn>(i)));
                LVITEMW item = {};
                item.mask = LVIF_TEXT;
                item.iItem = static_cast<int>(row);
                item.iSubItem = static_cast<int>(i);
                item.pszText = text.data();
                const bool done
                    = i == 0 ? ListView_InsertItem(list, &item) >= 0 : ListView_SetItem(list, &item) != FALSE;
                if (!done) {
                    Say(L"Not every function could be listed.");
                    break;
                }
            }
        }
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(list, nullptr, TRUE);
    }

    void GoTo(int row)
    {
        if (row < 0 || static_cast<std::size_t>(row) >= mRows.size()) {
            return;
        }
        const ScopeFigures& figures = mRows[static_cast<std::size_t>(row)];
        if (!figures.longestCall) {
            Say(L"No call of " + unicode::utf8_to_wide(figures.name) + L" has returned yet.");
        } else if (!mGoTo(*figures.longestCall)) {
            Say(L"The longest call of " + unicode::utf8_to_wide(figures.name) + L" is no longer shown.");
        } else {
            Say(L"");
        }
    }

    void Say(const std::wstring& text) { ::SetDlgItemTextW(Dialog(), IDC_SCOPES_NOTE, text.c_str()); }

    std::vector<ScopeFigures> mRows;
    const std::function<bool(std::uint64_t)>& mGoTo;
    SummaryColumn mSorted = SummaryColumn::Total;
    bool mDescending = true;
};

}  // namespace

bool ShowScopeSummaryDialog(
    HINSTANCE instance, HWND owner, std::vector<ScopeFigures> rows, const std::function<bool(std::uint64_t)>& goTo)
{
    ScopeSummaryDialog dialog(std::move(rows), goTo);
    return dialog.Run(instance, IDD_SCOPES, owner) >= 0;
}

}  // namespace tracing
