#include "TestDebugger.h"

#include "foundation/resources/UniqueResource.h"

#include <vector>

namespace trace_tests {

namespace {

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info)
{
    if (info.nDebugStringLength == 0 || info.fUnicode) {
        return std::string();
    }
    std::vector<char> bytes(info.nDebugStringLength);
    SIZE_T read = 0;
    if (!::ReadProcessMemory(process, info.lpDebugStringData, bytes.data(), bytes.size(), &read)) {
        return std::string();
    }
    // The length counts the terminating NUL.
    std::string text(bytes.data(), read);
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

}  // namespace

DebugRun RunUnderDebugger(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    DebugRun run;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                          nullptr, nullptr, &startup, &started)) {
        return run;
    }
    resources::UniqueHandle process(started.hProcess);
    resources::UniqueHandle thread(started.hThread);

    const DWORD start = ::GetTickCount();
    bool killed = false;
    for (;;) {
        DEBUG_EVENT event = {};
        if (!::WaitForDebugEvent(&event, 200)) {
            if (!killed && ::GetTickCount() - start > timeoutMs) {
                ::TerminateProcess(process.get(), 0xDEAD);
                killed = true;
            }
            continue;
        }
        DWORD continueStatus = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            resources::UniqueHandle(event.u.CreateProcessInfo.hFile).reset();
            break;
        case LOAD_DLL_DEBUG_EVENT:
            resources::UniqueHandle(event.u.LoadDll.hFile).reset();
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            run.output += ReadDebugString(process.get(), event.u.DebugString);
            ++run.outputCalls;
            break;
        case EXCEPTION_DEBUG_EVENT:
            run.exceptions += std::to_string(event.u.Exception.ExceptionRecord.ExceptionCode) + "/" +
                              std::to_string(event.u.Exception.dwFirstChance) + " ";
            // The program's own exceptions are its business; only the
            // initial breakpoint belongs to the debugger.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                continueStatus = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        default:
            break;
        }
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            run.exitCode = event.u.ExitProcess.dwExitCode;
            run.finished = !killed;
            ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            break;
        }
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    }
    return run;
}

}  // namespace trace_tests
