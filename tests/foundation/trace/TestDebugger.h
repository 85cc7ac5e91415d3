// Runs a program as a debugged process and collects what it writes to the
// debugger output (OUTPUT_DEBUG_STRING_EVENT), in order.
#pragma once

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <string>

namespace trace_tests {

struct DebugRun {
    bool finished = false;  // the process ended within the time given
    DWORD exitCode = 0;
    std::string output;  // every debug string, joined as written
};

// Starts "program arguments" with the calling thread as its debugger and runs
// it to its end, or kills it after timeoutMs.
inline DebugRun RunUnderDebugger(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    DebugRun run;
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
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
                killed = ::TerminateProcess(process.get(), 0xDEAD) != FALSE;
            }
            continue;
        }
        DWORD continueStatus = DBG_CONTINUE;
        const auto& text = event.u.DebugString;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            resources::UniqueHandle(event.u.CreateProcessInfo.hFile).reset();
            break;
        case LOAD_DLL_DEBUG_EVENT:
            resources::UniqueHandle(event.u.LoadDll.hFile).reset();
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            if (!text.fUnicode) {
                std::string bytes(text.nDebugStringLength, '\0');
                ::ReadProcessMemory(process.get(), text.lpDebugStringData, bytes.data(), bytes.size(), nullptr);
                run.output += bytes.c_str();  // up to the NUL the length may count
            }
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The program's own exceptions are its business; only the initial
            // breakpoint belongs to the debugger.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                continueStatus = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            run.exitCode = event.u.ExitProcess.dwExitCode;
            run.finished = !killed;
            ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            return run;
        }
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    }
}

}  // namespace trace_tests
