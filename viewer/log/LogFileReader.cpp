#include "viewer/log/LogFileReader.h"

#include "foundation/resources/UniqueResource.h"
#include "viewer/log/LogFormat.h"

#include <vector>

LogReadResult LogFileReader::Read(const std::wstring& path, const std::function<void(const LineView&)>& take)
{
    LogReadResult result;
    const resources::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        result.error = ::GetLastError();
        return result;
    }
    std::string pending;
    std::vector<char> chunk(1 << 20);
    std::int64_t time = 0;
    const auto line = [&](std::string_view text) {
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        ++result.lines;
        LineView view;
        if (const auto entry = ParseLogLine(text)) {
            time = entry->time;
            take({ entry->time, entry->pid, entry->origin, entry->kind, entry->process, entry->source, entry->text });
            return;
        }
        ++result.malformed;
        view.time = time;
        view.text = text;
        take(view);
    };
    for (;;) {
        DWORD read = 0;
        if (mCancel) {
            result.cancelled = true;
            return result;
        }
        if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
            result.error = ::GetLastError();
            break;
        }
        if (read == 0) {
            break;
        }
        mBytesRead += read;
        pending.append(chunk.data(), read);
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            line(std::string_view(pending).substr(start, end - start));
        }
        pending.erase(0, start);
    }
    if (!pending.empty()) {
        line(pending);
    }
    return result;
}
