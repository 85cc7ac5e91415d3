// When the viewer's window may draw again. Following a fast stream redraws
// the whole page at every refresh, which costs tens of milliseconds under
// Wine, and every moment of the processor the viewer takes is one the
// programs it watches may wait for: drawing (the refresh, and the list's
// painting that follows it) is spaced so that it takes at most a fifth of the
// window thread's time, and come at most four times a second: nobody reads
// more of a scrolling stream. The session's own work goes on at every tick,
// and the user's commands draw at once.
#pragma once

#include <windows.h>

namespace tracing {

class DrawPacing {
public:
    static constexpr double kShare = 0.2;
    static constexpr double kMinIntervalMs = 250;

    // Milliseconds on the performance counter.
    static double NowMs() noexcept
    {
        LARGE_INTEGER counter;
        LARGE_INTEGER frequency;
        ::QueryPerformanceCounter(&counter);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    }

    bool Due() const noexcept { return NowMs() >= mNextMs; }
    // A refresh that began at startMs has ended.
    void Refreshed(double startMs) noexcept
    {
        const double now = NowMs();
        const double cost = (now - startMs + mPaintMs) / kShare;
        mNextMs = now + (cost > kMinIntervalMs ? cost : kMinIntervalMs);
    }
    // The list painted, from startMs until now.
    void Painted(double startMs) noexcept { mPaintMs = NowMs() - startMs; }

private:
    double mNextMs = 0;
    double mPaintMs = 0;
};

}  // namespace tracing
