#include "viewer/pattern/Program.h"

namespace tracing {

namespace pattern {

UnitClass::UnitClass(const CharSet& set)
    : mSet(set)
{
    for (const UnitRange& range : set.Ranges()) {
        for (std::uint32_t unit = range.mFirst; unit <= range.mLast && unit < 128; ++unit) {
            mAscii[unit >> 6] |= std::uint64_t { 1 } << (unit & 63);
        }
    }
}

}  // namespace pattern

}  // namespace tracing
