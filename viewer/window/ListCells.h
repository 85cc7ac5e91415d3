// The list's columns and the text of each cell.
#pragma once

#include "viewer/ViewerSettings.h"
#include "viewer/view/ShownLines.h"
#include "viewer/window/ViewerControls.h"

#include <array>
#include <cstddef>
#include <string>

struct ColumnRow {
    ViewerColumn column;
    const wchar_t* title;
    int width;  // at 96 DPI
    int format;  // LVCFMT_*
};
extern const std::array<ColumnRow, ViewerSettings::kColumns> kColumnRows;

constexpr wchar_t kFoldedMarker[] = L"+";
constexpr wchar_t kUnfoldedMarker[] = L"-";

// The UTF-8 text of the cell of the shown line at position; empty when that
// line is gone. The reading must be of shown's store.
void AppendCellText(std::string& out, const LineStore::Reading& reading, ShownLines& shown, std::size_t position,
    ViewerColumn column, TimeMode timeMode);
