// The list's columns and the text of each cell of a shown line.
#pragma once

#include "viewer/view/ShownLines.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tracing {

// The list's columns, by their subitem numbers. Fold shows "+" on a folded
// scope's entry line and "-" on an unfolded one. Duration shows a returned
// scope's milliseconds on its entry line. Those that are also fields share
// the field's number (see RuleField). New columns go last: kept widths and
// orders of fewer columns still load.
enum class Column : int { Fold, Line, Time, Pid, Process, Kind, Source, Text, Duration, Count };
inline constexpr std::size_t kColumns = static_cast<std::size_t>(Column::Count);

// How the time column reads.
enum class TimeMode : std::uint32_t { Clock, SinceFirst, SincePrevious, Count };

// The UTF-8 text of the cell of the shown line at position; empty when that
// line is gone.
void AppendCellText(std::string& out, const ShownLines& shown, std::size_t position, Column column, TimeMode timeMode);

}  // namespace tracing
