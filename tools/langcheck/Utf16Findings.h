// What the UTF-16 conversion of a language file loses: unpaired surrogates
// (shown as U+FFFD), everything after the first NUL character, a trailing
// odd byte. Read from the file's own units, numbered by line like the
// converted content.
#pragma once

#include "tools/langcheck/Finding.h"

#include <cstddef>
#include <string>

namespace langcheck {

class Utf16Findings {
public:
    // file (with its two-byte mark) must outlive the object.
    Utf16Findings(const std::string& file, bool bigEndian) noexcept;

    // The next finding in file order; false when there is none left.
    bool Next(Finding& finding);
    // Where the next finding goes: its line, or SIZE_MAX when there is none
    // or it concerns the end of the text (a NUL, an odd byte), which follows
    // every finding of the lines themselves.
    [[nodiscard]] std::size_t NextPlace();

private:
    [[nodiscard]] unsigned Unit(std::size_t i) const noexcept;
    // Moves to the next finding and keeps it pending.
    void Advance();

    const unsigned char* mUnits;
    std::size_t mCount;
    bool mOddByte;
    bool mBigEndian;
    std::size_t mIndex = 0;
    std::size_t mLine = 1;
    std::size_t mLastTextLine = 1;
    bool mDone = false;
    bool mHavePending = false;
    std::size_t mPendingPlace = 0;
    Finding mPending {};
};

}  // namespace langcheck
