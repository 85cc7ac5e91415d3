#include "foundation/text/FormatBounded.h"

#include <cstdio>
#include <cwchar>

int VFormatBounded(char* buffer, size_t size, const char* format, va_list arguments)
{
    const int written = std::vsnprintf(buffer, size, format, arguments);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        buffer[size - 1] = '\0';
        return static_cast<int>(size - 1);
    }
    return written;
}

int FormatBounded(char* buffer, size_t size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int written = VFormatBounded(buffer, size, format, arguments);
    va_end(arguments);
    return written;
}

int VFormatBounded(wchar_t* buffer, size_t size, const wchar_t* format, va_list arguments)
{
    // The C library's vswprintf fails (negative) on overflow and may leave the
    // buffer unterminated; the rule below makes both cases a cut text.
    const int written = std::vswprintf(buffer, size, format, arguments);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        buffer[size - 1] = L'\0';
        return static_cast<int>(size - 1);
    }
    return written;
}

int FormatBounded(wchar_t* buffer, size_t size, const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int written = VFormatBounded(buffer, size, format, arguments);
    va_end(arguments);
    return written;
}
