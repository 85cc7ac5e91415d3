// The tracing facility's own state and helpers, shared by its source files
// and its tests. Receivers of trace records need none of this: they include
// TraceProtocol.h.
#pragma once

#include "foundation/trace/Trace.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace UTrace {

// Viewer presence: -1 undetermined, 0 absent, 1 present. Touched only under gTraceLock.
extern std::int32_t gViewerState;
extern HWND gViewerWindow;
extern DWORD gLastViewerLookup;

// How long one delivery may wait for the viewer before it counts as failed.
constexpr DWORD kDeliveryTimeoutMs = 1000;
// While the viewer is absent, it is looked up again at most this often.
constexpr DWORD kViewerLookupIntervalMs = 3000;

// The switch is read without the lock on the fast paths, so that a
// switched-off line or scope costs no more than a test of one value.
inline bool SwitchedOff() noexcept
{
    return std::atomic_ref<std::int32_t>(gTraceEnabled).load(std::memory_order_relaxed) == 0;
}

// Puts the calling thread's last error back as it was when the keeper was
// made. Tracing runs inside the traced program's error paths: TlsGetValue,
// the debugger output, the window lookup and the send all overwrite the
// error, and a caller reading GetLastError() after a traced call must still
// see its own.
class [[nodiscard]] LastErrorKeeper {
public:
    LastErrorKeeper() noexcept
        : mError(::GetLastError())
    {
    }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;
    ~LastErrorKeeper() { ::SetLastError(mError); }

private:
    DWORD mError;
};

// counter x 1,000,000 / perSecond, without the 64-bit overflow of forming the
// product first (perSecond > 0).
std::uint64_t CounterToMicroseconds(std::uint64_t counter, std::uint64_t perSecond);

// The stamp "h:m:s.mmm : " for a microsecond count, into buffer (NUL-terminated,
// cut to size). Returns the number of characters written.
int FormatStamp(std::uint64_t microseconds, char* buffer, std::size_t size);

}  // namespace UTrace
