#include "tests/support/TempFolder.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testing_support {

TempFolder::TempFolder(const std::wstring& prefix)
{
    static std::atomic<unsigned> sequence{0};
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate = std::wstring(temp) + prefix + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(sequence++);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            mPath = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
}

std::wstring TempFolder::MakeFolder(const std::wstring& relative) const
{
    const std::wstring folder = File(relative);
    std::filesystem::create_directories(folder);
    return folder;
}

std::wstring TempFolder::WriteFile(const std::wstring& name, const std::string& bytes) const
{
    const std::wstring path = File(name);
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write a test file");
    }
    return path;
}

std::wstring TempFolder::CopyIn(const std::wstring& source, const std::wstring& name) const
{
    const std::wstring target = File(name);
    if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy a file into the temporary folder");
    }
    return target;
}

}  // namespace testing_support
