// Where every line enters, from any thread: debug output from the capture
// thread, records from the window thread, a saved log from its reader. A
// line goes to the log at once, so that a full store never costs a logged
// line, and waits in a bounded queue until the session takes it into its
// store. Adding takes one short lock and never waits on the session. As
// lines enter the store, their function scopes are paired there and then,
// with the precise stamps they were given where they arrived.
#pragma once

#include "viewer/capture/LineJoiner.h"
#include "viewer/log/LogWriter.h"
#include "viewer/records/ReceivedRecord.h"
#include "viewer/store/LineStore.h"
#include "viewer/view/ScopeDurations.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tracing {

// What a program writes as a whole debug line to clear the viewer's lines.
inline constexpr std::string_view kClearCommand = "DBGVIEWCLEAR";

// Where and when a line arrived, beyond what the store keeps of it.
struct LineArrival {
    std::int64_t stamp = 0;  // PreciseStampNow() where it was received; 0: its time stands in
    std::uint32_t thread = 0;  // a record's: the thread owning the window it named, 0 for none
    bool clears = false;  // the clear command: logged, then it clears instead of becoming a line
};

class LineIntake {
public:
    // Beyond this the queue takes no more lines: they are counted as lost.
    static constexpr std::size_t kMaxQueuedBytes = std::size_t { 64 } << 20;

    explicit LineIntake(LogWriter* log)
        : mLog(log)
    {
    }
    LineIntake(const LineIntake&) = delete;
    LineIntake& operator=(const LineIntake&) = delete;

    // From any thread. A line that cannot be queued (the queue is full, or
    // memory ran out) is counted as lost; nothing is thrown.
    void Add(const LineView& line, LineArrival arrival = {}) noexcept;
    // Records carry ANSI text (the writer's code page), and so does debug
    // output unless a line is valid UTF-8 beyond ASCII, which is kept as
    // written: both become UTF-8 here. A debug line that is exactly
    // kClearCommand is logged, then asks the session to clear instead of
    // becoming a line.
    void AddDebugLine(const JoinedLine& line) noexcept;
    void AddRecord(const ReceivedRecord& record, std::int64_t time, std::uint32_t pid, std::string_view process,
        LineArrival arrival = {}) noexcept;
    // For a reader that must not lose lines: waits, a slice at a time, for
    // room in the queue until it has it or stop is set. False when stopped.
    bool AddWaiting(const LineView& line, const std::atomic<bool>& stop) noexcept;

    // The session's thread: moves up to maxLines queued lines into store, in
    // the order they came, pairing their scopes in durations when given;
    // returns how many were moved. A line the store cannot keep (out of
    // memory) is counted as lost.
    std::size_t MoveInto(LineStore& store, std::size_t maxLines, ScopeDurations* durations = nullptr) noexcept;
    // The same, stopping after a clear command, which sets clearAsked.
    std::size_t MoveInto(
        LineStore& store, std::size_t maxLines, ScopeDurations* durations, bool& clearAsked) noexcept;
    bool Waiting() const;
    std::uint64_t Lost() const { return mLost.load(); }
    // Forgets the lines waiting (Clear).
    void Drop();

private:
    struct Queued {
        std::int64_t time;
        std::int64_t stamp;
        std::uint32_t pid;
        std::uint32_t thread;
        std::int32_t kind;
        LineOrigin origin;
        std::uint32_t processBytes;
        std::uint32_t sourceBytes;
        std::uint32_t textBytes;
        bool clears;
    };
    struct Batch {
        std::vector<Queued> lines;
        std::string bytes;
        std::size_t next = 0;  // the next line to move
        std::size_t nextByte = 0;
        void Clear()
        {
            lines.clear();
            bytes.clear();
            next = nextByte = 0;
        }
    };
    // Queues the line when there is room; false when there is none.
    bool TryQueue(const LineView& line, LineArrival arrival);

    LogWriter* mLog;
    mutable std::mutex mLock;  // guards mQueue
    Batch mQueue;
    std::condition_variable mRoom;
    Batch mTaking;  // the session's: taken from the queue, not yet moved
    std::atomic<std::uint64_t> mLost { 0 };
};

}  // namespace tracing
