// Where a store's lines come from when they are not held in memory: an
// opened file, read a page at a time as its lines are asked for.
#pragma once

#include "viewer/store/LineStore.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tracing {

class LineSource {
public:
    virtual ~LineSource() = default;
    // Hands lines [first, first + count) to take, in order, each exactly
    // once; their texts are valid only during the call. A line that cannot
    // be read is handed on empty (and counted by the source).
    virtual void Read(std::uint64_t first, std::size_t count, const std::function<void(const LineView&)>& take) = 0;
};

}  // namespace tracing
