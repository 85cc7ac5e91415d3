// How an opened text file is written, and its lines read as UTF-8. A file
// without a byte-order mark is read line by line: a line that is valid UTF-8
// is taken as written, any other in the ANSI code page, so that a log that
// mixes the two shows both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tracing {

enum class TextEncoding : std::uint8_t { Bytes, Utf16Le, Utf16Be };

struct EncodingGuess {
    TextEncoding encoding = TextEncoding::Bytes;
    std::uint32_t markBytes = 0;  // the byte-order mark's, where the text starts
};

// From the file's first bytes (any number; a mark cut short is not one).
EncodingGuess GuessEncoding(std::string_view head) noexcept;

// The size of one code unit: where line ends are looked for.
constexpr std::size_t UnitBytes(TextEncoding encoding) noexcept
{
    return encoding == TextEncoding::Bytes ? 1 : 2;
}

// The UTF-16 code unit of the two bytes first and second, in the order of encoding.
constexpr unsigned Utf16Unit(char first, char second, TextEncoding encoding) noexcept
{
    const auto a = static_cast<unsigned char>(first);
    const auto b = static_cast<unsigned char>(second);
    return encoding == TextEncoding::Utf16Le ? a | (b << 8u) : (a << 8u) | b;
}

// Appends raw, a line's bytes without its line end, as UTF-8. An odd byte
// left at the end of UTF-16 text, and unpaired surrogates, become U+FFFD.
void AppendAsUtf8(std::string& out, std::string_view raw, TextEncoding encoding);

}  // namespace tracing
