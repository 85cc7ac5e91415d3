#include "viewer/window/ListColumns.h"

#include <commctrl.h>

#include <algorithm>

namespace tracing {

const std::array<ColumnRow, kColumns> kColumnRows = { {
    { Column::Fold, L"", 34, LVCFMT_LEFT },  // a bookmark and a fold marker
    { Column::Line, L"Line", 60, LVCFMT_RIGHT },
    { Column::Time, L"Time", 95, LVCFMT_LEFT },
    { Column::Pid, L"PID", 55, LVCFMT_RIGHT },
    { Column::Process, L"Process", 110, LVCFMT_LEFT },
    { Column::Kind, L"Kind", 65, LVCFMT_LEFT },
    { Column::Source, L"Source", 90, LVCFMT_LEFT },
    { Column::Text, L"Text", 460, LVCFMT_LEFT },
    { Column::Duration, L"Duration", 75, LVCFMT_RIGHT },
} };

namespace {

constexpr int kMinTextWidth = 160;

int Scale(int pixels, UINT dpi)
{
    return ::MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

}  // namespace

int ListColumns::Width(Column column) const
{
    return static_cast<int>(::SendMessageW(mList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

bool ListColumns::Insert(HWND list, const ViewerSettings& settings, UINT dpi)
{
    mList = list;
    for (std::size_t i = 0; i < kColumnRows.size(); ++i) {
        const ColumnRow& row = kColumnRows[i];
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = row.format;
        column.pszText = const_cast<wchar_t*>(row.title);
        const int kept = settings.columnWidths ? (*settings.columnWidths)[i] : ViewerSettings::kDefaultColumnWidth;
        column.cx = Scale(kept != ViewerSettings::kDefaultColumnWidth ? kept : row.width, dpi);
        column.iSubItem = static_cast<int>(row.column);
        if (::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column)) < 0) {
            return false;
        }
    }
    if (settings.columnOrder) {
        ::SendMessageW(list, LVM_SETCOLUMNORDERARRAY, kColumns, reinterpret_cast<LPARAM>(settings.columnOrder->data()));
    }
    mKeptWidths = settings.columnWidths.has_value();
    mFitText = !mKeptWidths;
    return true;
}

void ListColumns::Fit(int width, UINT dpi)
{
    // Once the user has sized a column, widths are theirs.
    if (mFittedTextWidth >= 0 && Width(Column::Text) != mFittedTextWidth) {
        mFitText = false;
    }
    if (!mFitText || mList == nullptr) {
        return;
    }
    int fixed = 0;
    for (const ColumnRow& row : kColumnRows) {
        fixed += row.column == Column::Text ? 0 : Scale(row.width, dpi);
    }
    // Down to a narrow text column, the list fits the window without a horizontal scroll bar.
    mFittedTextWidth = std::max(Scale(kMinTextWidth, dpi),
        width - fixed - ::GetSystemMetricsForDpi(SM_CXVSCROLL, dpi) - Scale(4, dpi));
    ::SendMessageW(mList, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(Column::Text), mFittedTextWidth);
}

void ListColumns::Rescale(UINT oldDpi, UINT newDpi)
{
    for (int column = 0; column < static_cast<int>(Column::Count); ++column) {
        ::SendMessageW(mList, LVM_SETCOLUMNWIDTH, column,
            ::MulDiv(Width(static_cast<Column>(column)), static_cast<int>(newDpi), static_cast<int>(oldDpi)));
    }
    mFittedTextWidth = Width(Column::Text);
}

std::optional<std::array<int, kColumns>> ListColumns::WidthsToKeep(UINT dpi) const
{
    std::array<int, kColumns> widths {};
    // Widths the window set by itself are not the user's: they are kept
    // once the user has sized any column.
    bool sized = !mFitText || mKeptWidths;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        widths[i] = std::clamp(::MulDiv(Width(static_cast<Column>(i)), USER_DEFAULT_SCREEN_DPI, static_cast<int>(dpi)),
            0, ViewerSettings::kMaxColumnWidth);
        sized = sized || (kColumnRows[i].column != Column::Text && widths[i] != kColumnRows[i].width);
    }
    return sized ? std::optional(widths) : std::nullopt;
}

std::optional<std::array<int, kColumns>> ListColumns::Order() const
{
    std::array<int, kColumns> order {};
    if (!::SendMessageW(mList, LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()))) {
        return std::nullopt;
    }
    return order;
}

}  // namespace tracing
