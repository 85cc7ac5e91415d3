// Texts and patterns are UTF-8; both are read one unit at a time, a unit being
// one code point or, where the bytes are not valid UTF-8, one byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tracing {

namespace pattern {

// An invalid byte b reads as the unit kInvalidByteBase + b, above every code
// point: it matches itself, '.' and negated classes, and no letter.
constexpr std::uint32_t kInvalidByteBase = 0x110000;
// One past the largest unit.
constexpr std::uint32_t kUnitLimit = kInvalidByteBase + 0x100;

// Reads the unit at text[0] (size > 0) into unit and returns its length in bytes.
// Overlong forms, surrogates and code points above U+10FFFF are invalid bytes.
std::size_t DecodeUnit(const unsigned char* text, std::size_t size, std::uint32_t& unit) noexcept;

// Appends the bytes of unit to out: its UTF-8 form, or the single invalid byte.
void AppendUnit(std::uint32_t unit, std::string& out);

}  // namespace pattern

}  // namespace tracing
