// The shared buffer through which programs hand their debug output to the
// session's listener: a 4096-byte section holding the writer's process id
// and then NUL-terminated ANSI text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tracing {

namespace debug_buffer {

inline constexpr std::size_t kBytes = 4096;
inline constexpr std::size_t kTextBytes = kBytes - sizeof(std::uint32_t);

// The names of the section and its two auto-reset events. Listeners of other
// sessions (services) use the same names under "Global\".
inline constexpr wchar_t kSection[] = L"DBWIN_BUFFER";
inline constexpr wchar_t kBufferReady[] = L"DBWIN_BUFFER_READY";
inline constexpr wchar_t kDataReady[] = L"DBWIN_DATA_READY";
inline constexpr wchar_t kGlobalPrefix[] = L"Global\\";

struct Write {
    std::uint32_t pid = 0;
    std::string_view text;  // without its NUL
};

// Reads one write from a copy of the section (size bytes, at most kBytes are
// looked at). The text ends at its NUL or, when a writer left none, at the
// end of the section.
Write Read(const unsigned char* bytes, std::size_t size);

}  // namespace debug_buffer

}  // namespace tracing
