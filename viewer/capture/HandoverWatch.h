// When the capture thread hands the debug-output buffer to the writers again
// without having had their data. A writer takes the buffer (its wait on
// DBWIN_BUFFER_READY) and gives it back by signalling DBWIN_DATA_READY; one
// that ends in between would leave every later writer waiting out its own
// timeout. So once the buffer has been out kGraceMs without data, it is
// handed over again, and capture never waits on one writer.
// Pure: it takes millisecond ticks and does nothing itself.
#pragma once

#include <cstdint>

namespace tracing {

class HandoverWatch {
public:
    static constexpr std::uint64_t kGraceMs = 1000;

    // The buffer went to the writers at tick (at the start, after each write
    // read, and when handed over again).
    void HandedOver(std::uint64_t tick) noexcept
    {
        mOut = true;
        mHandedAt = tick;
    }
    // True when the buffer has been out kGraceMs or more at tick without data.
    bool Overdue(std::uint64_t tick) const noexcept { return mOut && Elapsed(tick) >= kGraceMs; }
    // How long the capture thread may wait from tick before it must look
    // again: at most limitMs, at most until the buffer is overdue.
    std::uint64_t WaitMs(std::uint64_t tick, std::uint64_t limitMs) const noexcept
    {
        if (!mOut) {
            return limitMs;
        }
        const std::uint64_t elapsed = Elapsed(tick);
        const std::uint64_t left = elapsed >= kGraceMs ? 0 : kGraceMs - elapsed;
        return left < limitMs ? left : limitMs;
    }

private:
    // A tick before the handover (a clock that went back) counts as none elapsed.
    std::uint64_t Elapsed(std::uint64_t tick) const noexcept { return tick > mHandedAt ? tick - mHandedAt : 0; }

    bool mOut = false;
    std::uint64_t mHandedAt = 0;
};

}  // namespace tracing
