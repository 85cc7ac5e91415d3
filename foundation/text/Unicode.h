// Conversions between the library's three string kinds: wide (UTF-16),
// narrow (the system's ANSI code page) and string8 (UTF-8).
#pragma once

#include <string>

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
