// Where a store's lines come from when they are not held in memory: an
// opened file, read a page at a time as its lines are asked for.
#pragma once

#include "viewer/store/LineStore.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace tracing {

class LineSource {
public:
    virtual ~LineSource() = default;
    // Hands lines [first, first + count) to take, in order, each exactly
    // once; their texts are valid only during the call. A line that cannot
    // be read is handed on empty (and counted by the source).
    virtual void Read(std::uint64_t first, std::size_t count, const std::function<void(const LineView&)>& take) = 0;

    // A quick first pass for find over the source's own bytes: appends to
    // lines, ascending, every line from first up to end whose bytes hold
    // literal (its ASCII letters in lower case and matched in either case
    // unless matchCase), looking through about maxBytes at most. The lines
    // found may still not match as shown; none that would match is missed.
    // Returns the line it reached (every line before it was looked
    // through), or nothing when it cannot look through its bytes this way.
    virtual std::optional<std::uint64_t> FindCandidates(std::string_view /*literal*/, bool /*matchCase*/,
        std::uint64_t /*first*/, std::uint64_t /*end*/, std::size_t /*maxBytes*/, std::vector<std::uint64_t>& /*lines*/)
    {
        return std::nullopt;
    }
};

}  // namespace tracing
