// Lines as captured, handed from the capture thread and the record window
// to the main loop. The queue is bounded: a flood the main loop cannot keep
// up with costs lines, counted, never the writers' time or all memory.
#pragma once

#include "viewer/store/LineStore.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tracecap {

// A line as captured, owned until it is judged.
struct Captured {
    std::int64_t time = 0;
    std::uint32_t pid = 0;
    tracing::LineOrigin origin = tracing::LineOrigin::Debug;
    std::int32_t kind = 0;
    std::string process;
    std::string source;
    std::string text;

    tracing::LineView View() const { return { time, pid, origin, kind, process, source, text }; }
};

class CapturedLines {
public:
    // What may wait for the main loop, counted by its texts and their holders.
    static constexpr std::size_t kMaxWaitingBytes = std::size_t { 64 } << 20;

    // Takes the line; false, and it is counted lost, when the queue is full.
    bool Add(Captured line);
    // Every waiting line, oldest first.
    std::vector<Captured> Take();
    std::uint64_t Lost() const;

private:
    static std::size_t CostOf(const Captured& line);

    mutable std::mutex mLock;
    std::vector<Captured> mLines;
    std::size_t mWaitingBytes = 0;
    std::uint64_t mLost = 0;
};

}  // namespace tracecap
