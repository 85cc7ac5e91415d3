#include "tools/langcheck/Utf16Findings.h"

#include <cstdint>
#include <cstdio>

namespace langcheck {

Utf16Findings::Utf16Findings(const std::string& file, bool bigEndian) noexcept
    : mUnits(reinterpret_cast<const unsigned char*>(file.data()) + 2)
    , mCount(file.size() < 2 ? 0 : (file.size() - 2) / 2)
    , mOddByte(file.size() >= 2 && file.size() % 2 == 1)
    , mBigEndian(bigEndian)
{
}

unsigned Utf16Findings::Unit(std::size_t i) const noexcept
{
    const unsigned char* p = mUnits + 2 * i;
    return mBigEndian ? (unsigned(p[0]) << 8 | p[1]) : (unsigned(p[1]) << 8 | p[0]);
}

void Utf16Findings::Advance()
{
    while (!mHavePending && !mDone) {
        if (mIndex == mCount) {
            mDone = true;
            if (mOddByte) {
                mPending = { mLastTextLine, Severity::Warning,
                    "the file has an odd number of bytes: the loader ignores its last byte" };
                mPendingPlace = SIZE_MAX;
                mHavePending = true;
            }
            return;
        }
        const unsigned unit = Unit(mIndex++);
        if (unit == '\r' || unit == '\n') {
            if (unit == '\r' && mIndex < mCount && Unit(mIndex) == '\n') {
                ++mIndex;
            }
            ++mLine;
            continue;
        }
        if (unit == 0) {
            mDone = true;
            for (std::size_t i = mIndex; i < mCount; ++i) {
                if (Unit(i) != 0) {
                    mPending = { mLine, Severity::Error,
                        "a NUL character ends the text here: the loader reads nothing after it" };
                    mPendingPlace = SIZE_MAX;
                    mHavePending = true;
                    break;
                }
            }
            return;
        }
        mLastTextLine = mLine;
        if (unit < 0xD800 || unit > 0xDFFF) {
            continue;
        }
        if (unit <= 0xDBFF && mIndex < mCount && Unit(mIndex) >= 0xDC00 && Unit(mIndex) <= 0xDFFF) {
            ++mIndex;
            continue;
        }
        char text[96];
        std::snprintf(text, sizeof text, "unpaired surrogate U+%04X: the loader shows U+FFFD in its place", unit);
        mPending = { mLine, Severity::Error, text };
        mPendingPlace = mLine;
        mHavePending = true;
    }
}

std::size_t Utf16Findings::NextPlace()
{
    Advance();
    return mHavePending ? mPendingPlace : SIZE_MAX;
}

bool Utf16Findings::Next(Finding& finding)
{
    Advance();
    if (!mHavePending) {
        return false;
    }
    finding = std::move(mPending);
    mHavePending = false;
    return true;
}

}  // namespace langcheck
