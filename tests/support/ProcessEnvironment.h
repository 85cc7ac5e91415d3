// Process-wide state that tests alter and must put back: PATH and the current directory.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

inline std::wstring CurrentDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetCurrentDirectoryW(MAX_PATH, path.data()));
    return path;
}

// Adds a folder to the front of PATH for this process and its children, for the scope of the object.
class PathPrefix {
public:
    explicit PathPrefix(const std::wstring& folder)
        : mOld(32767, L'\0')
    {
        mOld.resize(::GetEnvironmentVariableW(L"PATH", mOld.data(), static_cast<DWORD>(mOld.size())));
        ::SetEnvironmentVariableW(L"PATH", (folder + L";" + mOld).c_str());
    }
    PathPrefix(const PathPrefix&) = delete;
    PathPrefix& operator=(const PathPrefix&) = delete;
    ~PathPrefix() { ::SetEnvironmentVariableW(L"PATH", mOld.c_str()); }

private:
    std::wstring mOld;
};

}  // namespace testing_support
