#include "viewer/view/LineFinder.h"

#include "viewer/view/LineFields.h"
#include "viewer/rules/TextRule.h"

#include <algorithm>

namespace tracing {

void LineFinder::Set(std::string text, bool matchCase)
{
    mFinder = pattern::LiteralFinder(matchCase ? text : LowerAscii(text), matchCase);
    mWithNumbers = MayStandInNumbers(text);
    mText = std::move(text);
    mMatchCase = matchCase;
    mMatches.clear();
    mGeneration.reset();
}

void LineFinder::Update(const ShownLines& shown)
{
    if (!Active()) {
        return;
    }
    if (mGeneration != shown.Generation()) {
        mGeneration = shown.Generation();
        mMatches.clear();
        mScannedTo = 0;
    }
    // Lines the store dropped are no longer shown.
    const std::uint64_t oldest = shown.Size() != 0 ? shown.SequenceAt(0) : mScannedTo;
    while (!mMatches.empty() && mMatches.front() < oldest) {
        mMatches.pop_front();
    }
    std::string scratch;
    const LineStore& store = shown.Store();
    for (std::size_t position = shown.PositionAtOrAfter(mScannedTo); position < shown.Size(); ++position) {
        const std::uint64_t sequence = shown.SequenceAt(position);
        const LineRecord* record = store.Find(sequence);
        if (record == nullptr) {
            continue;
        }
        const WholeLineFields fields(store, *record, sequence + 1, mWithNumbers);
        if (mFinder.InFields(fields.Fields(), scratch) == pattern::SearchResult::Match) {
            mMatches.push_back(sequence);
        }
    }
    if (shown.Size() != 0) {
        mScannedTo = shown.SequenceAt(shown.Size() - 1) + 1;
    }
}

bool LineFinder::IsMatch(std::uint64_t sequence) const
{
    return std::binary_search(mMatches.begin(), mMatches.end(), sequence);
}

std::optional<std::uint64_t> LineFinder::Next(std::uint64_t from, bool forward) const
{
    if (mMatches.empty()) {
        return std::nullopt;
    }
    if (forward) {
        const auto after = std::upper_bound(mMatches.begin(), mMatches.end(), from);
        return after == mMatches.end() ? mMatches.front() : *after;
    }
    const auto before = std::lower_bound(mMatches.begin(), mMatches.end(), from);
    return before == mMatches.begin() ? mMatches.back() : *std::prev(before);
}

std::size_t LineFinder::NumberOf(std::uint64_t sequence) const
{
    const auto at = std::lower_bound(mMatches.begin(), mMatches.end(), sequence);
    return at != mMatches.end() && *at == sequence ? static_cast<std::size_t>(at - mMatches.begin()) + 1 : 0;
}

}  // namespace tracing
