// Helper program for the folder-search tests. Modes:
//   probe DLLNAME OUTFILE            writes the found folder and the parent's folder, one per line (UTF-8)
//   launch PROGRAM ARGS...           starts PROGRAM ARGS... and waits for it
//   launch-and-exit PROGRAM ARGS...  starts PROGRAM ARGS... and ends at once
//   await-parent ARGS...             waits for the parent to end, then runs ARGS
//   (no arguments)                   leaves "<own path>.started", so a test sees that a copy of it was started
#include "components/folders/DllPathManager.h"
#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"

#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

using VantorelUtils::DllPathManager;

namespace {

bool WriteText(const std::wstring& path, const std::wstring& text)
{
    const string8 bytes = unicode::to_string8(text);
    const resources::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

resources::UniqueHandle Start(const std::vector<std::wstring>& args)
{
    std::wstring commandLine;
    for (const std::wstring& arg : args) {
        commandLine += L"\"" + arg + L"\" ";
    }
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info {};
    if (!::CreateProcessW(
            args[0].c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return {};
    }
    ::CloseHandle(info.hThread);
    return resources::UniqueHandle(info.hProcess);
}

DWORD ParentId()
{
    const resources::UniqueSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == ::GetCurrentProcessId()) {
            return entry.th32ParentProcessID;
        }
    }
    return 0;
}

int Run(const std::vector<std::wstring>& args)
{
    if (args.empty()) {
        std::wstring self(MAX_PATH, L'\0');
        self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
        return WriteText(self + L".started", L"") ? 0 : 3;
    }
    const std::wstring& mode = args[0];
    const std::vector<std::wstring> rest(args.begin() + 1, args.end());
    if (mode == L"probe" && rest.size() == 2) {
        return WriteText(rest[1],
                   DllPathManager::getDllFolderPath(rest[0].c_str()) + L"\n"
                       + DllPathManager::getparentprocessfolderpath() + L"\n")
            ? 0
            : 3;
    }
    if ((mode == L"launch" || mode == L"launch-and-exit") && !rest.empty()) {
        const resources::UniqueHandle child = Start(rest);
        if (child && mode == L"launch") {
            ::WaitForSingleObject(child.get(), 60000);
        }
        return child ? 0 : 4;
    }
    if (mode == L"await-parent") {
        if (const resources::UniqueHandle parent(::OpenProcess(SYNCHRONIZE, FALSE, ParentId())); parent) {
            ::WaitForSingleObject(parent.get(), 30000);
        }
        return Run(rest);
    }
    return 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    const resources::UniqueLocalMem argv(reinterpret_cast<HLOCAL>(::CommandLineToArgvW(::GetCommandLineW(), &count)));
    const auto* words = static_cast<wchar_t* const*>(argv.get());
    return Run(words == nullptr || count < 1 ? std::vector<std::wstring>()
                                             : std::vector<std::wstring>(words + 1, words + count));
}
