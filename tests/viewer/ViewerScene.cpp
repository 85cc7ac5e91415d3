// viewer_scene PATH\Tracing.exe: starts Tracing.exe with a view kept in its
// settings that hides heartbeats and marks calls of 100 ms or more, sends it
// the traced calls of two programs (some of them slow), folds some of their
// scopes and looks for a text, then leaves it running for a picture.
// Ends with 0 once the scene is set, 1 when Tracing.exe did not show it.
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "tests/support/RemoteControls.h"
#include "tests/support/WaitFor.h"
#include "viewer/rules/RuleText.h"
#include "viewer/settings/ViewerSettings.h"
#include "viewer/window/ViewerControls.h"

#include <commctrl.h>
#include <windows.h>

#include <cstdio>
#include <string>

using namespace tracing;

namespace {

struct SceneLine {
    bool fromA;
    std::int32_t kind;
    const char* text;
    DWORD sleepMs;  // before the line is sent: the calls take their time
};
const SceneLine kScene[] = {
    { true, UTrace::kTraceFunction, "LoadProject - enter", 0 },
    { true, UTrace::kTraceMessage, "  opening C:\\work\\demo.prj", 40 },
    { false, UTrace::kTraceFunction, "ServeRequests - enter", 0 },
    { true, UTrace::kTraceFunction, "  ParseHeader - enter", 0 },
    { false, UTrace::kTraceMessage, "  heartbeat", 0 },
    { true, UTrace::kTraceMessage, "    header of 512 bytes", 20 },
    { true, UTrace::kTraceFunction, "  ParseHeader - return = 0", 15 },
    { true, UTrace::kTraceFunction, "  ReadTokens - enter", 0 },
    { true, UTrace::kTraceFunction, "    NextToken - enter", 0 },
    { true, UTrace::kTraceError, "      unexpected token '}' at line 41", 60 },
    { true, UTrace::kTraceFunction, "    NextToken - return = -1", 70 },
    { false, UTrace::kTraceMessage, "  request 17 served in 3 ms", 0 },
    { true, UTrace::kTraceFunction, "  ReadTokens - return = -1", 10 },
    { true, UTrace::kTraceFunction, "LoadProject - return = -1", 0 },
    { false, UTrace::kTraceMessage, "  heartbeat", 0 },
    { true, UTrace::kTraceFunction, "SaveSettings - enter", 0 },
    { true, UTrace::kTraceMessage, "  wrote 3 values", 5 },
    { true, UTrace::kTraceFunction, "SaveSettings - return", 5 },
    { false, UTrace::kTraceMessage, "  request 18 served in 2 ms", 0 },
    { false, UTrace::kTraceError, "  connection reset by peer", 0 },
};
constexpr int kShown = static_cast<int>(std::size(kScene)) - 2;  // less the heartbeats

// All marks errors; the view "Slow calls", in front, hides heartbeats and
// marks the calls of 100 ms or more as well.
void KeepViews()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    RegistrySettings settings;
    static_cast<void>(settings.SaveRules("highlight\tkind\ttext\terror\r\n"));
    KeptViews views;
    views.views.push_back({ L"Slow calls",
        "exclude\ttext\ttext\theartbeat\r\n"
        "highlight\tkind\ttext\terror\r\n"
        "highlight\tduration\t>=\t100\t#ffe0b0\t#804000\r\n" });
    views.current = 1;
    static_cast<void>(settings.SaveViews(views));
}

bool Start(const std::wstring& program)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(
            program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return false;
    }
    const resources::UniqueHandle process(started.hProcess);
    const resources::UniqueHandle thread(started.hThread);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: viewer_scene PATH\\Tracing.exe\n");
        return 2;
    }
    KeepViews();
    if (!Start(argv[1])) {
        std::fprintf(stderr, "Tracing.exe did not start\n");
        return 1;
    }
    HWND viewer = nullptr;
    HWND list = nullptr;
    // The window is found once it is shown, its list made.
    testing_support::WaitFor(
        [&] {
            viewer = ::FindWindowW(UTrace::kViewerClass, nullptr);
            list = viewer != nullptr && ::IsWindowVisible(viewer) ? ::GetDlgItem(viewer, kViewerList) : nullptr;
            return list != nullptr;
        },
        60000);
    if (list == nullptr) {
        std::fprintf(stderr, "Tracing.exe showed no window\n");
        return 1;
    }
    // Program A is this one, named through its window; program B sends without one.
    const resources::UniqueWindow senderA(
        ::CreateWindowExW(0, L"STATIC", L"A", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    for (const SceneLine& line : kScene) {
        ::Sleep(line.sleepMs);
        const TraceRecord record = TraceRecord::Fill(line.kind, 0, 0, line.fromA ? "demo" : "server", line.text);
        COPYDATASTRUCT copy = { record.magic, record.length, const_cast<TraceRecord*>(&record) };
        ::SendMessageW(viewer, WM_COPYDATA, reinterpret_cast<WPARAM>(line.fromA ? senderA.get() : nullptr),
            reinterpret_cast<LPARAM>(&copy));
    }
    const auto count = [&] { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); };
    if (!testing_support::WaitFor([&] { return count() == kShown; }, 10000)) {
        std::fprintf(stderr, "Tracing.exe shows %d lines, not %d\n", count(), kShown);
        return 1;
    }
    // The inner scopes of the first call stay folded; everything else is opened again.
    ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(kViewerFoldAll, 0), 0);
    for (const int position : { 2, 1, 0 }) {
        static_cast<void>(testing_support::ListViewSelectOnly(list, position));
        ::SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(kViewerUnfold, 0), 0);
    }
    static_cast<void>(testing_support::ListViewSelectOnly(list, 3));
    ::SendMessageW(::GetDlgItem(viewer, kViewerFindText), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"token"));
    // Let the find and a refresh or two happen.
    ::Sleep(1500);
    std::printf("scene set: %d lines shown\n", count());
    RECT client = {};
    ::GetClientRect(list, &client);
    RECT frame = {};
    ::GetClientRect(viewer, &frame);
    std::printf("list %ld wide in a window of %ld; columns:", client.right, frame.right);
    for (int column = 0; column < static_cast<int>(Column::Count); ++column) {
        std::printf(" %d", static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)));
    }
    std::printf("\n");
    return 0;
}
