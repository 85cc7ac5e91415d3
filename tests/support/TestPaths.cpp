#include "tests/support/TestPaths.h"

#include <windows.h>

#include <vector>

namespace testing_support {

std::wstring TestProgramFolder()
{
    std::vector<wchar_t> path(32768);
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring folder(path.data(), length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring ProductFile(const std::wstring& name)
{
    const std::wstring relative = TestProgramFolder() + L"\\..\\bin\\" + name;
    std::vector<wchar_t> full(32768);
    const DWORD length = ::GetFullPathNameW(relative.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return std::wstring(full.data(), length);
}

}  // namespace testing_support
