// Writes every line, as it arrives, to a UTF-8 log file in the log format,
// appending to what the file holds. A thread of its own writes the waiting
// lines at least four times a second, so adding a line never waits for the
// disk. At the size limit the file rotates: PATH becomes PATH.1, older files
// move up to PATH.9, the oldest goes, and a fresh PATH starts.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "viewer/store/LineStore.h"

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class LogWriter {
public:
    static constexpr std::uint64_t kDefaultLimitBytes = std::uint64_t { 64 } << 20;
    static constexpr DWORD kFlushMs = 250;
    // Lines waiting beyond this (a disk that does not keep up) are not logged.
    static constexpr std::size_t kMaxWaitingBytes = std::size_t { 64 } << 20;
    static constexpr int kKeptFiles = 9;

    LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;
    ~LogWriter();

    // Logs to path from now on; a log in progress is finished first. A path
    // that cannot be opened is reported by GetStatus, and is tried again at
    // every write.
    void Start(const std::wstring& path, std::uint64_t limitBytes);
    // Writes what waits and closes the file.
    void Stop();
    void SetLimit(std::uint64_t limitBytes);
    std::uint64_t Limit() const;

    // Takes the line when a log is in progress; cheap, from any thread.
    void Append(const LineView& line);

    struct Status {
        bool active = false;
        std::wstring path;
        DWORD error = 0;  // the last write's failure, 0 while writing works
        std::uint64_t unwritten = 0;  // lines lost to failures since Start
    };
    Status GetStatus() const;

private:
    void Run() noexcept;
    void Write(std::string_view text);
    [[nodiscard]] resources::UniqueFileHandle Open() const;
    [[nodiscard]] bool Rotate() const;
    void Fail(DWORD error, std::string_view unwritten);

    mutable std::mutex mLock;  // guards the fields below it, up to mThread
    std::string mWaiting;
    bool mActive = false;
    bool mStopping = false;
    std::wstring mPath;
    std::uint64_t mLimit = kDefaultLimitBytes;
    DWORD mError = 0;
    std::uint64_t mUnwritten = 0;
    std::thread mThread;
    resources::UniqueHandle mWake;  // ends the wait between writes early
};
