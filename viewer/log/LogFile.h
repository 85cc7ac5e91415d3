// One log file and its rotation, written from one thread. Each Append opens
// the file, writes whole lines at its end and closes it again, so that a log
// that is moved, or whose folder goes away, is noticed at the next write and
// rotation can rename it. At the size limit PATH becomes PATH.1, older files
// move up to PATH.9 and the oldest goes, but only when every file of the
// chain can move: otherwise nothing moves, the log grows past its limit
// (OverLimit says why) and rotation is tried again kRotateRetryMs later.
// A write that fails is cut back off, so the file never ends in part of a
// line; the lines not written are for the caller to give again.
#pragma once

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tracing {

class LogFile {
public:
    static constexpr int kKeptFiles = 9;
    static constexpr std::uint64_t kRotateRetryMs = 2000;

    // Writes bytes at the file pointer; false, with the last error set, when
    // not all of them were written. Tests pass one that fails.
    using WriteBytes = std::function<bool(HANDLE file, std::string_view bytes)>;

    LogFile(std::wstring path, std::uint64_t limitBytes, WriteBytes write = {});

    const std::wstring& Path() const noexcept { return mPath; }
    void SetLimit(std::uint64_t limitBytes) noexcept { mLimit = limitBytes; }

    // Appends text, whole lines each ended by '\n', at tick (milliseconds,
    // for the rotation retry). Returns how many bytes from its start were
    // written, always whole lines; the rest was not written at all. Empty
    // text only opens the file, which shows whether it can be written.
    [[nodiscard]] std::size_t Append(std::string_view text, std::uint64_t tick);

    // Why the last Append stopped short; 0 when it wrote everything.
    DWORD Error() const noexcept { return mError; }
    // While the log grows past its limit because it could not rotate: why.
    bool OverLimit() const noexcept { return mRotateError != 0; }
    DWORD RotateError() const noexcept { return mRotateError; }

private:
    std::wstring Numbered(int number) const;
    // The log opened for writing at its end (size), with a torn last line
    // ended first; invalid, with the last error set, when it cannot be.
    [[nodiscard]] resources::UniqueFileHandle OpenAtEnd(std::uint64_t& size) const;
    // Writes bytes at size, the file's end, or nothing of them.
    [[nodiscard]] bool WriteWhole(HANDLE file, std::uint64_t size, std::string_view bytes) const;
    // 0 when the chain moved up one, otherwise why nothing moved.
    [[nodiscard]] DWORD Rotate() const;

    std::wstring mPath;
    std::uint64_t mLimit;
    WriteBytes mWrite;
    DWORD mError = 0;
    DWORD mRotateError = 0;
    std::uint64_t mRotateTriedAt = 0;
};

}  // namespace tracing
