#include "foundation/text/Unicode.h"

#include <cstdint>
#include <cstring>

namespace unicode {

std::size_t decode_utf8(const unsigned char* bytes, std::size_t size, char32_t& codePoint) noexcept
{
    const unsigned char lead = bytes[0];
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;  // below it the form is overlong
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
        return 0;
    }
    if (size < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    codePoint = value;
    return length;
}

bool is_valid_utf8(std::string_view text) noexcept
{
    const auto* at = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = at + text.size();
    while (at != end) {
        // Runs of ASCII, the most of most texts, eight bytes at a time.
        std::uint64_t word = 0;
        if (end - at >= 8 && (std::memcpy(&word, at, 8), (word & 0x8080808080808080u) == 0)) {
            at += 8;
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = *at < 0x80 ? 1 : decode_utf8(at, static_cast<std::size_t>(end - at), codePoint);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

}  // namespace unicode
