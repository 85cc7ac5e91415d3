#include "viewer/view/ShownLines.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kLinesPerLock = 4096;

}  // namespace

void ShownLines::SetFilters(const std::vector<TextRule>& filters)
{
    mRules.SetFilters(filters);
    ComputePasses();
    Refold();
}

void ShownLines::ComputePasses()
{
    const bool filtering = mRules.Filtering();
    for (std::uint64_t from = mFirst; from < mEnd; from += kLinesPerLock) {
        const std::uint64_t to = std::min(mEnd, from + kLinesPerLock);
        const LineStore::Reading reading = mStore.Read();
        for (std::uint64_t sequence = from; sequence < to; ++sequence) {
            bool passes = true;
            if (filtering && sequence >= reading.First() && sequence - reading.First() < reading.Size()) {
                const auto index = static_cast<std::size_t>(sequence - reading.First());
                passes = mRules.Passes(reading, reading.Record(index), sequence);
            }
            mPasses[static_cast<std::size_t>(sequence - mFirst)] = passes ? 1 : 0;
        }
    }
}

void ShownLines::Refold()
{
    ++mGeneration;
    mShown.clear();
    mHiding.clear();
    if (!mScopes.AnyFolded()) {
        for (std::uint64_t sequence = mFirst; sequence < mEnd; ++sequence) {
            if (mPasses[static_cast<std::size_t>(sequence - mFirst)] != 0) {
                mShown.push_back(sequence);
            }
        }
        return;
    }
    for (std::uint64_t from = mFirst; from < mEnd; from += kLinesPerLock) {
        const std::uint64_t to = std::min(mEnd, from + kLinesPerLock);
        const LineStore::Reading reading = mStore.Read();
        for (std::uint64_t sequence = std::max(from, reading.First());
             sequence < to && sequence - reading.First() < reading.Size(); ++sequence) {
            if (Show(sequence, reading.Record(static_cast<std::size_t>(sequence - reading.First())))) {
                mShown.push_back(sequence);
            }
        }
    }
}

bool ShownLines::Show(std::uint64_t sequence, const LineRecord& record)
{
    const bool passes = mPasses[static_cast<std::size_t>(sequence - mFirst)] != 0;
    if (!mScopes.AnyFolded()) {
        return passes;
    }
    const std::uint64_t sender = SenderOf(record);
    const auto hiding = mHiding.find(sender);
    if (hiding != mHiding.end()) {
        const FunctionScopes::Scope* scope = mScopes.At(hiding->second);
        if (scope != nullptr && sequence <= mScopes.LastLine(*scope)) {
            return false;
        }
        mHiding.erase(hiding);
    }
    if (!passes) {
        return false;
    }
    const FunctionScopes::Scope* scope = mScopes.At(sequence);
    if (scope != nullptr && scope->folded) {
        mHiding[sender] = sequence;
    }
    return true;
}

ShownLines::Change ShownLines::CatchUp()
{
    Change change;
    const LineStore::Counts counts = mStore.GetCounts();
    const std::uint64_t end = counts.first + counts.size;
    if (end < mEnd || counts.first < mFirst) {
        Clear();  // cleared behind our back: start over
    }
    if (counts.first > mFirst) {
        const std::uint64_t dropped = std::min<std::uint64_t>(counts.first - mFirst, mPasses.size());
        mPasses.erase(mPasses.begin(), mPasses.begin() + static_cast<std::ptrdiff_t>(dropped));
        const std::size_t droppedShown = PositionAtOrAfter(counts.first);
        mShown.erase(mShown.begin(), mShown.begin() + static_cast<std::ptrdiff_t>(droppedShown));
        change.droppedShown = droppedShown;
        mScopes.DropBefore(counts.first);
        mFirst = counts.first;
        if (mEnd < mFirst) {
            mEnd = mFirst;
            mPasses.clear();
        }
    }
    const bool filtering = mRules.Filtering();
    while (mEnd < end) {
        const LineStore::Reading reading = mStore.Read();
        const std::uint64_t first = reading.First();
        // Lines dropped since the counts were read are let go at the next call.
        const std::uint64_t to = std::min({ end, mEnd + kLinesPerLock, first + reading.Size() });
        if (mEnd < first || to <= mEnd) {
            break;
        }
        for (; mEnd < to; ++mEnd) {
            const LineRecord& record = reading.Record(static_cast<std::size_t>(mEnd - first));
            mScopes.Add(mEnd, record, reading.Text(record));
            mPasses.push_back(!filtering || mRules.Passes(reading, record, mEnd) ? 1 : 0);
            if (Show(mEnd, record)) {
                mShown.push_back(mEnd);
                ++change.added;
            }
        }
    }
    return change;
}

void ShownLines::Clear()
{
    ++mGeneration;
    mFirst = mEnd = 0;
    mPasses.clear();
    mShown.clear();
    mHiding.clear();
    mScopes.Clear();
}

std::size_t ShownLines::PositionAtOrAfter(std::uint64_t sequence) const
{
    return static_cast<std::size_t>(std::lower_bound(mShown.begin(), mShown.end(), sequence) - mShown.begin());
}

std::optional<std::size_t> ShownLines::PositionOf(std::uint64_t sequence) const
{
    const std::size_t position = PositionAtOrAfter(sequence);
    if (position < mShown.size() && mShown[position] == sequence) {
        return position;
    }
    return std::nullopt;
}
