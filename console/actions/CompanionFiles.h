// Opening the files that lie beside the console's program file.
#pragma once

namespace console {

inline constexpr wchar_t kHelpPage[] = L"Probedeck_Help_Page.doc";
inline constexpr wchar_t kTraceViewer[] = L"Tracing.exe";
inline constexpr wchar_t kHtmlTestPage[] = L"HTML_Test_Page.htm";

// Hands the file to the shell with the "open" verb. The outcome is not
// reported: a missing file simply does nothing visible in the console. The
// path stays UTF-16 from the program file's own path to the shell, so a
// folder named outside the ANSI code page works too.
void OpenCompanionFile(const wchar_t* fileName);

}  // namespace console
