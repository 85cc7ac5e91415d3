// What the syntax tree says about every match, for searches that skip most
// of the text: a run of bytes each match holds, the bytes each match starts
// with, and whether each match starts at the start of the text.
#pragma once

#include "viewer/pattern/Syntax.h"

#include <string>

namespace tracing {

namespace pattern {

struct LiteralFacts {
    // Without matchCase, ASCII letters here are in lower case.
    std::string mRequired;  // the longest run of bytes found in every match
    std::string mLeading;  // bytes every match starts with
    bool mAnchoredAtStart = false;  // every match starts with ^
    bool mWholeLiteral = false;  // matching is finding mRequired: the pattern is that text and nothing else
};

LiteralFacts AnalyseLiterals(const Node& tree, bool matchCase);

}  // namespace pattern

}  // namespace tracing
