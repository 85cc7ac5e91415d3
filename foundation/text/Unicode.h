// Conversions between the library's three string kinds: wide (UTF-16),
// narrow (the system's ANSI code page) and string8 (UTF-8).
#pragma once

#include <string>
#include <string_view>

// UTF-8 text; its element type keeps it apart from ANSI text at compile time.
using string8 = std::basic_string<unsigned char>;

namespace unicode {

std::wstring to_wstring(const std::wstring& text);
std::wstring to_wstring(const std::string& text);
std::wstring to_wstring(const string8& text);

std::string to_string(const std::wstring& text);
std::string to_string(const string8& text);

string8 to_string8(const std::wstring& text);
string8 to_string8(const std::string& text);

std::wstring to_upper(const std::wstring& text);
string8 to_upper8(const string8& text);

// True on the non-NT Windows family, where the narrow file and text
// interfaces have to be used.
bool IsNonNtPlatform();

}  // namespace unicode

// Conversions of whole views, embedded NULs included, for callers that keep
// UTF-8 in plain strings (the trace viewer's lines, for one). Bytes that are
// not valid in their encoding still become characters: nothing is dropped.
namespace unicode {

std::wstring utf8_to_wide(std::string_view utf8);
std::string wide_to_utf8(std::wstring_view wide);
// Appends ANSI text (the system code page) as UTF-8.
void append_ansi_as_utf8(std::string& out, std::string_view ansi);
// Converts as much of utf8 as fits into buffer (size units, NUL included),
// never cutting a character in two; returns the units written before the NUL.
int utf8_into_buffer(std::string_view utf8, wchar_t* buffer, int size) noexcept;

}  // namespace unicode
