#include "console/actions/StatusText.h"

#include "foundation/text/FormatBounded.h"

#include <cstdarg>

namespace console {

std::wstring FormatStatus(const wchar_t* format, ...)
{
    wchar_t buffer[kStatusBufferSize] = {};
    va_list arguments;
    va_start(arguments, format);
    const int length = VFormatBounded(buffer, kStatusBufferSize, format, arguments);
    va_end(arguments);
    return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

const wchar_t* UpdateResultName(int result)
{
    static const wchar_t* const kNames[] = {
        L"eUpdate_NoError",
        L"eUpdate_Error_Install",
        L"eUpdate_Error_Certificate",
        L"eUpdate_Error_Registry",
        L"eUpdate_Error_Update",
    };
    if (result < 0 || result >= static_cast<int>(sizeof(kNames) / sizeof(kNames[0]))) {
        return L"";
    }
    return kNames[result];
}

}  // namespace console
