// record-listener OUTPUT PROGRAM [ARGUMENTS...]
// Stands in for the trace viewer while PROGRAM runs: owns a window of the
// viewer's class, takes every record sent to it, and when PROGRAM has ended
// writes one line per record to OUTPUT, "KIND<TAB>SOURCE<TAB>TEXT", in the
// order they came. Exits with PROGRAM's exit status, 124 when it ran longer
// than a minute (it is then ended), 2 on a bad argument or a failed start.
#include "foundation/resources/UniqueResource.h"
#include "foundation/trace/TraceProtocol.h"
#include "tests/support/ChildProcess.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

std::string gLines;
int gMalformed = 0;

void TakeRecord(const COPYDATASTRUCT& data)
{
    if (data.dwData != TraceRecord::kMagic || data.cbData < TraceRecord::kMinLength ||
        data.cbData > TraceRecord::kMaxLength || data.lpData == nullptr) {
        ++gMalformed;
        return;
    }
    TraceRecord record = {};
    std::memcpy(&record, data.lpData, data.cbData);
    const std::size_t textSize = data.cbData - TraceRecord::kHeaderSize;
    if (record.length != data.cbData || record.magic != TraceRecord::kMagic || record.text[textSize - 1] != '\0') {
        ++gMalformed;
        return;
    }
    gLines += std::to_string(record.kind) + '\t' +
        std::string(record.source, strnlen(record.source, TraceRecord::kSourceSize)) + '\t' + record.text + '\n';
}

LRESULT CALLBACK ListenerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        TakeRecord(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring Quoted(const std::wstring& argument)
{
    return L"\"" + argument + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fputs("usage: record-listener OUTPUT PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ListenerProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = UTrace::kViewerClass;
    if (RegisterClassW(&windowClass) == 0) {
        std::fprintf(stderr, "record-listener: cannot register the viewer's class (%lu)\n", GetLastError());
        return 2;
    }
    // Not shown, but top-level: the library finds the viewer with FindWindow.
    const resources::UniqueWindow window(CreateWindowExW(0, UTrace::kViewerClass, L"record-listener", WS_OVERLAPPED,
        0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr));
    if (!window) {
        std::fprintf(stderr, "record-listener: cannot create the window (%lu)\n", GetLastError());
        return 2;
    }

    std::wstring arguments;
    for (int i = 3; i < argc; ++i) {
        arguments += (i > 3 ? L" " : L"") + Quoted(argv[i]);
    }
    std::optional<testing_support::ChildProcess> program;
    try {
        program.emplace(argv[2], arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "record-listener: %s\n", error.what());
        return 2;
    }

    // Records are sent messages: they are taken while this thread waits.
    constexpr DWORD kLongestRun = 60000;
    const ULONGLONG deadline = GetTickCount64() + kLongestRun;
    int status = 124;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            break;
        }
        const HANDLE process = program->handle();
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        if (woken == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process, &code);
            status = static_cast<int>(code);
            break;
        }
        if (woken != WAIT_OBJECT_0 + 1) {
            break;
        }
    }
    if (gMalformed > 0) {
        std::fprintf(stderr, "record-listener: %d malformed records\n", gMalformed);
    }

    FILE* output = _wfopen(argv[1], L"wb");
    if (output == nullptr) {
        std::fputs("record-listener: cannot write the output file\n", stderr);
        return 2;
    }
    const bool written = std::fwrite(gLines.data(), 1, gLines.size(), output) == gLines.size();
    if (std::fclose(output) != 0 || !written) {
        std::fputs("record-listener: cannot write the output file\n", stderr);
        return 2;
    }
    return gMalformed > 0 ? 1 : status;
}
