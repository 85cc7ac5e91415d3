#include "foundation/trace/Trace.h"

#include "foundation/text/FormatBounded.h"
#include "foundation/trace/TraceInternals.h"
#include "foundation/trace/TraceRecord.h"

#include <ctime>
#include <string>

namespace UTrace {

const char* const kSilent = "silent";

std::int32_t gTraceEnabled = 0;
std::int32_t gTraceLevel = 0;
char gTraceSource[64] = {};
TraceFilter gTraceFilter = nullptr;
std::uint32_t gTraceTag = 0;
std::uint32_t gTraceFlags = kTraceToDebugger | kTraceAllLevels;

std::int32_t gViewerState = -1;
HWND gViewerWindow = nullptr;
DWORD gLastViewerLookup = 0;

// Defined in this order so that the depth array is built after the lock and
// destroyed before it.
TalvaneCriticalSection gTraceLock;
tls_data<unsigned int> gTraceDepth(1, 0);

namespace {

bool LevelPasses(std::int32_t threshold) noexcept
{
    return gTraceLevel >= threshold || (gTraceFlags & kTraceAllLevels) != 0;
}

// A viewer that was absent, or whose window failed to take a line, is looked
// up again at most once per interval, so that a viewer started (or restarted)
// after the program still gets its lines.
bool ViewerReachable()
{
    if (gViewerState == -1 ||
        (gViewerState == 0 && ::GetTickCount() - gLastViewerLookup >= kViewerLookupIntervalMs)) {
        gViewerState = FindViewer() ? 1 : 0;
    }
    return gViewerState == 1;
}

void Deliver(std::int32_t kind, std::uint32_t tag, std::uint8_t flag, const char* source, const char* line)
{
    if (!ViewerReachable()) {
        return;
    }
    TraceRecord record = TraceRecord::Fill(kind, tag, flag, source, line);
    COPYDATASTRUCT data = {};
    data.dwData = record.magic;
    data.cbData = record.length;
    data.lpData = &record;
    // A hung viewer must not hold every tracing thread (they wait on gTraceLock
    // behind this one), so the wait is bounded; the viewer's answer is ignored.
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(gViewerWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                              SMTO_NORMAL | SMTO_ABORTIFHUNG, kDeliveryTimeoutMs, &answer) == 0) {
        // Counts as a lookup, so that a viewer that hangs costs one bounded
        // wait per interval, not one per line.
        gViewerState = 0;
        gLastViewerLookup = ::GetTickCount();
    }
}

void WriteLevelLine(std::int32_t threshold, std::int32_t kind, const char* format, va_list arguments)
{
    TalvaneAutoCriticalSection hold(&gTraceLock);
    if (LevelPasses(threshold)) {
        WriteLine(gTraceSource, kind, gTraceTag, 0, format, arguments);
    }
}

}  // namespace

void Error(const char* format, ...)
{
    if (SwitchedOff()) {
        return;
    }
    const LastErrorKeeper keep;
    va_list arguments;
    va_start(arguments, format);
    try {
        WriteLevelLine(1, kTraceError, format, arguments);
    } catch (...) {
        va_end(arguments);
        throw;
    }
    va_end(arguments);
}

void Message(const char* format, ...)
{
    if (SwitchedOff()) {
        return;
    }
    const LastErrorKeeper keep;
    va_list arguments;
    va_start(arguments, format);
    try {
        WriteLevelLine(3, kTraceMessage, format, arguments);
    } catch (...) {
        va_end(arguments);
        throw;
    }
    va_end(arguments);
}

void WriteLine(const char* source, std::int32_t kind, std::uint32_t tag, std::uint8_t flag, const char* format,
               va_list arguments)
{
    if (gTraceEnabled == 0 || format == kSilent) {
        return;
    }
    const LastErrorKeeper keep;

    char message[1024];
    VFormatBounded(message, sizeof message, format, arguments);

    const unsigned int depth = gTraceDepth[0];
    std::string line;
    if ((gTraceFlags & kTraceTimestamp) != 0) {
        char stamp[32];
        FormatStamp(Microseconds(), stamp, sizeof stamp);
        line = stamp;
    }
    line.append(2 * static_cast<std::size_t>(depth), ' ');
    line += message;

    // Three calls per line; gTraceLock keeps other threads' lines out between them.
    if ((gTraceFlags & kTraceToDebugger) != 0) {
        if (source != nullptr) {
            std::string prefix(source);
            prefix += ": ";
            ::OutputDebugStringA(prefix.c_str());
        }
        ::OutputDebugStringA(line.c_str());
        ::OutputDebugStringA("\r\n");
    }

    if (gTraceFilter != nullptr && !gTraceFilter(kind, source, message)) {
        return;
    }
    Deliver(kind, tag, flag, source, line.c_str());
}

bool FindViewer()
{
    const LastErrorKeeper keep;
    gLastViewerLookup = ::GetTickCount();
    gViewerWindow = ::FindWindowW(kViewerClass, nullptr);
    return gViewerWindow != nullptr;
}

std::uint64_t Microseconds()
{
    const LastErrorKeeper keep;
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    if (::QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 && ::QueryPerformanceCounter(&counter)) {
        return CounterToMicroseconds(static_cast<std::uint64_t>(counter.QuadPart),
                                     static_cast<std::uint64_t>(frequency.QuadPart));
    }
    return static_cast<std::uint64_t>(std::clock()) * 1000000u / CLOCKS_PER_SEC;
}

std::uint64_t CounterToMicroseconds(std::uint64_t counter, std::uint64_t perSecond)
{
    // Whole seconds and the remainder apart, so that counter x 1,000,000 never
    // wraps however long the machine has been up.
    return counter / perSecond * 1000000u + counter % perSecond * 1000000u / perSecond;
}

int FormatStamp(std::uint64_t microseconds, char* buffer, std::size_t size)
{
    const std::uint64_t seconds = microseconds / 1000000u;
    const auto milliseconds = static_cast<unsigned>((microseconds - seconds * 1000000u) / 1000u);
    return FormatBounded(buffer, size, "%u:%u:%u.%03u : ", static_cast<unsigned>(seconds / 3600),
                         static_cast<unsigned>(seconds % 3600 / 60), static_cast<unsigned>(seconds % 60),
                         milliseconds);
}

}  // namespace UTrace
