// Finds where lines end in a file's bytes, given a run at a time: at LF, at
// CRLF and at a lone CR, in units of the file's encoding. A CR at the end of
// a run waits for the next run to say whether a LF follows it.
#pragma once

#include "viewer/file/TextEncoding.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tracing {

class LineEndScanner {
public:
    // start: the offset of the first line, where the first run begins.
    LineEndScanner(TextEncoding encoding, std::uint64_t start)
        : mEncoding(encoding)
        , mScanned(start)
        , mLineStart(start)
    {
    }

    // bytes: the file's from Scanned() on. Appends to ends the end (past its
    // line end) of every line the run finishes.
    void Scan(std::string_view bytes, std::vector<std::uint64_t>& ends);
    // No more bytes for now: a CR waiting for a LF ends its line, and with
    // lastLine, so does the text after the last line end. An odd byte left
    // of UTF-16 text belongs to that text.
    void Finish(std::vector<std::uint64_t>& ends, bool lastLine);

    // The offset of the next byte to give.
    std::uint64_t Scanned() const { return mScanned + (mOddByte ? 1 : 0); }
    // Where the line not yet finished starts.
    std::uint64_t LineStart() const { return mLineStart; }
    bool InLine() const { return Scanned() > mLineStart; }

private:
    void ScanBytes(std::string_view bytes, std::vector<std::uint64_t>& ends);
    void ScanUnits(std::string_view bytes, std::vector<std::uint64_t>& ends);
    void EndLine(std::uint64_t end, std::vector<std::uint64_t>& ends)
    {
        ends.push_back(end);
        mLineStart = end;
    }

    TextEncoding mEncoding;
    std::uint64_t mScanned;  // every whole unit before it has been looked at
    std::uint64_t mLineStart;
    bool mPendingCr = false;  // the last unit looked at is a CR that ends a line
    bool mOddByte = false;  // UTF-16: the first byte of a unit is waiting for its second
    char mOdd = 0;
};

}  // namespace tracing
