// The Windows side of the package tests, run under Wine by package_test.sh:
//   package-probe show-window PROGRAM CLASS
//       starts PROGRAM, waits for its visible top-level window of CLASS,
//       prints the window's title, closes it and waits for the program to end.
//       Exit 0 when the window showed and the program ended by itself.
//   package-probe version FILE...
//       prints "FILE<TAB>FileVersion<TAB>ProductVersion<TAB>ProductName" per
//       file from its version resource; exit 1 when a file has none.
#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[256] = {};
    ::GetClassNameW(window, className, 256);
    if (owner == search->processId && ::IsWindowVisible(window) && std::wstring(className) == search->className) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

void PrintWide(const std::wstring& text)
{
    std::fputs(reinterpret_cast<const char*>(unicode::to_string8(text).c_str()), stdout);
}

int ShowWindow(const std::wstring& program, const std::wstring& className)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started)) {
        std::fprintf(stderr, "cannot start the program: error %lu\n", ::GetLastError());
        return 1;
    }
    resources::UniqueHandle process(started.hProcess);
    resources::UniqueHandle thread(started.hThread);

    WindowSearch search{started.dwProcessId, className.c_str(), nullptr};
    for (int attempt = 0; attempt < 600 && !search.found; ++attempt) {
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            if (::WaitForSingleObject(process.get(), 50) == WAIT_OBJECT_0) {
                std::fprintf(stderr, "the program ended before its window showed\n");
                return 1;
            }
        }
    }
    if (!search.found) {
        std::fprintf(stderr, "no visible window of that class within 30 s\n");
        ::TerminateProcess(process.get(), 1);
        return 1;
    }
    wchar_t title[256] = {};
    ::GetWindowTextW(search.found, title, 256);
    PrintWide(std::wstring(L"window: ") + title + L"\n");
    ::PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "the program did not end after its window was closed\n");
        ::TerminateProcess(process.get(), 1);
        return 1;
    }
    return 0;
}

std::wstring VersionString(const std::vector<char>& block, const wchar_t* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!::VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) {
        return L"?";
    }
    return static_cast<const wchar_t*>(value);
}

int PrintVersions(int count, wchar_t** files)
{
    int result = 0;
    for (int i = 0; i < count; ++i) {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(files[i], &ignored);
        std::vector<char> block(size);
        if (size == 0 || !::GetFileVersionInfoW(files[i], 0, size, block.data())) {
            PrintWide(std::wstring(files[i]) + L"\tnone\n");
            result = 1;
            continue;
        }
        PrintWide(std::wstring(files[i]) + L"\t" + VersionString(block, L"FileVersion") + L"\t" +
                  VersionString(block, L"ProductVersion") + L"\t" + VersionString(block, L"ProductName") + L"\n");
    }
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 4 && std::wstring(argv[1]) == L"show-window") {
        return ShowWindow(argv[2], argv[3]);
    }
    if (argc >= 3 && std::wstring(argv[1]) == L"version") {
        return PrintVersions(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "usage: package-probe show-window PROGRAM CLASS | version FILE...\n");
    return 2;
}
