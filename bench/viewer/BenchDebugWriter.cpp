// bench_debug_writer COUNT NAME TIMES: one of the capture benchmark's
// writers. It says it is ready (semaphore NAME-ready), waits for the start
// (event NAME-start), writes COUNT lines of 60 characters to the debug output
// as fast as the listener takes them, says it is done (semaphore NAME-done),
// and writes how long each call took to the file TIMES (32-bit counts of
// 100 ns, one per call).
#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
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
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<std::uint32_t> times;
    times.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        char line[80];
        // 60 characters, then the line end, in one write.
        std::snprintf(line, sizeof line, "bench writer %10lu line %8d %-22s\r\n", static_cast<unsigned long>(pid), i,
            "xxxxxxxxxxxxxxxxxxxxxx");
        LARGE_INTEGER before;
        LARGE_INTEGER after;
        ::QueryPerformanceCounter(&before);
        ::OutputDebugStringA(line);
        ::QueryPerformanceCounter(&after);
        times.push_back(static_cast<std::uint32_t>((after.QuadPart - before.QuadPart) * 10000000 / frequency.QuadPart));
    }
    ::ReleaseSemaphore(done.get(), 1, nullptr);
    const resources::UniqueFileHandle file(
        ::CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const auto bytes = static_cast<DWORD>(times.size() * sizeof times[0]);
    return file && ::WriteFile(file.get(), times.data(), bytes, &written, nullptr) && written == bytes ? 0 : 4;
}
