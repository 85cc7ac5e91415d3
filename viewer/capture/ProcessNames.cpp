#include "viewer/capture/ProcessNames.h"

#include "foundation/text/Unicode.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

namespace tracing {

std::string_view ProcessNames::Lookup(std::uint32_t pid, std::uint64_t tick)
{
    if (pid == 0) {
        return {};
    }
    const auto cached = mCache.find(pid);
    if (cached != mCache.end()) {
        return cached->second.name;
    }
    if (mCache.size() >= kMaxCached) {
        Sweep(tick);
        if (mCache.size() >= kMaxCached) {
            mCache.clear();
        }
    }
    Entry entry;
    entry.tick = tick;
    // Synchronize, to see the process end; nothing more than querying its name.
    entry.process.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
    if (entry.process) {
        wchar_t path[MAX_PATH * 4];
        DWORD length = MAX_PATH * 4;
        if (::QueryFullProcessImageNameW(entry.process.get(), 0, path, &length)) {
            entry.name = ProgramFileName(std::wstring_view(path, length));
        }
    }
    return mCache.emplace(pid, std::move(entry)).first->second.name;
}

void ProcessNames::Sweep(std::uint64_t tick)
{
    for (auto entry = mCache.begin(); entry != mCache.end();) {
        const bool gone = entry->second.process ? ::WaitForSingleObject(entry->second.process.get(), 0) == WAIT_OBJECT_0
                                                : tick - entry->second.tick >= kRetryMs;
        entry = gone ? mCache.erase(entry) : std::next(entry);
    }
}

std::string ProgramFileName(std::wstring_view imagePath)
{
    const std::size_t slash = imagePath.find_last_of(L"\\/");
    const std::wstring_view name = slash == std::wstring_view::npos ? imagePath : imagePath.substr(slash + 1);
    return unicode::wide_to_utf8(name);
}

}  // namespace tracing
