#include "foundation/text/LanguageFileGrammar.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace languagefile {
namespace {

bool IsBlank(unsigned char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

template <bool Hex> int DigitValue(unsigned char c) noexcept
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (Hex && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (Hex && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Eight bytes at a time, for the two scans that take most of the time on a
// large file: finding each line's end and telling ASCII runs of UTF-16 apart.
using Word = std::uint64_t;
constexpr Word kOnes = 0x0101010101010101u;
constexpr Word kHighs = 0x8080808080808080u;
constexpr bool kWordScan = std::endian::native == std::endian::little;

Word LoadWord(const unsigned char* p) noexcept
{
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The lowest set high bit marks the first zero byte exactly; the bits above
// it may be false alarms, so only the lowest one is ever read.
constexpr Word ZeroBytes(Word word) noexcept
{
    return (word - kOnes) & ~word & kHighs;
}

// The first CR, LF or NUL in [p, end), or end: sixteen bytes at a time where
// SSE2 is at hand (every 64-bit build), else eight.
const unsigned char* FindLineStop(const unsigned char* p, const unsigned char* end) noexcept
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stops = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)), _mm_cmpeq_epi8(bytes, nul));
        if (const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stops)); mask != 0) {
            return p + std::countr_zero(mask);
        }
    }
#endif
    if constexpr (kWordScan) {
        for (; end - p >= static_cast<std::ptrdiff_t>(sizeof(Word)); p += sizeof(Word)) {
            const Word word = LoadWord(p);
            const Word stops = ZeroBytes(word) | ZeroBytes(word ^ (kOnes * '\r')) | ZeroBytes(word ^ (kOnes * '\n'));
            if (stops != 0) {
                return p + std::countr_zero(stops) / 8;
            }
        }
    }
    while (p != end && *p != '\r' && *p != '\n' && *p != '\0') {
        ++p;
    }
    return p;
}

constexpr bool IsLineBreak(unsigned char c) noexcept
{
    return c == '\r' || c == '\n';
}

// How many lines [p, end) holds: bytes other than CR and LF that start the
// content or follow a CR or LF. Reserving that many entries at once saves
// the copies and fresh pages of a growing index on a large file.
std::size_t CountLines(const unsigned char* p, const unsigned char* end) noexcept
{
    std::size_t lines = 0;
    bool afterBreak = true;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a byte starts a line where it is no break and
    // the byte before it is one. Each byte lane counts at most 255 starts
    // before the lanes are summed. Only the last byte of before is read, and
    // the content's start counts as following a break.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    __m128i before = _mm_set1_epi8(-1);
    while (end - p >= 16) {
        __m128i counts = _mm_setzero_si128();
        for (int block = 0; block < 255 && end - p >= 16; ++block, p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf));
            const __m128i afterBreaks = _mm_or_si128(_mm_slli_si128(breaks, 1), _mm_srli_si128(before, 15));
            counts = _mm_sub_epi8(counts, _mm_andnot_si128(breaks, afterBreaks));
            before = breaks;
        }
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        lines += static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    }
    afterBreak = (_mm_movemask_epi8(before) & 0x8000) != 0;
#endif
    for (; p != end; ++p) {
        const bool isBreak = IsLineBreak(*p);
        lines += static_cast<std::size_t>(afterBreak && !isBreak);
        afterBreak = isBreak;
    }
    return lines;
}

// The number after an optional sign, following the C++ library's integer
// extraction: in hexadecimal one "0x" or "0X" prefix may stand before the
// digits (so "0x0x1F" reads 31 after the line's own "0x").
template <bool Hex>
bool ReadNumber(const unsigned char* p, const unsigned char* end, std::int32_t& id, const unsigned char*& next) noexcept
{
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (Hex && end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
    }
    const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    const unsigned char* const digits = p;
    std::uint64_t magnitude = 0;
    for (int digit; p != end && (digit = DigitValue<Hex>(*p)) >= 0; ++p) {
        magnitude = magnitude * (Hex ? 16 : 10) + static_cast<unsigned>(digit);
        // Out of range: the line is skipped, whatever digits follow.
        if (magnitude > limit) {
            return false;
        }
    }
    if (p == digits) {
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

// Walks the units up to the first zero unit and hands each code point to
// sink: ASCII four units at a time where it can, an unpaired surrogate as
// U+FFFD. Run once to size the result exactly and once to fill it, so that a
// large file costs one buffer of the final size and no copy of it.
template <bool BigEndian, typename Sink> void DecodeUtf16(const unsigned char* units, std::size_t count, Sink& sink)
{
    for (std::size_t i = 0; i < count; ++i) {
        if constexpr (kWordScan) {
            constexpr Word kNotAscii = 0xFF80FF80FF80FF80u;
            constexpr Word kUnitOnes = 0x0001000100010001u;
            constexpr Word kUnitHighs = 0x8000800080008000u;
            while (count - i >= 4) {
                Word word = LoadWord(units + 2 * i);
                if constexpr (BigEndian) {
                    word = (word >> 8 & 0x00FF00FF00FF00FFu) | (word << 8 & 0xFF00FF00FF00FF00u);
                }
                // A unit at or above 0x80, or a zero unit: one at a time below.
                if ((word & kNotAscii) != 0 || ((word - kUnitOnes) & ~word & kUnitHighs) != 0) {
                    break;
                }
                sink.Ascii4(word);
                i += 4;
            }
            if (i == count) {
                return;
            }
        }
        unsigned code = UnitAt<BigEndian>(units + 2 * i);
        if (code == 0) {
            return;
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
        sink.Code(code);
    }
}

// Counts the UTF-8 bytes, and how far the text ever runs ahead of the units it
// comes from: slack is the gap between the next unit to read and the next byte
// to write, 2 at first (the mark). While it never drops below 0 the text can
// be written over the units in place.
struct Utf8Length {
    std::size_t bytes = 0;
    std::ptrdiff_t slack = 2;
    bool fitsInPlace = true;
    void Ascii4(Word) noexcept
    {
        bytes += 4;
        slack += 4;
    }
    void Code(unsigned code) noexcept
    {
        const int length = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        bytes += static_cast<std::size_t>(length);
        slack += (code < 0x10000 ? 2 : 4) - length;
        fitsInPlace = fitsInPlace && slack >= 0;
    }
};

struct Utf8Writer {
    unsigned char* out;
    void Ascii4(Word word) noexcept
    {
        out[0] = static_cast<unsigned char>(word);
        out[1] = static_cast<unsigned char>(word >> 16);
        out[2] = static_cast<unsigned char>(word >> 32);
        out[3] = static_cast<unsigned char>(word >> 48);
        out += 4;
    }
    void Code(unsigned code) noexcept
    {
        if (code < 0x80) {
            *out++ = static_cast<unsigned char>(code);
            return;
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
};

template <bool BigEndian> std::basic_string<unsigned char> Utf16ToUtf8(const unsigned char* bytes, std::size_t size)
{
    const std::size_t count = size < 2 ? 0 : (size - 2) / 2;
    Utf8Length length;
    DecodeUtf16<BigEndian>(bytes + 2, count, length);
    std::basic_string<unsigned char> text(length.bytes, 0);
    Utf8Writer writer { text.data() };
    DecodeUtf16<BigEndian>(bytes + 2, count, writer);
    return text;
}

template <bool BigEndian> void Utf16ToUtf8InPlace(std::basic_string<unsigned char>& bytes)
{
    const std::size_t count = bytes.size() < 2 ? 0 : (bytes.size() - 2) / 2;
    Utf8Length length;
    DecodeUtf16<BigEndian>(bytes.data() + 2, count, length);
    if (!length.fitsInPlace) {
        bytes = Utf16ToUtf8<BigEndian>(bytes.data(), bytes.size());
        return;
    }
    // Each unit is read before the bytes made from it are written, and the
    // writing never reaches a unit not yet read.
    Utf8Writer writer { bytes.data() };
    DecodeUtf16<BigEndian>(bytes.data() + 2, count, writer);
    bytes.resize(length.bytes);
}

// The entry for the line [line, end), whose offsets count from base; false
// for a line that stores nothing.
bool ParseLine(const unsigned char* base, const unsigned char* line, const unsigned char* end, Entry& entry) noexcept
{
    if (line == end || *line == ';' || *line == '#') {
        return false;
    }
    const bool hex = end - line >= 2 && line[0] == '0' && line[1] == 'x';
    std::int32_t id = 0;
    const unsigned char* p = nullptr;
    if (!(hex ? ReadNumber<true>(line + 2, end, id, p) : ReadNumber<false>(line, end, id, p)) || id == 0) {
        return false;
    }
    while (p != end && IsBlank(*p)) {
        ++p;
    }
    const unsigned char* textEnd = end;
    while (textEnd != p && IsBlank(textEnd[-1])) {
        --textEnd;
    }
    entry = Entry { id, static_cast<std::size_t>(p - base), static_cast<std::size_t>(textEnd - p) };
    return true;
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
        const unsigned char* const line = p;
        p = FindLineStop(p, stop);
        const unsigned char* const lineEnd = p;
        // A NUL ends the line's usable part; the rest up to the break is skipped.
        while (p != stop && !IsLineBreak(*p)) {
            ++p;
        }
        Entry entry;
        if (ParseLine(base, line, lineEnd, entry)) {
            // Room for every line still to come at once: a reused index
            // mostly has it already, a fresh one is sized exactly.
            if (entries.size() == entries.capacity()) {
                entries.reserve(entries.size() + CountLines(line, stop));
            }
            entries.push_back(entry);
        }
        while (p != stop && IsLineBreak(*p)) {
            ++p;
        }
    }
}

std::basic_string<unsigned char> Utf16ToUtf8(const unsigned char* bytes, std::size_t size, bool bigEndian)
{
    return bigEndian ? Utf16ToUtf8<true>(bytes, size) : Utf16ToUtf8<false>(bytes, size);
}

void Utf16ToUtf8InPlace(std::basic_string<unsigned char>& bytes, bool bigEndian)
{
    bigEndian ? Utf16ToUtf8InPlace<true>(bytes) : Utf16ToUtf8InPlace<false>(bytes);
}

}  // namespace languagefile
