#include "tools/langcheck/Utf8Validity.h"

namespace langcheck {
namespace {

bool IsContinuation(unsigned char c) noexcept
{
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed sequence at text[0], or 0.
std::size_t SequenceLength(const unsigned char* text, std::size_t available) noexcept
{
    const unsigned char lead = text[0];
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (available < length || text[1] < low || text[1] > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(text[i])) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::size_t FirstInvalidUtf8(const unsigned char* text, std::size_t size) noexcept
{
    std::size_t i = 0;
    while (i < size) {
        const std::size_t length = SequenceLength(text + i, size - i);
        if (length == 0) {
            return i;
        }
        i += length;
    }
    return size;
}

}  // namespace langcheck
