#pragma once

#include <cstdint>

namespace tracing {

namespace pattern {

// GaveUp: the search passed its step budget before it knew.
enum class SearchResult : std::uint8_t { NoMatch, Match, GaveUp };

}  // namespace pattern

}  // namespace tracing
