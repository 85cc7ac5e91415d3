// Joins the pieces a program writes to its debug output into lines. Text of
// one process that does not end in a line end is held and joined with that
// process's next writes until one brings the line end; held text becomes a
// line of its own after kIdleMs without a further write, or at kMaxHeld
// bytes. The line end ("\r\n" or "\n") is not part of the line. Writes of
// different processes are never joined.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tracing {

struct JoinedLine {
    std::uint32_t pid = 0;
    std::string_view process;  // the name given with the line's first piece
    std::string_view text;  // as written: ANSI, or UTF-8
    std::int64_t time = 0;  // the time given with the line's last piece
    std::int64_t stamp = 0;  // and its precise stamp (see PreciseStampNow), 0 when none
};

class LineJoiner {
public:
    static constexpr std::size_t kMaxHeld = 4096;
    static constexpr std::uint64_t kIdleMs = 1000;

    using Emit = std::function<void(const JoinedLine&)>;
    explicit LineJoiner(Emit emit)
        : mEmit(std::move(emit))
    {
    }

    // One write of process pid, made at time (the line's time), tick
    // (milliseconds, for the idle rule) and stamp (for scopes' durations).
    void Add(std::uint32_t pid, std::string_view process, std::string_view text, std::int64_t time,
        std::uint64_t tick, std::int64_t stamp = 0);
    // Held text whose last write is kIdleMs or more before tick becomes a line.
    void FlushIdle(std::uint64_t tick);
    // All held text becomes lines.
    void FlushAll();
    bool Holding() const { return !mHeld.empty(); }

private:
    struct Held {
        std::string process;
        std::string text;
        std::int64_t time = 0;
        std::int64_t stamp = 0;
        std::uint64_t tick = 0;
        bool cut = false;  // text went out at kMaxHeld since the last line end
    };
    void EmitLine(
        std::uint32_t pid, std::string_view process, std::string_view text, std::int64_t time, std::int64_t stamp);

    Emit mEmit;
    std::unordered_map<std::uint32_t, Held> mHeld;
};

}  // namespace tracing
