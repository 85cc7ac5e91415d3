// Writes every line, as it arrives, to a UTF-8 log file in the log format,
// appending to what the file holds. A thread of its own writes the waiting
// lines at least four times a second, so adding a line never waits for the
// disk. At the size limit the file rotates (see LogFile): PATH becomes
// PATH.1, older files move up to PATH.9, the oldest goes, and a fresh PATH
// starts. Lines that cannot be written (a full disk, a folder gone) wait and
// are tried again, sooner at first and then every kMaxRetryMs; lines beyond
// the waiting bound, and those still waiting when the log stops, are counted.
#pragma once

#include "viewer/log/LogFile.h"
#include "viewer/store/LineStore.h"

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace tracing {

class LogWriter {
public:
    static constexpr std::uint64_t kDefaultLimitBytes = std::uint64_t { 64 } << 20;
    static constexpr DWORD kFlushMs = 250;
    // Lines waiting beyond this (a disk that does not keep up, or cannot be
    // written) are not logged, only counted.
    static constexpr std::size_t kMaxWaitingBytes = std::size_t { 64 } << 20;
    static constexpr int kKeptFiles = LogFile::kKeptFiles;
    // After a failed write the lines are tried again this much later,
    // doubling up to kMaxRetryMs.
    static constexpr DWORD kFirstRetryMs = 250;
    static constexpr DWORD kMaxRetryMs = 2000;

    explicit LogWriter(std::size_t maxWaitingBytes = kMaxWaitingBytes);
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;
    ~LogWriter();

    // Logs to path from now on; a log in progress is finished first. A path
    // that cannot be opened is reported by GetStatus at once, and is tried
    // again while lines wait.
    void Start(const std::wstring& path, std::uint64_t limitBytes);
    // Writes what waits (one last try) and closes the file.
    void Stop();
    void SetLimit(std::uint64_t limitBytes);
    std::uint64_t Limit() const;

    // Takes the line when a log is in progress; cheap, from any thread.
    void Append(const LineView& line);

    struct Status {
        bool active = false;
        std::wstring path;
        // Why lines cannot be written now (they wait and are tried again);
        // 0 while writing works.
        DWORD error = 0;
        std::uint64_t waitingBytes = 0;  // taken, not yet written
        // Lines not logged since Start: beyond the waiting bound, or still
        // waiting when the log stopped.
        std::uint64_t unwritten = 0;
        // The log grows past its limit because it could not rotate (a file of
        // the chain is held open elsewhere); rotateError says why. Rotation
        // is tried again every LogFile::kRotateRetryMs while lines come.
        bool overLimit = false;
        DWORD rotateError = 0;
    };
    Status GetStatus() const;

private:
    void Run(LogFile file) noexcept;

    const std::size_t mMaxWaitingBytes;
    mutable std::mutex mLock;  // guards the fields below it, up to mThread
    std::string mWaiting;
    std::size_t mHeldBytes = 0;  // taken by the writing thread, not yet written
    bool mActive = false;
    bool mStopping = false;
    std::wstring mPath;
    std::uint64_t mLimit = kDefaultLimitBytes;
    DWORD mError = 0;
    std::uint64_t mUnwritten = 0;
    DWORD mRotateError = 0;
    std::thread mThread;
    resources::UniqueHandle mWake;  // ends the wait between writes early
};

}  // namespace tracing
