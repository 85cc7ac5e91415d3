#include "foundation/errors/TalvaneException.h"

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

namespace SystemException {

std::wstring GetSystemErrorText(std::uint32_t code)
{
    // Nothing is passed for inserts, so the system must leave "%1" and the
    // like as they stand instead of reading arguments that do not exist.
    constexpr DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    resources::UniqueLocalMem owner(text);
    if (text == nullptr) {
        return L"n/a";
    }
    return RemoveTrailingLineBreaks(std::wstring(text, length));
}

std::wstring RemoveTrailingLineBreaks(std::wstring text)
{
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace SystemException
