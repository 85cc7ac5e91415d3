// An ascending list of line numbers, as a view shows them. While it is an
// unbroken run (every line shown, the common case for a large opened file)
// it holds only the run's ends; the first gap makes it a plain list.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace tracing {

class SequenceList {
public:
    std::size_t Size() const { return mRun ? mRunSize : mList.size(); }
    std::uint64_t At(std::size_t position) const { return mRun ? mRunFirst + position : mList[position]; }

    // sequence is above every one held.
    void PushBack(std::uint64_t sequence)
    {
        if (mRun && (mRunSize == 0 || sequence == mRunFirst + mRunSize)) {
            mRunFirst = mRunSize == 0 ? sequence : mRunFirst;
            ++mRunSize;
            return;
        }
        Spread();
        mList.push_back(sequence);
    }
    void DropFront(std::size_t count)
    {
        if (mRun) {
            mRunFirst += count;
            mRunSize -= count;
        } else {
            mList.erase(mList.begin(), mList.begin() + static_cast<std::ptrdiff_t>(count));
        }
    }
    void Clear()
    {
        std::deque<std::uint64_t>().swap(mList);
        mRun = true;
        mRunFirst = 0;
        mRunSize = 0;
    }
    // The position of the first one at or after sequence (Size() when none).
    std::size_t LowerBound(std::uint64_t sequence) const
    {
        if (mRun) {
            return sequence <= mRunFirst ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(sequence - mRunFirst, mRunSize));
        }
        return static_cast<std::size_t>(std::lower_bound(mList.begin(), mList.end(), sequence) - mList.begin());
    }
    // Adds sequence in its place, or takes it out; nothing when it already is, or is not, held.
    void Insert(std::uint64_t sequence)
    {
        const std::size_t at = LowerBound(sequence);
        if (at < Size() && At(at) == sequence) {
            return;
        }
        Spread();
        mList.insert(mList.begin() + static_cast<std::ptrdiff_t>(at), sequence);
    }
    void Erase(std::uint64_t sequence)
    {
        const std::size_t at = LowerBound(sequence);
        if (at == Size() || At(at) != sequence) {
            return;
        }
        Spread();
        mList.erase(mList.begin() + static_cast<std::ptrdiff_t>(at));
    }

private:
    // The run becomes a plain list.
    void Spread()
    {
        if (!mRun) {
            return;
        }
        for (std::uint64_t i = 0; i < mRunSize; ++i) {
            mList.push_back(mRunFirst + i);
        }
        mRun = false;
    }

    bool mRun = true;
    std::uint64_t mRunFirst = 0;
    std::uint64_t mRunSize = 0;
    std::deque<std::uint64_t> mList;
};

}  // namespace tracing
