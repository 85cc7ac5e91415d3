// Finding the first byte of a text that is not well-formed UTF-8.
#pragma once

#include <cstddef>

namespace langcheck {

// Offset of the first byte that starts no well-formed UTF-8 sequence (stray
// continuation bytes, overlong forms, surrogates, code points past U+10FFFF,
// cut-off sequences), or size when the whole text is well-formed.
std::size_t FirstInvalidUtf8(const unsigned char* text, std::size_t size) noexcept;

}  // namespace langcheck
