#include "viewer/file/LineEndScanner.h"

#include "viewer/pattern/ByteScan.h"

namespace tracing {

void LineEndScanner::Scan(std::string_view bytes, std::vector<std::uint64_t>& ends)
{
    if (mEncoding == TextEncoding::Bytes) {
        ScanBytes(bytes, ends);
    } else {
        ScanUnits(bytes, ends);
    }
}

void LineEndScanner::ScanBytes(std::string_view bytes, std::vector<std::uint64_t>& ends)
{
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* at = begin;
    if (mPendingCr && at != end) {
        mPendingCr = false;
        EndLine(mScanned + (*at == '\n' ? 1 : 0), ends);
        at += *at == '\n' ? 1 : 0;
    }
    const std::uint64_t base = mScanned;
    while (at != end) {
        at = pattern::FindEither(at, end, '\n', '\r');
        if (at == end) {
            break;
        }
        if (*at == '\n') {
            ++at;
            EndLine(base + static_cast<std::uint64_t>(at - begin), ends);
        } else if (at + 1 == end) {
            ++at;
            mPendingCr = true;
        } else {
            at += at[1] == '\n' ? 2 : 1;
            EndLine(base + static_cast<std::uint64_t>(at - begin), ends);
        }
    }
    mScanned += bytes.size();
}

void LineEndScanner::ScanUnits(std::string_view bytes, std::vector<std::uint64_t>& ends)
{
    std::size_t i = 0;
    for (;;) {
        char first = 0;
        char second = 0;
        if (mOddByte) {
            if (i == bytes.size()) {
                break;
            }
            first = mOdd;
            second = bytes[i++];
            mOddByte = false;
        } else if (bytes.size() - i >= 2) {
            first = bytes[i];
            second = bytes[i + 1];
            i += 2;
        } else {
            if (i < bytes.size()) {
                mOdd = bytes[i];
                mOddByte = true;
            }
            break;
        }
        const unsigned unit = Utf16Unit(first, second, mEncoding);
        mScanned += 2;
        if (mPendingCr) {
            mPendingCr = false;
            if (unit == '\n') {
                EndLine(mScanned, ends);
                continue;
            }
            EndLine(mScanned - 2, ends);
        }
        if (unit == '\n') {
            EndLine(mScanned, ends);
        } else if (unit == '\r') {
            mPendingCr = true;
        }
    }
}

void LineEndScanner::Finish(std::vector<std::uint64_t>& ends, bool lastLine)
{
    if (mPendingCr) {
        mPendingCr = false;
        EndLine(mScanned, ends);
    }
    if (lastLine && InLine()) {
        mScanned = Scanned();
        mOddByte = false;
        EndLine(mScanned, ends);
    }
}

}  // namespace tracing
