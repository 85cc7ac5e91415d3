// bench_startup [runs]: from starting Probedeck.exe to its window being shown,
// against a bare Win32 program that registers one class and shows one window.
// The two start in turn, so that drift on a shared machine hits both; the
// medians of the runs are printed (default 15).
#include "bench/support/BenchClock.h"
#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bench::Median;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from CreateProcess to a visible top-level window of the new
// process; negative when it fails to show one within 30 s. The program is
// closed again before this returns.
double TimeToWindow(const std::wstring& program)
{
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started {};
    std::wstring commandLine = L"\"" + program + L"\"";
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(
            program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return -1;
    }
    const resources::UniqueHandle process(started.hProcess);
    const resources::UniqueHandle thread(started.hThread);
    Search search { started.dwProcessId, nullptr };
    LARGE_INTEGER now = start;
    while (search.found == nullptr && Milliseconds(start, now) < 30000) {
        ::EnumWindows(&FindShownWindow, reinterpret_cast<LPARAM>(&search));
        ::QueryPerformanceCounter(&now);
        if (search.found == nullptr) {
            ::Sleep(1);
        }
    }
    if (search.found != nullptr) {
        ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
    }
    return search.found != nullptr ? Milliseconds(start, now) : -1;
}

std::wstring Beside(const std::wstring& relative)
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self(path, length);
    return self.substr(0, self.find_last_of(L'\\') + 1) + relative;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
    const std::wstring console = Beside(L"..\\bin\\Probedeck.exe");
    const std::wstring bare = Beside(L"bench_bare_window.exe");
    // One start of each first, so that neither pays for a cold file cache.
    if (TimeToWindow(console) < 0 || TimeToWindow(bare) < 0) {
        std::printf("start-up: a program showed no window (%ls, %ls)\n", console.c_str(), bare.c_str());
        return 1;
    }
    std::vector<double> consoleTimes;
    std::vector<double> bareTimes;
    for (int run = 0; run < runs; ++run) {
        consoleTimes.push_back(TimeToWindow(console));
        bareTimes.push_back(TimeToWindow(bare));
    }
    const double consoleMs = Median(consoleTimes);
    const double bareMs = Median(bareTimes);
    std::printf("start to window shown   : %7.1f ms   bare window     : %7.1f ms   ratio %.2f (aim <= 1.5)"
                "   (medians of %d runs)\n",
        consoleMs, bareMs, consoleMs / bareMs, runs);
    return 0;
}
