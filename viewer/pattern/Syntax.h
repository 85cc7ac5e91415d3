// The parsed form of a pattern: a tree that the compiler turns into a program
// and the literal analysis reads. Groups leave no node of their own, since a
// search reports no captures.
#pragma once

#include "viewer/pattern/CharSet.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace tracing {

namespace pattern {

enum class NodeKind : std::uint8_t {
    Empty,  // matches the empty text
    Unit,  // one literal unit, as written (case is folded later)
    Set,  // one unit of mSet, case already folded where asked
    Assertion,  // a test of the position: ^ $ \b \B
    Sequence,  // mChildren one after another
    Choice,  // one of mChildren
    Repeat,  // mChildren[0], mMin to mMax times
};

enum class Assertion : std::uint8_t { TextStart, TextEnd, WordBoundary, NotWordBoundary };

constexpr std::uint32_t kUnbounded = std::numeric_limits<std::uint32_t>::max();

struct Node {
    NodeKind mKind = NodeKind::Empty;
    std::uint32_t mUnit = 0;
    CharSet mSet;
    Assertion mAssertion = Assertion::TextStart;
    std::uint32_t mMin = 0;
    std::uint32_t mMax = 0;  // kUnbounded for * + {n,}
    std::vector<Node> mChildren;
};

}  // namespace pattern

}  // namespace tracing
