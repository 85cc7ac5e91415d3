// tracecap.exe: the session's debug output and the tracing facility's
// records, captured from the command line through the viewer's own capture,
// joining, process names, log format and rules. See Options.cpp's HelpText.
#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"
#include "tools/tracecap/CaptureRun.h"
#include "tools/tracecap/core/LineSelection.h"
#include "tools/tracecap/core/Options.h"
#include "tools/tracecap/Output.h"
#include "tools/tracecap/core/Verdict.h"
#include "viewer/rules/RulesFile.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

using namespace tracecap;

namespace {

resources::UniqueHandle gInterrupt;

BOOL WINAPI OnControl(DWORD event) noexcept
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        ::SetEvent(gInterrupt.get());
        return TRUE;
    }
    return FALSE;
}

int BadUse(const std::string& problem)
{
    Say(problem);
    static_cast<void>(WriteStandard(STD_ERROR_HANDLE, UsageText()));
    return kExitBadUse;
}

int Main(const std::vector<std::wstring>& arguments)
{
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.options) {
        return BadUse(parsed.error);
    }
    const Options& options = *parsed.options;
    if (options.help) {
        return WriteStandard(STD_OUTPUT_HANDLE, HelpText()) ? 0 : 1;
    }
    std::optional<std::string> rules;
    if (options.rulesPath) {
        rules.emplace();
        if (const DWORD why = tracing::ReadRulesFileBytes(*options.rulesPath, *rules)) {
            return BadUse(
                "--rules \"" + unicode::wide_to_utf8(*options.rulesPath) + "\" cannot be read: " + SystemText(why));
        }
    }
    std::string error;
    std::optional<LineSelection> selection = LineSelection::Make(options, rules ? &*rules : nullptr, error);
    if (!selection) {
        return BadUse(error);
    }
    Output output = options.outPath ? Output(*options.outPath, options.logLimitBytes) : Output();
    if (const DWORD why = output.Open()) {
        return BadUse(
            "--out \"" + unicode::wide_to_utf8(*options.outPath) + "\" cannot be written: " + SystemText(why));
    }
    gInterrupt.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!gInterrupt || !::SetConsoleCtrlHandler(&OnControl, TRUE)) {
        Say("cannot watch for Ctrl+C: " + SystemText(::GetLastError()));
        return kExitBadUse;
    }
    return RunCapture(options, std::move(*selection), output, gInterrupt.get());
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return Main(std::vector<std::wstring>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        Say(std::string("tracecap failed: ") + error.what());
        return 1;
    }
}
