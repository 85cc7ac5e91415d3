// bench_debug_writer COUNT NAME: one of the capture benchmark's writers. It
// says it is ready (semaphore NAME-ready), waits for the start (event
// NAME-start), writes COUNT lines of 60 characters to the debug output as
// fast as the listener takes them, and says it is done (semaphore NAME-done).
#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        return 2;
    }
    const int count = _wtoi(argv[1]);
    const std::wstring name = argv[2];
    const resources::UniqueHandle ready(::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, (name + L"-ready").c_str()));
    const resources::UniqueHandle start(::OpenEventW(SYNCHRONIZE, FALSE, (name + L"-start").c_str()));
    const resources::UniqueHandle done(::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, (name + L"-done").c_str()));
    if (!ready || !start || !done) {
        return 3;
    }
    ::ReleaseSemaphore(ready.get(), 1, nullptr);
    ::WaitForSingleObject(start.get(), INFINITE);
    const DWORD pid = ::GetCurrentProcessId();
    for (int i = 0; i < count; ++i) {
        char line[80];
        // 60 characters, then the line end, in one write.
        std::snprintf(line, sizeof line, "bench writer %10lu line %8d %-22s\r\n", static_cast<unsigned long>(pid), i,
            "xxxxxxxxxxxxxxxxxxxxxx");
        ::OutputDebugStringA(line);
    }
    ::ReleaseSemaphore(done.get(), 1, nullptr);
    return 0;
}
