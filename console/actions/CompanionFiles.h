// Opening the files that lie beside the console's program file.
#pragma once

namespace console {

inline constexpr char kHelpPage[] = "Probedeck_Help_Page.doc";
inline constexpr char kTraceViewer[] = "Tracing.exe";
inline constexpr char kHtmlTestPage[] = "HTML_Test_Page.htm";

// Hands the file to the shell with the "open" verb. The outcome is not
// reported: a missing file simply does nothing visible in the console.
void OpenCompanionFile(const char* fileName);

}  // namespace console
