// Makes the viewer the session's debug-output listener: it creates the
// shared buffer and its events (and their "Global\" twins when it may) and
// reads them on a thread of its own. Each write is copied out and the buffer
// handed back to the writers before anything else is done with it, so that
// writers wait as little as possible; a writer that takes the buffer and
// never gives it back costs the others one HandoverWatch::kGraceMs, not their
// timeout each. Complete lines go to the handler, on the capture thread.
// Objects of these names that someone else made first belong to another
// listener: none of them is used or signalled.
#pragma once

#include "foundation/resources/UniqueResource.h"
#include "viewer/capture/LineJoiner.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace tracing {

class DebugOutputCapture {
public:
    enum class State {
        Off,
        Capturing,
        TakenByOther,  // another listener owns the buffer
        Failed,  // the buffer could not be created; see Error
    };
    // How often ended processes leave the name cache.
    static constexpr DWORD kSweepMs = 2000;

    using LineHandler = std::function<void(const JoinedLine&)>;
    // namePrefix goes before the objects' names (and after "Global\"), so
    // that tests can listen beside the session's listener; empty otherwise.
    explicit DebugOutputCapture(LineHandler handler, std::wstring namePrefix = {});
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;
    ~DebugOutputCapture();

    // Starts listening unless it already does; the state it ends in.
    State Start();
    // Stops listening; held text is handed on as lines first.
    void Stop();
    State GetState() const { return mState; }
    DWORD Error() const { return mError; }
    // Writes lost because a writer took the buffer and gave nothing back
    // within HandoverWatch::kGraceMs (it ended, or hung), since construction.
    std::uint64_t AbandonedWrites() const noexcept { return mAbandoned; }

private:
    struct Listener {
        resources::UniqueHandle section;
        resources::UniqueHandle bufferReady;
        resources::UniqueHandle dataReady;
        resources::UniqueMappedView view;  // set only when all three are ours
    };
    // ERROR_SUCCESS, ERROR_ALREADY_EXISTS when another listener made any of
    // the objects, or the error that kept them from being made.
    [[nodiscard]] static DWORD Open(const std::wstring& prefix, Listener& listener);
    static void Close(Listener& listener);
    void Run() noexcept;

    LineHandler mHandler;
    std::wstring mNamePrefix;
    std::atomic<State> mState { State::Off };
    std::atomic<DWORD> mError { 0 };
    std::atomic<std::uint64_t> mAbandoned { 0 };
    Listener mLocal;
    Listener mGlobal;
    resources::UniqueHandle mStop;
    std::thread mThread;
};

}  // namespace tracing
