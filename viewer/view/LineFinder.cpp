#include "viewer/view/LineFinder.h"

#include "viewer/store/LineSource.h"
#include "viewer/view/LineFields.h"
#include "viewer/rules/TextRule.h"

#include <algorithm>

namespace tracing {

void LineFinder::Set(std::string text, bool matchCase)
{
    mFinder = pattern::LiteralFinder(matchCase ? text : LowerAscii(text), matchCase);
    mWithNumbers = MayStandInNumbers(text);
    // A line's kind shows as a name the file may not hold (a line out of the
    // log format is a debug line): a text that may stand in one is matched line by line.
    const std::string lower = LowerAscii(text);
    mQuickPass = !mWithNumbers;
    for (const char* name : { "debug", "error", "message", "function" }) {
        if (std::string_view(name).find(matchCase ? std::string_view(text) : std::string_view(lower)) != std::string_view::npos) {
            mQuickPass = false;
        }
    }
    mText = std::move(text);
    mMatchCase = matchCase;
    mMatches.clear();
    mGeneration.reset();
}

void LineFinder::Update(const ShownLines& shown, std::size_t maxLines)
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
    if (shown.Size() == 0) {
        return;
    }
    const std::uint64_t end = shown.SequenceAt(shown.Size() - 1) + 1;
    std::string scratch;
    const LineStore& store = shown.Store();
    const auto match = [&](std::uint64_t sequence) {
        const LineRecord* record = store.Find(sequence);
        if (record == nullptr || (!mMatches.empty() && mMatches.back() >= sequence)) {
            return;
        }
        const WholeLineFields fields(store, *record, sequence + 1, mWithNumbers);
        if (mFinder.InFields(fields.Fields(), scratch) == pattern::SearchResult::Match) {
            mMatches.push_back(sequence);
        }
    };
    if (mQuickPass && store.Source() != nullptr && mScannedTo < end) {
        mCandidates.clear();
        const std::size_t maxBytes = maxLines > SIZE_MAX / kBytesPerLine ? SIZE_MAX : maxLines * kBytesPerLine;
        const std::uint64_t from = std::max(mScannedTo, shown.SequenceAt(0));
        if (const std::optional<std::uint64_t> reached
            = store.Source()->FindCandidates(mFinder.Literal(), mMatchCase, from, end, maxBytes, mCandidates)) {
            for (const std::uint64_t sequence : mCandidates) {
                if (shown.PositionOf(sequence)) {
                    match(sequence);
                }
            }
            mScannedTo = *reached;
            return;
        }
    }
    std::size_t position = shown.PositionAtOrAfter(mScannedTo);
    for (std::size_t budget = maxLines; position < shown.Size() && budget != 0; ++position, --budget) {
        match(shown.SequenceAt(position));
    }
    mScannedTo = position < shown.Size() ? shown.SequenceAt(position) : end;
}

bool LineFinder::Behind(const ShownLines& shown) const
{
    return Active() && shown.Size() != 0
        && (mGeneration != shown.Generation() || mScannedTo <= shown.SequenceAt(shown.Size() - 1));
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
