#include "foundation/trace/TraceSettings.h"

#include "foundation/trace/TraceInternals.h"

#include <atomic>

namespace UTrace {

Settings CurrentSettings()
{
    const LastErrorKeeper keep;
    TalvaneAutoCriticalSection hold(&gTraceLock);
    Settings settings;
    settings.enabled = gTraceEnabled;
    settings.level = gTraceLevel;
    settings.source = gTraceSource;
    settings.filter = gTraceFilter;
    settings.tag = gTraceTag;
    settings.flags = gTraceFlags;
    return settings;
}

void Configure(const Settings& settings)
{
    const LastErrorKeeper keep;
    TalvaneAutoCriticalSection hold(&gTraceLock);
    gTraceLevel = settings.level;
    const std::size_t sourceLength = settings.source.copy(gTraceSource, sizeof gTraceSource - 1);
    gTraceSource[sourceLength] = '\0';
    gTraceFilter = settings.filter;
    gTraceTag = settings.tag;
    gTraceFlags = settings.flags;
    gViewerState = -1;
    gViewerWindow = nullptr;
    // Error and Message read the switch without the lock.
    std::atomic_ref<std::int32_t>(gTraceEnabled).store(settings.enabled, std::memory_order_relaxed);
}

}  // namespace UTrace
