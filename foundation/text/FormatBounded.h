// The library's printf-style formatter into a caller's fixed buffer.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats into buffer (size >= 1 characters). The result is always
// NUL-terminated: a text that does not fit, or a formatting error, leaves the
// first size - 1 characters and returns size - 1; otherwise the return value is
// the number of characters written.
int FormatBounded(char* buffer, size_t size, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(gnu_printf, 3, 4)))
#endif
    ;
int VFormatBounded(char* buffer, size_t size, const char* format, va_list arguments);

// The same for wide text, for status lines and window texts.
int FormatBounded(wchar_t* buffer, size_t size, const wchar_t* format, ...);
int VFormatBounded(wchar_t* buffer, size_t size, const wchar_t* format, va_list arguments);
