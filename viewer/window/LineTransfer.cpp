#include "viewer/window/LineTransfer.h"

#include "foundation/resources/UniqueResource.h"
#include "viewer/ViewerResources.h"
#include "viewer/log/LogFormat.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kLinesPerLock = 4096;

}  // namespace

std::string FormatLines(const LineStore& store, const std::vector<SequenceRange>& ranges)
{
    std::string text;
    for (const SequenceRange& range : ranges) {
        for (std::uint64_t from = range.from; from < range.to;) {
            const std::uint64_t to = std::min(range.to, from + kLinesPerLock);
            const LineStore::Reading reading = store.Read();
            const std::uint64_t first = reading.First();
            const std::uint64_t end = first + reading.Size();
            for (std::uint64_t sequence = std::max(from, first); sequence < std::min(to, end); ++sequence) {
                AppendLogLine(text, reading.Line(static_cast<std::size_t>(sequence - first)));
            }
            from = to;
        }
    }
    return text;
}

std::wstring Utf8ToWide(std::string_view utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(std::min<std::size_t>(utf8.size(), 0x7FFFFFFF));
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(units, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), units);
    return wide;
}

std::string WideToUtf8(std::wstring_view wide)
{
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(std::min<std::size_t>(wide.size(), 0x7FFFFFFF));
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

int Utf8IntoBuffer(std::string_view utf8, wchar_t* buffer, int size)
{
    if (size <= 0) {
        return 0;
    }
    // No UTF-8 sequence yields more UTF-16 units than it has bytes.
    std::size_t bytes = std::min(utf8.size(), static_cast<std::size_t>(size - 1));
    while (bytes < utf8.size() && bytes > 0 && (static_cast<unsigned char>(utf8[bytes]) & 0xC0) == 0x80) {
        --bytes;
    }
    const int units
        = bytes == 0 ? 0 : ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(bytes), buffer, size - 1);
    buffer[std::max(units, 0)] = L'\0';
    return std::max(units, 0);
}

bool CopyToClipboard(HWND owner, std::string_view utf8)
{
    const std::wstring text = Utf8ToWide(utf8);
    viewer_resources::UniqueGlobalMem memory(::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
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
