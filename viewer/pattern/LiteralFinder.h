// Finds a run of bytes in a text, optionally with ASCII letters in either
// case: the fast test that rules most texts out before the automaton runs.
#pragma once

#include "viewer/pattern/Fields.h"
#include "viewer/pattern/SearchResult.h"

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
    bool MatchCase() const { return mMatchCase; }
    // Where the literal first stands in text at or after from, or npos.
    // Inline up to the scan: fields shorter than the literal are common.
    std::size_t Find(std::string_view text, std::size_t from) const noexcept
    {
        if (from > text.size() || text.size() - from < mLiteral.size()) {
            return std::string_view::npos;
        }
        return mLiteral.empty() ? from : Scan(text, from);
    }
    // Whether the literal stands in the fields joined. Without a tab it lies
    // within one field; with one it is looked for in the fields joined into
    // scratch, and GaveUp when there is no memory for that.
    SearchResult InFields(Fields fields, std::string& scratch) const noexcept;

private:
    // Find for a text that may hold the literal.
    std::size_t Scan(std::string_view text, std::size_t from) const noexcept;

    std::string mLiteral;
    bool mMatchCase = true;
    bool mCrossesFields = false;  // holds a tab
    // The byte scanned for, in both cases when it is a letter and case does
    // not matter, and where it stands in the literal: the one least likely
    // in a trace line, so that fewer false hits are checked.
    std::size_t mScanAt = 0;
    char mScanByte = 0;
    char mScanOther = 0;
};

}  // namespace pattern

}  // namespace tracing
