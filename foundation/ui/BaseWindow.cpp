#include "foundation/ui/BaseWindow.h"

#include "foundation/text/Unicode.h"

#include <cwchar>
#include <exception>
#include <new>

namespace ui {

resources::UniqueGdiObject CreateMessageFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font = {};
    if (::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        font = metrics.lfMessageFont;
    } else {
        // Older systems: an 8-point shell dialog font at the DPI asked for.
        font.lfHeight = -::MulDiv(8, static_cast<int>(dpi), 72);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        ::wcsncpy_s(font.lfFaceName, L"MS Shell Dlg 2", _TRUNCATE);
    }
    return resources::UniqueGdiObject(::CreateFontIndirectW(&font));
}

std::wstring CurrentFailureText() noexcept
{
    try {
        try {
            throw;
        } catch (const std::bad_alloc&) {
            return L"Out of memory.";
        } catch (const std::exception& failure) {
            return unicode::to_wstring(std::string(failure.what()));
        } catch (...) {
            return L"An unknown failure.";
        }
    } catch (...) {
        // Too short of memory even for the text.
        return std::wstring();
    }
}

std::wstring WindowText(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace ui
