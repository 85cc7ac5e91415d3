#include "ServicesTestSupport.h"

#include "foundation/text/Unicode.h"

#include "TestPaths.h"

#include <windows.h>

#include <fstream>
#include <stdexcept>

namespace services_testing {

std::wstring InstallDouble(const std::wstring& folder, const std::wstring& name, const std::wstring& variant)
{
    const std::wstring source = testing_support::TestFile(L"recording_vantorelconfig" + variant + L".dll");
    const std::wstring target = folder + L"\\" + name;
    if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy the recording double");
    }
    return target;
}

void WriteControl(const std::wstring& dll, const std::string& settings)
{
    std::ofstream(unicode::to_string(dll + L".control"), std::ios::binary | std::ios::trunc) << "[Double]\r\n"
                                                                                             << settings;
}

std::vector<std::string> LoggedLines(const std::wstring& dll)
{
    std::vector<std::string> lines;
    std::ifstream in(unicode::to_string(dll + L".log"), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::wstring CurrentDirectory()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, path);
    return std::wstring(path, length);
}

PathPrefix::PathPrefix(const std::wstring& folder)
{
    std::wstring old(32767, L'\0');
    old.resize(::GetEnvironmentVariableW(L"PATH", old.data(), static_cast<DWORD>(old.size())));
    mOld = old;
    ::SetEnvironmentVariableW(L"PATH", (folder + L";" + mOld).c_str());
}

PathPrefix::~PathPrefix()
{
    ::SetEnvironmentVariableW(L"PATH", mOld.c_str());
}

}  // namespace services_testing
