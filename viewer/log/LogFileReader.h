// Reads a saved log (the viewer's own log, or what Save wrote) line by line,
// meant for a worker thread: progress can be read and the read cancelled
// from any other thread. Each byte is looked at once, and memory stays
// bounded by one chunk and one line, whatever the file holds. Lines end at
// "\r\n", "\n" or a lone "\r"; a byte-order mark at the start is skipped.
// Lines that are not in the log format are handed on as debug lines with
// their whole text, at the time of the line before them. A line longer than
// kMaxLineBytes is cut there, and the rest of it up to its line end skipped.
// Only disk files are read: a device or a pipe could block the read for ever.
#pragma once

#include "viewer/store/LineStore.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tracing {

struct LogReadResult {
    std::uint64_t lines = 0;
    std::uint64_t malformed = 0;  // lines not in the log format, handed on as debug lines
    std::uint64_t cut = 0;  // lines longer than LogFileReader::kMaxLineBytes, cut there
    DWORD error = 0;  // why the file could not be read (to its end); 0 when it was
    bool cancelled = false;
};

class LogFileReader {
public:
    static constexpr std::size_t kChunkBytes = std::size_t { 1 } << 20;
    // The longest text the store keeps, and room for the fields before it:
    // a saved line of the longest text reads back whole.
    static constexpr std::size_t kMaxLineBytes = LineStore::kMaxTextBytes + 1024;

    // Reads path, handing each line to take, on the calling thread, in order.
    // The line's texts are valid only during the call. Anything that is not
    // a disk file is refused with ERROR_BAD_FILE_TYPE.
    LogReadResult Read(const std::wstring& path, const std::function<void(const LineView&)>& take);
    // From any thread: a Read in progress returns soon after, and a later
    // one at once, with cancelled set.
    void Cancel() noexcept { mCancelled = true; }
    // Progress, from any thread: bytes read so far, and the file's size (0 until known).
    std::uint64_t BytesRead() const noexcept { return mBytesRead; }
    std::uint64_t TotalBytes() const noexcept { return mTotalBytes; }

private:
    std::atomic<bool> mCancelled { false };
    std::atomic<std::uint64_t> mBytesRead { 0 };
    std::atomic<std::uint64_t> mTotalBytes { 0 };
};

}  // namespace tracing
