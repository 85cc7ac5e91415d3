// Finds where an opened file's lines end, on a thread of its own, and hands
// them over in batches: the session takes them when it likes, and the
// thread waits (a bounded while at a time) when too many are waiting.
// Following, it goes on as the file grows: a file that does not exist yet
// is waited for; one that shrinks, or is replaced under its name (rotated
// away and made anew), is read again from its start; a line left without a
// line end is taken as it stands once the file has been still a while.
// Stopping ends the thread at once, whatever it was doing.
#pragma once

#include "viewer/file/OpenedFile.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tracing {

class FileIndexing {
public:
    static constexpr std::size_t kReadBytes = std::size_t { 1 } << 20;
    // A batch is handed over at this many lines, or this long after its first.
    static constexpr std::size_t kBatchLines = 65536;
    static constexpr std::uint64_t kBatchMs = 50;
    // Beyond this many line ends waiting, the thread waits for the session.
    static constexpr std::size_t kMaxWaitingLines = std::size_t { 4 } << 20;
    // Following: how often the file is looked at, how often its name is
    // opened again to see whether it was replaced, and how long a last line
    // without a line end waits for one.
    static constexpr std::uint64_t kPollMs = 100;
    static constexpr std::uint64_t kRenameCheckMs = 500;
    static constexpr std::uint64_t kLastLineMs = 1000;

    struct Batch {
        // Set when the file (begins again): every line before is gone.
        std::shared_ptr<const OpenedFile> file;
        std::vector<std::uint64_t> ends;
    };

    enum class State : std::uint8_t { Idle, Opening, Waiting, Indexing, Following, Done, Failed, Stopped };
    struct Progress {
        State state = State::Idle;
        std::uint64_t bytes = 0;  // of the file looked at
        std::uint64_t size = 0;  // the file's size when last looked at
        DWORD error = 0;  // why it failed
        std::uint64_t restarts = 0;  // times the file was truncated or replaced
        bool notText = false;  // NUL bytes were seen in text of single bytes
    };

    FileIndexing() = default;
    FileIndexing(const FileIndexing&) = delete;
    FileIndexing& operator=(const FileIndexing&) = delete;
    ~FileIndexing() { Stop(); }

    void Start(std::wstring path, bool follow);
    void Stop() noexcept;
    bool Started() const { return mThread.joinable(); }

    // The batches waiting, oldest first; their lines in order.
    std::vector<Batch> Take();
    Progress GetProgress() const;

private:
    void Run(std::wstring path, bool follow) noexcept;
    // Reads one file from its start; true when it must be read again from its start.
    bool Index(const std::wstring& path, bool follow);
    void Hand(Batch& batch, bool force);
    void Fail(DWORD error);
    // Sleeps up to ms, or less when stopped; false once stopped.
    bool Pause(std::uint64_t ms);

    std::atomic<bool> mStop { false };
    mutable std::mutex mLock;
    std::condition_variable mWake;  // a stop, or room for more batches
    std::vector<Batch> mWaiting;
    std::size_t mWaitingLines = 0;
    Progress mProgress;  // under mLock
    std::uint64_t mBatchStarted = 0;
    std::thread mThread;
};

}  // namespace tracing
