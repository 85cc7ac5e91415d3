#include "viewer/pattern/Utf8.h"

namespace tracing {

namespace pattern {
namespace {

bool IsContinuation(unsigned char c) noexcept
{
    return (c & 0xC0) == 0x80;
}

}  // namespace

std::size_t DecodeUnit(const unsigned char* text, std::size_t size, std::uint32_t& unit) noexcept
{
    const unsigned char lead = text[0];
    unit = kInvalidByteBase + lead;
    if (lead < 0x80) {
        unit = lead;
        return 1;
    }
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t smallest = 0;  // below it the form is overlong
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 1;
    }
    if (size < length) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(text[i])) {
            return 1;
        }
        value = (value << 6) | (text[i] & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 1;
    }
    unit = value;
    return length;
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
