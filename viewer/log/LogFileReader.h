// Reads a saved log (the viewer's own log, or what Save wrote) a line at a
// time, meant for a thread of its own. Lines that are not in the log format
// are kept as debug lines with their whole text, at the time of the line
// before them.
#pragma once

#include "viewer/store/LineStore.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

struct LogReadResult {
    std::uint64_t lines = 0;
    std::uint64_t malformed = 0;
    std::uint64_t cut = 0;  // lines longer than a held line may be, cut
    DWORD error = 0;  // why the file could not be read; 0 when it was
    bool cancelled = false;
};

class LogFileReader {
public:
    // Reads path, handing each line to take (on the calling thread) in order.
    LogReadResult Read(const std::wstring& path, const std::function<void(const LineView&)>& take);
    void Cancel() noexcept { mCancel = true; }
    std::uint64_t BytesRead() const noexcept { return mBytesRead; }
    std::uint64_t TotalBytes() const noexcept { return mTotalBytes; }

private:
    std::atomic<bool> mCancel { false };
    std::atomic<std::uint64_t> mBytesRead { 0 };
    std::atomic<std::uint64_t> mTotalBytes { 0 };
};
