// One captured line as tracecap writes it: the viewer's log format, or one
// JSON object with the keys time, pid, process, kind, source and text.
#pragma once

#include "tools/tracecap/core/Options.h"
#include "viewer/store/LineStore.h"

#include <string>
#include <string_view>

namespace tracecap {

// Appends the line with its line end ("\r\n" for the log format, "\n" for JSON lines).
void AppendOutputLine(std::string& out, const tracing::LineView& line, OutputFormat format);

// Appends text (UTF-8) as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace tracecap
