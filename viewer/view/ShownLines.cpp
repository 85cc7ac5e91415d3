#include "viewer/view/ShownLines.h"

#include <algorithm>
#include <string>
#include <thread>

namespace {

constexpr std::uint64_t kLinesPerLock = 4096;
constexpr unsigned kMaxMatchThreads = 4;

}  // namespace

void ShownLines::SetFilters(const std::vector<TextRule>& filters)
{
    mRules.SetFilters(filters);
    ComputePasses();
    Refold();
}

void ShownLines::ComputePasses()
{
    if (!mRules.Filtering()) {
        std::fill(mPasses.begin(), mPasses.end(), std::uint8_t { 1 });
        return;
    }
    // Regular expressions cost a microsecond or more a line: the lines held
    // under one lock are matched on every processor, each its own share.
    const unsigned helpers = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxMatchThreads) - 1;
    const std::uint64_t perLock = kLinesPerLock * (helpers + 1);
    for (std::uint64_t from = mFirst; from < mEnd; from += perLock) {
        const std::uint64_t to = std::min(mEnd, from + perLock);
        const LineStore::Reading reading = mStore.Read();
        const auto match = [&](std::uint64_t begin, std::uint64_t end) noexcept {
            std::string scratch;
            for (std::uint64_t sequence = begin; sequence < end; ++sequence) {
                bool passes = true;
                if (sequence >= reading.First() && sequence - reading.First() < reading.Size()) {
                    const auto index = static_cast<std::size_t>(sequence - reading.First());
                    try {
                        passes = mRules.Passes(reading, reading.Record(index), sequence, scratch);
                    } catch (...) {
                        passes = true;  // out of memory for a field's text: shown rather than lost
                    }
                }
                mPasses[static_cast<std::size_t>(sequence - mFirst)] = passes ? 1 : 0;
            }
        };
        const std::uint64_t share = (to - from + helpers) / (helpers + 1);
        std::vector<std::thread> threads;
        std::uint64_t begin = from + share;
        for (unsigned helper = 0; helper < helpers && begin < to; ++helper, begin += share) {
            const std::uint64_t end = std::min(to, begin + share);
            try {
                threads.emplace_back(match, begin, end);
            } catch (...) {
                match(begin, end);  // no thread to be had: this one does it
            }
        }
        match(from, std::min(to, from + share));
        for (std::thread& thread : threads) {
            thread.join();
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
