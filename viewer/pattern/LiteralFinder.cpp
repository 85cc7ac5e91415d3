#include "viewer/pattern/LiteralFinder.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace tracing {

namespace pattern {
namespace {

char Lower(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Eight bytes at a time: the C runtime's memchr under Wine reads a byte at a
// time, and looking for both cases of a letter would take two of its passes.
using Word = std::uint64_t;
constexpr Word kOnes = 0x0101010101010101u;
constexpr Word kHighs = 0x8080808080808080u;
constexpr bool kWordScan = std::endian::native == std::endian::little;

// The lowest set high bit marks the first zero byte exactly; bits above it
// may be false alarms, so only the lowest is read.
constexpr Word ZeroBytes(Word word) noexcept
{
    return (word - kOnes) & ~word & kHighs;
}

// The first byte in [at, end) that is a or b, or end.
const char* FindEither(const char* at, const char* end, char a, char b) noexcept
{
    if constexpr (kWordScan) {
        const Word wordA = kOnes * static_cast<unsigned char>(a);
        const Word wordB = kOnes * static_cast<unsigned char>(b);
        for (; end - at >= static_cast<std::ptrdiff_t>(sizeof(Word)); at += sizeof(Word)) {
            Word word;
            std::memcpy(&word, at, sizeof word);
            const Word hits = ZeroBytes(word ^ wordA) | ZeroBytes(word ^ wordB);
            if (hits != 0) {
                return at + std::countr_zero(hits) / 8;
            }
        }
    }
    while (at != end && *at != a && *at != b) {
        ++at;
    }
    return at;
}

// A rough rank of how common a byte is in trace lines, higher for more
// common: spaces and frequent lower-case letters, then digits and tabs
// (numbers and field separators on every line), then the rest.
int Commonness(char c) noexcept
{
    if (c == ' ') {
        return 6;
    }
    if (c != '\0' && std::strchr("etaoinsrhld", c) != nullptr) {
        return 5;
    }
    if ((c >= '0' && c <= '9') || c == '\t') {
        return 4;
    }
    if (c >= 'a' && c <= 'z') {
        return 3;
    }
    if (c >= 'A' && c <= 'Z') {
        return 2;
    }
    return 1;  // punctuation, controls, bytes of other scripts
}

}  // namespace

LiteralFinder::LiteralFinder(std::string literal, bool matchCase)
    : mLiteral(std::move(literal))
    , mMatchCase(matchCase)
{
    for (std::size_t i = 1; i < mLiteral.size(); ++i) {
        if (Commonness(mLiteral[i]) < Commonness(mLiteral[mScanAt])) {
            mScanAt = i;
        }
    }
    if (!mLiteral.empty()) {
        mScanByte = mLiteral[mScanAt];
        const bool letter = mScanByte >= 'a' && mScanByte <= 'z';
        mScanOther = !mMatchCase && letter ? static_cast<char>(mScanByte - 'a' + 'A') : mScanByte;
    }
}

std::size_t LiteralFinder::Find(std::string_view text, std::size_t from) const noexcept
{
    if (from > text.size() || text.size() - from < mLiteral.size()) {
        return std::string_view::npos;
    }
    if (mLiteral.empty()) {
        return from;
    }
    // Candidates are found by the scanned byte, then checked whole.
    const char* const first = text.data() + from;
    const char* const last = text.data() + (text.size() - mLiteral.size());
    const char* const end = last + mScanAt + 1;
    for (const char* hit = FindEither(first + mScanAt, end, mScanByte, mScanOther); hit != end;
         hit = FindEither(hit + 1, end, mScanByte, mScanOther)) {
        const char* const at = hit - mScanAt;
        bool same = true;
        if (mMatchCase) {
            same = std::memcmp(at, mLiteral.data(), mLiteral.size()) == 0;
        } else {
            for (std::size_t i = 0; same && i < mLiteral.size(); ++i) {
                same = Lower(at[i]) == mLiteral[i];
            }
        }
        if (same) {
            return static_cast<std::size_t>(at - text.data());
        }
    }
    return std::string_view::npos;
}

}  // namespace pattern

}  // namespace tracing
