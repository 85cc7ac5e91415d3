// A set of units (code points and invalid bytes) as sorted ranges: what a
// class, an escape such as \d, or '.' stands for.
#pragma once

#include <cstdint>
#include <vector>

namespace tracing {

namespace pattern {

struct UnitRange {
    std::uint32_t mFirst;
    std::uint32_t mLast;  // inclusive

    bool operator==(const UnitRange&) const = default;
    auto operator<=>(const UnitRange&) const = default;
};

class CharSet {
public:
    CharSet() = default;
    // The union of ranges in any order, overlapping or not: sorted and merged
    // once, so a class of thousands of items costs no more than sorting them.
    explicit CharSet(std::vector<UnitRange> ranges);
    CharSet(std::uint32_t first, std::uint32_t last)
        : mRanges { { first, last } }
    {
    }

    // Every unit this set lacks, invalid bytes included.
    CharSet Negated() const;
    // With the other case of each ASCII letter it holds. Done before a class
    // is negated, so that [^a] without regard to case refuses 'A' as well.
    CharSet WithBothCases() const;
    bool Contains(std::uint32_t unit) const noexcept;

    // Disjoint, ascending, never touching.
    const std::vector<UnitRange>& Ranges() const { return mRanges; }

    static CharSet Digits();  // \d
    static CharSet WordCharacters();  // \w: ASCII letters, digits and '_'
    static CharSet Spaces();  // \s: ASCII white space, as the C locale has it
    static CharSet AnyButLineBreaks();  // '.'

private:
    std::vector<UnitRange> mRanges;
};

}  // namespace pattern

}  // namespace tracing
