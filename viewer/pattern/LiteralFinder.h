// Finds a run of bytes in a text, optionally with ASCII letters in either
// case: the fast test that rules most texts out before the automaton runs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tracing {

namespace pattern {

class LiteralFinder {
public:
    LiteralFinder() = default;
    // Without matchCase, literal must have its ASCII letters in lower case.
    LiteralFinder(std::string literal, bool matchCase);

    bool Empty() const { return mLiteral.empty(); }
    const std::string& Literal() const { return mLiteral; }
    // Where the literal first stands in text at or after from, or npos.
    std::size_t Find(std::string_view text, std::size_t from) const noexcept;

private:
    std::string mLiteral;
    bool mMatchCase = true;
    // The byte scanned for, in both cases when it is a letter and case does
    // not matter, and where it stands in the literal: the one least likely
    // in a trace line, so that fewer false hits are checked.
    std::size_t mScanAt = 0;
    char mScanByte = 0;
    char mScanOther = 0;
};

}  // namespace pattern

}  // namespace tracing
