#include "viewer/window/Clipboard.h"

#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"

#include <algorithm>

namespace tracing {

bool CopyToClipboard(HWND owner, std::string_view utf8)
{
    const std::wstring text = unicode::utf8_to_wide(utf8);
    resources::UniqueGlobalMem memory(::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    auto* target = static_cast<wchar_t*>(memory ? ::GlobalLock(memory.get()) : nullptr);
    if (target == nullptr) {
        return false;
    }
    std::copy(text.begin(), text.end(), target);
    target[text.size()] = L'\0';
    ::GlobalUnlock(memory.get());
    if (!::OpenClipboard(owner)) {
        return false;
    }
    ::EmptyClipboard();
    // The clipboard owns the memory once it has taken it.
    const bool taken = ::SetClipboardData(CF_UNICODETEXT, memory.get()) != nullptr;
    if (taken) {
        static_cast<void>(memory.release());
    }
    ::CloseClipboard();
    return taken;
}

}  // namespace tracing
