#include "viewer/pattern/LiteralFinder.h"

#include "viewer/pattern/ByteScan.h"

#include <cstring>
#include <new>

namespace tracing {

namespace pattern {
namespace {

char Lower(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A rough rank of how common a byte is in trace lines, higher for more
// common: spaces and frequent lower-case letters, then digits and tabs
// (numbers and field separators on every line), then the rest.
int Commonness(char c) noexcept
{
    if (c == ' ') {
        return 6;
    }
    if (c != '\0' && std::strchr("etaoinsrhld", c) != nullptr) {
        return 5;
    }
    if ((c >= '0' && c <= '9') || c == '\t') {
        return 4;
    }
    if (c >= 'a' && c <= 'z') {
        return 3;
    }
    if (c >= 'A' && c <= 'Z') {
        return 2;
    }
    return 1;  // punctuation, controls, bytes of other scripts
}

}  // namespace

LiteralFinder::LiteralFinder(std::string literal, bool matchCase)
    : mLiteral(std::move(literal))
    , mMatchCase(matchCase)
{
    for (std::size_t i = 1; i < mLiteral.size(); ++i) {
        if (Commonness(mLiteral[i]) < Commonness(mLiteral[mScanAt])) {
            mScanAt = i;
        }
    }
    mCrossesFields = mLiteral.find(kFieldSeparator) != std::string::npos;
    if (!mLiteral.empty()) {
        mScanByte = mLiteral[mScanAt];
        const bool letter = mScanByte >= 'a' && mScanByte <= 'z';
        mScanOther = !mMatchCase && letter ? static_cast<char>(mScanByte - 'a' + 'A') : mScanByte;
    }
}

std::size_t LiteralFinder::Scan(std::string_view text, std::size_t from) const noexcept
{
    // Candidates are found by the scanned byte, then checked whole.
    const char* const first = text.data() + from;
    const char* const last = text.data() + (text.size() - mLiteral.size());
    const char* const end = last + mScanAt + 1;
    for (const char* hit = FindEither(first + mScanAt, end, mScanByte, mScanOther); hit != end;
         hit = FindEither(hit + 1, end, mScanByte, mScanOther)) {
        const char* const at = hit - mScanAt;
        bool same = true;
        if (mMatchCase) {
            same = std::memcmp(at, mLiteral.data(), mLiteral.size()) == 0;
        } else {
            for (std::size_t i = 0; same && i < mLiteral.size(); ++i) {
                same = Lower(at[i]) == mLiteral[i];
            }
        }
        if (same) {
            return static_cast<std::size_t>(at - text.data());
        }
    }
    return std::string_view::npos;
}

SearchResult LiteralFinder::InFields(Fields fields, std::string& scratch) const noexcept
{
    if (!mCrossesFields) {
        for (const std::string_view field : fields) {
            if (Find(field, 0) != std::string_view::npos) {
                return SearchResult::Match;
            }
        }
        return SearchResult::NoMatch;
    }
    try {
        JoinFields(fields, scratch);
    } catch (const std::bad_alloc&) {
        return SearchResult::GaveUp;
    }
    return Find(scratch, 0) != std::string_view::npos ? SearchResult::Match : SearchResult::NoMatch;
}

}  // namespace pattern

}  // namespace tracing
