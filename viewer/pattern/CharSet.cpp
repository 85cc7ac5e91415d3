#include "viewer/pattern/CharSet.h"

#include "viewer/pattern/Utf8.h"

#include <algorithm>

namespace tracing {

namespace pattern {

CharSet::CharSet(std::vector<UnitRange> ranges)
{
    std::sort(ranges.begin(), ranges.end());
    for (const UnitRange& range : ranges) {
        if (!mRanges.empty() && range.mFirst <= mRanges.back().mLast + 1) {
            mRanges.back().mLast = std::max(mRanges.back().mLast, range.mLast);
        } else {
            mRanges.push_back(range);
        }
    }
}

CharSet CharSet::Negated() const
{
    CharSet negated;
    std::uint32_t next = 0;
    for (const UnitRange& range : mRanges) {
        if (range.mFirst > next) {
            negated.mRanges.push_back({ next, range.mFirst - 1 });
        }
        next = range.mLast + 1;
    }
    if (next < kUnitLimit) {
        negated.mRanges.push_back({ next, kUnitLimit - 1 });
    }
    return negated;
}

CharSet CharSet::WithBothCases() const
{
    std::vector<UnitRange> both = mRanges;
    constexpr std::uint32_t kCaseDistance = 'a' - 'A';
    for (const UnitRange& range : mRanges) {
        const std::uint32_t upperFirst = std::max<std::uint32_t>(range.mFirst, 'A');
        const std::uint32_t upperLast = std::min<std::uint32_t>(range.mLast, 'Z');
        if (upperFirst <= upperLast) {
            both.push_back({ upperFirst + kCaseDistance, upperLast + kCaseDistance });
        }
        const std::uint32_t lowerFirst = std::max<std::uint32_t>(range.mFirst, 'a');
        const std::uint32_t lowerLast = std::min<std::uint32_t>(range.mLast, 'z');
        if (lowerFirst <= lowerLast) {
            both.push_back({ lowerFirst - kCaseDistance, lowerLast - kCaseDistance });
        }
    }
    return CharSet(std::move(both));
}

bool CharSet::Contains(std::uint32_t unit) const noexcept
{
    const auto after = std::upper_bound(mRanges.begin(), mRanges.end(), unit,
        [](std::uint32_t value, const UnitRange& range) { return value < range.mFirst; });
    return after != mRanges.begin() && unit <= (after - 1)->mLast;
}

CharSet CharSet::Digits()
{
    return CharSet('0', '9');
}

CharSet CharSet::WordCharacters()
{
    return CharSet({ { '0', '9' }, { 'A', 'Z' }, { '_', '_' }, { 'a', 'z' } });
}

CharSet CharSet::Spaces()
{
    return CharSet({ { '\t', '\r' }, { ' ', ' ' } });
}

CharSet CharSet::AnyButLineBreaks()
{
    return CharSet({ { '\n', '\n' }, { '\r', '\r' } }).Negated();
}

}  // namespace pattern

}  // namespace tracing
