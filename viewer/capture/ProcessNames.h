// The program file name of a process id (for example "Probedeck.exe"), as
// UTF-8. Each process is opened once, with query-limited access, and its
// handle is kept while it runs: as long as the handle is open the system
// cannot hand the id to another process, so a cached name is never a reused
// id's old one. Ended processes leave the cache at the next Sweep.
// One instance per thread.
#pragma once

#include "foundation/resources/UniqueResource.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tracing {

class ProcessNames {
public:
    static constexpr std::size_t kMaxCached = 4096;
    // How long an id that could not be opened stays unknown before it is tried again.
    static constexpr std::uint64_t kRetryMs = 1000;

    // Empty when the process cannot be opened (ended, or not ours to query)
    // and for id 0. Valid until the next call.
    std::string_view Lookup(std::uint32_t pid, std::uint64_t tick);
    // Forgets processes that have ended and ids to be tried again.
    void Sweep(std::uint64_t tick);

private:
    struct Entry {
        resources::UniqueHandle process;
        std::string name;
        std::uint64_t tick = 0;  // when an id that could not be opened was tried
    };
    std::unordered_map<std::uint32_t, Entry> mCache;
};

// The file name part of a full image path, as UTF-8.
std::string ProgramFileName(std::wstring_view imagePath);

}  // namespace tracing
