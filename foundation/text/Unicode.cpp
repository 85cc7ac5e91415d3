#include "foundation/text/Unicode.h"

#include <windows.h>

#include <memory>

namespace unicode {
namespace {

// Each conversion covers its source up to the first NUL (source length -1),
// sizes the output with a first call and converts with a second.
std::wstring MultiByteToWide(UINT codePage, const char* source)
{
    const int units = ::MultiByteToWideChar(codePage, 0, source, -1, nullptr, 0);
    if (units <= 0) {
        return {};
    }
    auto buffer = std::make_unique<wchar_t[]>(static_cast<size_t>(units));
    ::MultiByteToWideChar(codePage, 0, source, -1, buffer.get(), units);
    buffer[static_cast<size_t>(units) - 1] = L'\0';
    return std::wstring(buffer.get());
}

std::string WideToMultiByte(UINT codePage, const wchar_t* source)
{
    const int units = ::WideCharToMultiByte(codePage, 0, source, -1, nullptr, 0, nullptr, nullptr);
    if (units <= 0) {
        return {};
    }
    auto buffer = std::make_unique<char[]>(static_cast<size_t>(units));
    ::WideCharToMultiByte(codePage, 0, source, -1, buffer.get(), units, nullptr, nullptr);
    buffer[static_cast<size_t>(units) - 1] = '\0';
    return std::string(buffer.get());
}

}  // namespace

bool IsNonNtPlatform()
{
    return (::GetVersion() & 0x80000000u) != 0;
}

std::wstring to_wstring(const std::wstring& text)
{
    return text;
}

std::wstring to_wstring(const std::string& text)
{
    return MultiByteToWide(CP_ACP, text.c_str());
}

std::wstring to_wstring(const string8& text)
{
    return MultiByteToWide(CP_UTF8, reinterpret_cast<const char*>(text.c_str()));
}

std::string to_string(const std::wstring& text)
{
    return WideToMultiByte(CP_ACP, text.c_str());
}

std::string to_string(const string8& text)
{
    return to_string(to_wstring(text));
}

string8 to_string8(const std::wstring& text)
{
    const std::string utf8 = WideToMultiByte(CP_UTF8, text.c_str());
    return string8(utf8.begin(), utf8.end());
}

string8 to_string8(const std::string& text)
{
    return to_string8(to_wstring(text));
}

std::wstring to_upper(const std::wstring& text)
{
    if (IsNonNtPlatform()) {
        std::string narrow = to_string(text);
        if (!narrow.empty()) {
            ::CharUpperBuffA(narrow.data(), static_cast<DWORD>(narrow.size()));
        }
        return to_wstring(narrow);
    }
    // Upper-cased over the whole length, so embedded NULs survive.
    std::wstring upper = text;
    if (!upper.empty()) {
        ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    }
    return upper;
}

string8 to_upper8(const string8& text)
{
    return to_string8(to_upper(to_wstring(text)));
}

}  // namespace unicode
