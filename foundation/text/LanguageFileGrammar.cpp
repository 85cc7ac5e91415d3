#include "foundation/text/LanguageFileGrammar.h"

#include <memory>

namespace languagefile {
namespace {

bool IsBlank(unsigned char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

int DigitValue(unsigned char c, bool hex) noexcept
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (hex && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (hex && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The number after an optional sign, following the C++ library's integer
// extraction: in hexadecimal one "0x" or "0X" prefix may stand before the
// digits (so "0x0x1F" reads 31 after the line's own "0x").
bool ReadNumber(
    const unsigned char* p, const unsigned char* end, bool hex, std::int32_t& id, const unsigned char*& next) noexcept
{
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (hex && end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
    }
    const unsigned base = hex ? 16 : 10;
    const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    std::uint64_t magnitude = 0;
    bool digits = false;
    bool overflow = false;
    for (int digit; p != end && (digit = DigitValue(*p, hex)) >= 0; ++p) {
        digits = true;
        if (!overflow) {
            magnitude = magnitude * base + static_cast<unsigned>(digit);
            overflow = magnitude > limit;
        }
    }
    if (!digits || overflow) {
        return false;
    }
    id = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                  : static_cast<std::int32_t>(magnitude);
    next = p;
    return true;
}

template <bool BigEndian> unsigned UnitAt(const unsigned char* p) noexcept
{
    return BigEndian ? (unsigned(p[0]) << 8 | p[1]) : (unsigned(p[1]) << 8 | p[0]);
}

// Converts in one pass into a buffer sized for the worst case (three bytes per
// unit; a surrogate pair's four bytes come from two units), then keeps the
// bytes written.
template <bool BigEndian> std::basic_string<unsigned char> Utf16ToUtf8(const unsigned char* bytes, std::size_t size)
{
    const std::size_t count = size < 2 ? 0 : (size - 2) / 2;
    const unsigned char* const units = bytes + 2;
    const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(3 * count + 1);
    unsigned char* out = buffer.get();
    for (std::size_t i = 0; i < count; ++i) {
        unsigned code = UnitAt<BigEndian>(units + 2 * i);
        if (code < 0x80) {
            if (code == 0) {
                break;
            }
            *out++ = static_cast<unsigned char>(code);
            continue;
        }
        if (code >= 0xD800 && code <= 0xDFFF) {
            const unsigned low = i + 1 < count ? UnitAt<BigEndian>(units + 2 * i + 2) : 0;
            if (code <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                code = 0xFFFD;
            }
        }
        if (code < 0x800) {
            *out++ = static_cast<unsigned char>(0xC0 | code >> 6);
        } else if (code < 0x10000) {
            *out++ = static_cast<unsigned char>(0xE0 | code >> 12);
            *out++ = static_cast<unsigned char>(0x80 | (code >> 6 & 0x3F));
        } else {
            *out++ = static_cast<unsigned char>(0xF0 | code >> 18);
            *out++ = static_cast<unsigned char>(0x80 | (code >> 12 & 0x3F));
            *out++ = static_cast<unsigned char>(0x80 | (code >> 6 & 0x3F));
        }
        *out++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
    }
    return std::basic_string<unsigned char>(buffer.get(), out);
}

void ParseLine(
    const unsigned char* base, const unsigned char* line, const unsigned char* end, std::vector<Entry>& entries)
{
    if (line == end || *line == ';' || *line == '#') {
        return;
    }
    const bool hex = end - line >= 2 && line[0] == '0' && line[1] == 'x';
    std::int32_t id = 0;
    const unsigned char* p = nullptr;
    if (!ReadNumber(hex ? line + 2 : line, end, hex, id, p) || id == 0) {
        return;
    }
    while (p != end && IsBlank(*p)) {
        ++p;
    }
    const unsigned char* textEnd = end;
    while (textEnd != p && IsBlank(textEnd[-1])) {
        --textEnd;
    }
    entries.push_back(Entry { id, static_cast<std::size_t>(p - base), static_cast<std::size_t>(textEnd - p) });
}

}  // namespace

Encoding DetectEncoding(const unsigned char* bytes, std::size_t size) noexcept
{
    if (size < 2) {
        return Encoding::None;
    }
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        return Encoding::Utf8;
    }
    if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
        return Encoding::Utf16BigEndian;
    }
    return Encoding::Utf16LittleEndian;
}

void ParseContent(const unsigned char* base, std::size_t begin, std::size_t end, std::vector<Entry>& entries)
{
    const unsigned char* p = base + begin;
    const unsigned char* const stop = base + end;
    while (p != stop) {
        if (*p == '\r' || *p == '\n') {
            ++p;
            continue;
        }
        const unsigned char* line = p;
        while (p != stop && *p != '\r' && *p != '\n' && *p != '\0') {
            ++p;
        }
        const unsigned char* lineEnd = p;
        while (p != stop && *p != '\r' && *p != '\n') {
            ++p;
        }
        ParseLine(base, line, lineEnd, entries);
    }
}

std::basic_string<unsigned char> Utf16ToUtf8(const unsigned char* bytes, std::size_t size, bool bigEndian)
{
    return bigEndian ? Utf16ToUtf8<true>(bytes, size) : Utf16ToUtf8<false>(bytes, size);
}

}  // namespace languagefile
