#include "standins/services/StandinSettings.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace standin {

namespace {

HMODULE OwnModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

constexpr wchar_t kMissing[] = L"\x1\x2missing";

std::wstring RawValue(const std::wstring& path, const wchar_t* section, const wchar_t* key)
{
    std::vector<wchar_t> buffer(4096);
    for (;;) {
        const DWORD length = ::GetPrivateProfileStringW(
            section, key, kMissing, buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        if (length + 1 < buffer.size() || buffer.size() >= 1u << 20) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 4);
    }
}

}  // namespace

Settings::Settings()
{
    std::vector<wchar_t> path(32768);
    const DWORD length = ::GetModuleFileNameW(OwnModule(), path.data(), static_cast<DWORD>(path.size()));
    std::wstring file(path.data(), length < path.size() ? length : 0);
    const size_t slash = file.find_last_of(L'\\');
    if (slash != std::wstring::npos) {
        mPath = file.substr(0, slash + 1) + L"vantorelconfig.ini";
    }
}

bool Settings::Has(const wchar_t* section, const wchar_t* key) const
{
    return !mPath.empty() && RawValue(mPath, section, key) != kMissing;
}

int32_t Settings::Int(const wchar_t* section, const wchar_t* key, int32_t fallback) const
{
    if (!Has(section, key)) {
        return fallback;
    }
    const std::wstring value = RawValue(mPath, section, key);
    wchar_t* end = nullptr;
    const long long number = std::wcstoll(value.c_str(), &end, 0);
    return end == value.c_str() ? fallback : static_cast<int32_t>(number);
}

std::string Settings::Text(const wchar_t* section, const wchar_t* key, const std::string& fallback) const
{
    if (!Has(section, key)) {
        return fallback;
    }
    const std::wstring value = RawValue(mPath, section, key);
    const int size
        = ::WideCharToMultiByte(CP_ACP, 0, value.c_str(), static_cast<int>(value.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(
            CP_ACP, 0, value.c_str(), static_cast<int>(value.size()), text.data(), size, nullptr, nullptr);
    }
    return text;
}

}  // namespace standin
