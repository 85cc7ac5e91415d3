// The list's columns: their titles and default widths, the widths and order
// the user gives them (kept in the settings), and the text column that takes
// the width the others leave until the user sizes a column.
#pragma once

#include "viewer/settings/ViewerSettings.h"
#include "viewer/view/Cells.h"

#include <windows.h>

#include <array>
#include <optional>

namespace tracing {

struct ColumnRow {
    Column column;
    const wchar_t* title;
    int width;  // at 96 DPI
    int format;  // LVCFMT_*
};
extern const std::array<ColumnRow, kColumns> kColumnRows;

class ListColumns {
public:
    // Adds the columns to list, with the kept widths and order when there are any.
    [[nodiscard]] bool Insert(HWND list, const ViewerSettings& settings, UINT dpi);
    // The list is now width pixels wide.
    void Fit(int width, UINT dpi);
    // The window moved to a monitor of another DPI.
    void Rescale(UINT oldDpi, UINT newDpi);
    // The widths (at 96 DPI) to keep, once the user has sized a column; and the order.
    std::optional<std::array<int, kColumns>> WidthsToKeep(UINT dpi) const;
    std::optional<std::array<int, kColumns>> Order() const;

private:
    int Width(Column column) const;

    HWND mList = nullptr;
    bool mFitText = true;  // until the user sizes a column
    bool mKeptWidths = false;  // the settings held widths
    int mFittedTextWidth = -1;
};

}  // namespace tracing
