#include "viewer/window/SavedLogWindows.h"

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

namespace tracing {

bool OpenSavedLog(const std::wstring& path, bool follow)
{
    std::wstring program(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    if (length == 0 || length >= program.size()) {
        return false;
    }
    program.resize(length);
    std::wstring commandLine = L"\"" + program + L"\" " + (follow ? L"/follow " : L"") + L"\"" + path + L"\"";
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

}  // namespace tracing
