#include "viewer/capture/DebugBuffer.h"

#include <algorithm>
#include <cstring>

namespace tracing {

namespace debug_buffer {

Write Read(const unsigned char* bytes, std::size_t size)
{
    Write write;
    size = std::min(size, kBytes);
    if (size < sizeof write.pid) {
        return write;
    }
    std::memcpy(&write.pid, bytes, sizeof write.pid);
    const auto* text = reinterpret_cast<const char*>(bytes + sizeof write.pid);
    const std::size_t room = size - sizeof write.pid;
    const void* end = std::memchr(text, '\0', room);
    write.text = std::string_view(
        text, end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : room);
    return write;
}

}  // namespace debug_buffer

}  // namespace tracing
