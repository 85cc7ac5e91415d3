#include "foundation/text/FormatBounded.h"

#include <cstdio>
#include <cwchar>

namespace {

// The C library reports an error or a text that did not fit; either way the
// buffer ends up holding its first size - 1 characters and a terminator.
template <typename Char>
int Bounded(Char* buffer, size_t size, int written)
{
    if (written < 0 || static_cast<size_t>(written) >= size) {
        buffer[size - 1] = Char{};
        return static_cast<int>(size - 1);
    }
    return written;
}

}  // namespace

int VFormatBounded(char* buffer, size_t size, const char* format, va_list arguments)
{
    return Bounded(buffer, size, std::vsnprintf(buffer, size, format, arguments));
}

int VFormatBounded(wchar_t* buffer, size_t size, const wchar_t* format, va_list arguments)
{
    return Bounded(buffer, size, std::vswprintf(buffer, size, format, arguments));
}

int FormatBounded(char* buffer, size_t size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int written = VFormatBounded(buffer, size, format, arguments);
    va_end(arguments);
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
