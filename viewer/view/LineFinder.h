// Find: the shown lines whose whole line (every field but the time) holds a
// text, without regard to case unless asked. The matches are worked out in
// passes of bounded work when the text or the shown lines change, and
// extended as lines are added, so that going to the next or previous match
// is a lookup. Over an opened file, the file's own bytes are looked through
// first, and only the lines that hold the text are read and matched.
#pragma once

#include "viewer/pattern/LiteralFinder.h"
#include "viewer/view/ShownLines.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <cstdint>
#include <string>
#include <vector>

namespace tracing {

class LineFinder {
public:
    // An empty text finds nothing.
    void Set(std::string text, bool matchCase);
    const std::string& Text() const { return mText; }
    bool MatchCase() const { return mMatchCase; }
    bool Active() const { return !mText.empty(); }

    // Brings the matches up to date with what shown holds, matching at most
    // about maxLines lines (a file's bytes count a line for every kBytesPerLine).
    static constexpr std::size_t kBytesPerLine = 64;
    void Update(const ShownLines& shown, std::size_t maxLines = SIZE_MAX);
    // Whether shown holds lines not yet looked at.
    bool Behind(const ShownLines& shown) const;
    std::size_t Count() const { return mMatches.size(); }
    bool IsMatch(std::uint64_t sequence) const;
    // The match after (or before) the line from, going round at the end; nothing without matches.
    std::optional<std::uint64_t> Next(std::uint64_t from, bool forward) const;
    // 1-based number of the match at sequence, 0 when it is none.
    std::size_t NumberOf(std::uint64_t sequence) const;

private:
    std::string mText;
    bool mMatchCase = false;
    pattern::LiteralFinder mFinder;  // of mText, lower case unless mMatchCase
    bool mWithNumbers = false;  // the text may stand in the number fields
    std::deque<std::uint64_t> mMatches;
    std::optional<std::uint64_t> mGeneration;  // of the shown lines the matches belong to
    std::uint64_t mScannedTo = 0;  // shown lines before this sequence are done
    bool mQuickPass = false;  // the text can be looked for in a file's bytes
    std::vector<std::uint64_t> mCandidates;
};

}  // namespace tracing
