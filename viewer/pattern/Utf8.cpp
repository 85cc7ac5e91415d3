#include "viewer/pattern/Utf8.h"

#include "foundation/text/Unicode.h"

namespace tracing {

namespace pattern {

std::size_t DecodeUnit(const unsigned char* text, std::size_t size, std::uint32_t& unit) noexcept
{
    char32_t codePoint = 0;
    const std::size_t length = unicode::decode_utf8(text, size, codePoint);
    unit = length != 0 ? static_cast<std::uint32_t>(codePoint) : kInvalidByteBase + text[0];
    return length != 0 ? length : 1;
}

void AppendUnit(std::uint32_t unit, std::string& out)
{
    const auto put = [&out](std::uint32_t byte) { out.push_back(static_cast<char>(byte)); };
    if (unit >= kInvalidByteBase) {
        put(unit - kInvalidByteBase);
    } else if (unit < 0x80) {
        put(unit);
    } else if (unit < 0x800) {
        put(0xC0 | (unit >> 6));
        put(0x80 | (unit & 0x3F));
    } else if (unit < 0x10000) {
        put(0xE0 | (unit >> 12));
        put(0x80 | ((unit >> 6) & 0x3F));
        put(0x80 | (unit & 0x3F));
    } else {
        put(0xF0 | (unit >> 18));
        put(0x80 | ((unit >> 12) & 0x3F));
        put(0x80 | ((unit >> 6) & 0x3F));
        put(0x80 | (unit & 0x3F));
    }
}

}  // namespace pattern

}  // namespace tracing
