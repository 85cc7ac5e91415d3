// Conversions between the library's three string kinds: wide (UTF-16),
// narrow (the system's ANSI code page) and string8 (UTF-8).
#pragma once

#include <cstddef>
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
// Appends a line of debug output as UTF-8: taken as written when it is valid
// UTF-8 holding more than ASCII, read in the ANSI code page otherwise.
void append_debug_text_as_utf8(std::string& out, std::string_view text);

}  // namespace unicode

// Strict UTF-8, without the system (Utf8.cpp), so that code built natively
// for fuzzing reads UTF-8 the same way.
namespace unicode {

// The length of the UTF-8 sequence that starts bytes (size > 0), its code
// point in codePoint; 0 when it is not well formed: a stray continuation
// byte, an overlong form, a surrogate, a value above U+10FFFF, or a sequence
// cut short, by another byte or by the end.
std::size_t decode_utf8(const unsigned char* bytes, std::size_t size, char32_t& codePoint) noexcept;
// Whether every sequence in text is well formed (see decode_utf8).
bool is_valid_utf8(std::string_view text) noexcept;

}  // namespace unicode
