#include "foundation/text/Unicode.h"

#include <windows.h>

#include <algorithm>
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

namespace unicode {
namespace {

// The system calls count in int: longer views are converted in pieces that
// end on a character boundary.
constexpr std::size_t kPieceBytes = std::size_t { 1 } << 28;

std::size_t Utf8Boundary(std::string_view utf8, std::size_t at)
{
    // Up to three continuation bytes may have to be left for the next piece.
    for (int back = 0; back < 3 && at > 0 && at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80;
         ++back) {
        --at;
    }
    return at;
}

void AppendWide(std::wstring& out, UINT codePage, std::string_view bytes)
{
    if (bytes.empty()) {
        return;
    }
    const int size = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0) {
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(units));
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, out.data() + start, units);
}

void AppendUtf8(std::string& out, std::wstring_view wide)
{
    if (wide.empty()) {
        return;
    }
    const int size = static_cast<int>(wide.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(bytes));
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data() + start, bytes, nullptr, nullptr);
}

}  // namespace

std::wstring utf8_to_wide(std::string_view utf8)
{
    std::wstring wide;
    while (!utf8.empty()) {
        const std::size_t take = utf8.size() <= kPieceBytes ? utf8.size() : Utf8Boundary(utf8, kPieceBytes);
        AppendWide(wide, CP_UTF8, utf8.substr(0, take));
        utf8.remove_prefix(take);
    }
    return wide;
}

std::string wide_to_utf8(std::wstring_view wide)
{
    std::string utf8;
    while (!wide.empty()) {
        std::size_t take = std::min(wide.size(), kPieceBytes / 4);
        // A surrogate pair stays whole.
        if (take < wide.size() && wide[take - 1] >= 0xD800 && wide[take - 1] <= 0xDBFF) {
            --take;
        }
        AppendUtf8(utf8, wide.substr(0, take));
        wide.remove_prefix(take);
    }
    return utf8;
}

void append_ansi_as_utf8(std::string& out, std::string_view ansi)
{
    // Plain ASCII is the same in every ANSI code page and in UTF-8.
    if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out += ansi;
        return;
    }
    std::wstring wide;
    // Texts this long do not occur (lines are cut far earlier); a double-byte
    // character split at a piece's end would become two replacement characters.
    for (std::size_t at = 0; at < ansi.size(); at += kPieceBytes) {
        AppendWide(wide, CP_ACP, ansi.substr(at, kPieceBytes));
    }
    AppendUtf8(out, wide);
}

void append_debug_text_as_utf8(std::string& out, std::string_view text)
{
    // ASCII reads the same in every ANSI code page as in UTF-8.
    if (is_valid_utf8(text)) {
        out += text;
        return;
    }
    append_ansi_as_utf8(out, text);
}

int utf8_into_buffer(std::string_view utf8, wchar_t* buffer, int size) noexcept
{
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    // No UTF-8 sequence yields more UTF-16 units than it has bytes.
    const std::size_t bytes = Utf8Boundary(utf8, std::min(utf8.size(), static_cast<std::size_t>(size - 1)));
    const int units
        = bytes == 0 ? 0 : ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(bytes), buffer, size - 1);
    buffer[units > 0 ? units : 0] = L'\0';
    return units > 0 ? units : 0;
}

}  // namespace unicode
