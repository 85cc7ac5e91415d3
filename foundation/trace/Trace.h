// Trace lines: indented by the calling thread's nesting depth, optionally
// stamped, written to the debugger output and delivered to the trace viewer.
// All trace text is narrow and passed through unchanged. Every call leaves
// the calling thread's last error as it found it.
#pragma once

#include "foundation/trace/CriticalSection.h"
#include "foundation/trace/TlsData.h"
#include "foundation/trace/TraceProtocol.h"

#include <cstdarg>
#include <cstdint>

#if defined(__GNUC__)
#define UTRACE_PRINTF(formatIndex, firstArgument) __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define UTRACE_PRINTF(formatIndex, firstArgument)
#endif

namespace UTrace {

// Output flags in gTraceFlags.
constexpr std::uint32_t kTraceToDebugger = 1;
constexpr std::uint32_t kTraceAllLevels = 2;
constexpr std::uint32_t kTraceTimestamp = 4;

// The marker format that writes nothing. Only this very pointer counts;
// another text reading "silent" is an ordinary format.
extern const char* const kSilent;

using TraceFilter = bool (*)(std::int32_t kind, const char* source, const char* text);

// Settings. They hold their initial values before any code runs; the console
// changes none of them. Change them through Configure (TraceSettings.h).
extern std::int32_t gTraceEnabled;   // 0: every line is dropped unformatted
extern std::int32_t gTraceLevel;     // Error passes at 1 and above, Message at 3
extern char gTraceSource[64];        // source name of error and message lines
extern TraceFilter gTraceFilter;     // when set, a line reaches the viewer only if it says so
extern std::uint32_t gTraceTag;      // carried unchanged in every record
extern std::uint32_t gTraceFlags;    // kTraceToDebugger | kTraceAllLevels at first

// Keeps lines of different threads apart; always taken before gTraceDepth's own
// lock (which a thread takes only to make its block, on its first access).
extern TalvaneCriticalSection gTraceLock;
// Slot 0: the calling thread's function nesting depth.
extern tls_data<unsigned int> gTraceDepth;

// An error line (kind 1), written when gTraceLevel >= 1 or kTraceAllLevels is set.
void Error(const char* format, ...) UTRACE_PRINTF(1, 2);
// A message line (kind 3), written when gTraceLevel >= 3 or kTraceAllLevels is set.
void Message(const char* format, ...) UTRACE_PRINTF(1, 2);

// Builds and delivers one line. The caller holds gTraceLock.
void WriteLine(const char* source, std::int32_t kind, std::uint32_t tag, std::uint8_t flag, const char* format,
               va_list arguments);

// Looks the viewer's window up; true when it exists.
[[nodiscard]] bool FindViewer();

// Microseconds since the performance counter's origin (or since process start
// without a counter).
std::uint64_t Microseconds();

}  // namespace UTrace
