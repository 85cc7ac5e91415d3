#include "viewer/view/ShownLines.h"

#include <algorithm>
#include <array>
#include <span>

namespace tracing {

void ShownLines::FiltersChanged()
{
    // Nothing to count again where no rule has given up.
    for (std::uint64_t sequence = mFirst; mGaveUp != 0 && sequence < mFiltered; ++sequence) {
        Mark& mark = MarkOf(sequence);
        Count(mark, -1);
        mark.filterGaveUp = false;
        Count(mark, 1);
    }
    mFiltered = mFirst;
    mReshown = mFirst;
    ++mGeneration;
    mShown.Clear();
    mHiding.clear();
}

void ShownLines::HighlightsChanged()
{
    for (std::uint64_t sequence = mFirst; sequence < mHighlighted; ++sequence) {
        Mark& mark = MarkOf(sequence);
        Count(mark, -1);
        mark.highlight = kUnknown;
        mark.highlightGaveUp = false;
        Count(mark, 1);
    }
    mHighlighted = mFirst;
}

void ShownLines::Refold(std::size_t maxLines)
{
    ++mGeneration;
    mShown.Clear();
    mHiding.clear();
    mReshown = mFirst;
    ShowFrom(mFirst + std::min<std::uint64_t>(maxLines, mFiltered - mFirst));
}

void ShownLines::ShowFrom(std::uint64_t to)
{
    for (; mReshown < to; ++mReshown) {
        if (Show(mReshown)) {
            mShown.PushBack(mReshown);
        }
    }
}

bool ShownLines::Show(std::uint64_t sequence)
{
    const bool passes = MarkOf(sequence).passes != 0;
    if (!mScopes.AnyFolded()) {
        return passes;
    }
    // Only now is the line read: unfolded, a file's lines need not be.
    const std::uint64_t sender = SenderOf(mStore.Record(sequence));
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

void ShownLines::Count(const Mark& mark, int sign)
{
    if (mark.filterGaveUp || mark.highlightGaveUp) {
        mGaveUp += static_cast<std::uint64_t>(static_cast<std::int64_t>(sign));
    }
}

void ShownLines::DropBefore(std::uint64_t first)
{
    const std::uint64_t held = std::min(first, mEnd);
    for (std::uint64_t sequence = mFirst; sequence < held; ++sequence) {
        Count(MarkOf(sequence), -1);
    }
    mMarks.erase(mMarks.begin(), mMarks.begin() + static_cast<std::ptrdiff_t>(held - mFirst));
    mScopes.DropBefore(first);
    mFirst = first;
    mEnd = std::max(mEnd, first);
    mFiltered = std::max(mFiltered, first);
    mReshown = std::max(mReshown, first);
    mHighlighted = std::max(mHighlighted, first);
}

ShownLines::Change ShownLines::Work(std::size_t maxLines)
{
    Change change;
    if (mStore.End() < mEnd || mStore.First() < mFirst) {
        Clear();  // the store was cleared behind our back: start over
    }
    if (mStore.First() > mFirst) {
        change.droppedShown = PositionAtOrAfter(mStore.First());
        mShown.DropFront(change.droppedShown);
        DropBefore(mStore.First());
    }
    // Scopes take every line as it comes: folding needs no rules.
    for (; mEnd < mStore.End(); ++mEnd) {
        const LineRecord& record = mStore.Record(mEnd);
        mScopes.Add(mEnd, record, mStore.Text(record));
        mMarks.push_back(Mark {});
    }
    TakeDurations(change);
    const std::size_t shownBefore = mShown.Size();
    // A refold goes on where it stopped, before any line newly matched is shown.
    if (mReshown < mFiltered) {
        const std::uint64_t to = mReshown + std::min<std::uint64_t>(maxLines, mFiltered - mReshown);
        maxLines -= static_cast<std::size_t>(to - mReshown);
        ShowFrom(to);
    }
    const bool filtering = mRules.Filtering();
    std::size_t budget = maxLines;
    // Without a folded scope a line shows exactly when it passes.
    const bool folded = mScopes.AnyFolded();
    std::array<LineRules::Verdict, LineRules::kSlice> verdicts;
    while (mReshown == mFiltered && mFiltered < mEnd && budget > 0) {
        const std::size_t count
            = static_cast<std::size_t>(std::min<std::uint64_t>(mEnd - mFiltered, std::min(budget, LineRules::kSlice)));
        const std::span<LineRules::Verdict> slice(verdicts.data(), count);
        if (filtering) {
            mRules.Filter(mStore, mFiltered, slice, &mDurations);
            budget -= count;
        } else {
            std::fill(slice.begin(), slice.end(), LineRules::Verdict {});
        }
        for (const LineRules::Verdict& verdict : slice) {
            Mark& mark = MarkOf(mFiltered);
            Apply(verdict, mark);
            if (folded ? Show(mFiltered) : mark.passes != 0) {
                mShown.PushBack(mFiltered);
            }
            mReshown = ++mFiltered;
        }
    }
    change.added = mShown.Size() - shownBefore;
    const bool highlighting = !mRules.Highlights().empty();
    for (; mHighlighted < mEnd && budget > 0; ++mHighlighted) {
        Mark& mark = MarkOf(mHighlighted);
        budget -= highlighting ? 1 : 0;
        Colour(mHighlighted, mark);
        change.coloured = change.coloured || mark.highlight != 0;
    }
    return change;
}

void ShownLines::Decide(std::uint64_t sequence, Mark& mark)
{
    LineRules::Verdict verdict;
    if (mRules.Filtering()) {
        mRules.Filter(mStore, sequence, { &verdict, 1 }, &mDurations);
    }
    Apply(verdict, mark);
}

void ShownLines::Apply(const LineRules::Verdict& verdict, Mark& mark)
{
    if (verdict.gaveUp != mark.filterGaveUp) {
        Count(mark, -1);
        mark.filterGaveUp = verdict.gaveUp;
        Count(mark, 1);
    }
    mark.passes = verdict.passes ? 1 : 0;
}

void ShownLines::Colour(std::uint64_t sequence, Mark& mark)
{
    Count(mark, -1);
    bool gaveUp = false;
    mark.highlight = mRules.Highlights().empty()
        ? 0
        : static_cast<std::uint8_t>(
            mRules.Highlight(mStore, mStore.Record(sequence), sequence, gaveUp, &mDurations) + 1);
    mark.highlightGaveUp = gaveUp;
    Count(mark, 1);
}

void ShownLines::TakeDurations(Change& change)
{
    const std::uint64_t end = mDurations.ClosedEnd();
    std::uint64_t index = std::max(mClosedSeen, mDurations.ClosedFirst());
    mClosedSeen = end;
    const bool filters = mRules.FiltersOnDuration();
    const bool highlights = mRules.HighlightsOnDuration();
    bool refold = false;
    for (; index < end && (filters || highlights); ++index) {
        // Entries not yet matched are matched with their duration in their turn.
        const std::uint64_t entry = mDurations.ClosedEntry(index);
        if (entry < mFirst || entry >= mEnd) {
            continue;
        }
        Mark& mark = MarkOf(entry);
        if (filters && entry < mFiltered) {
            const bool passed = mark.passes != 0;
            Decide(entry, mark);
            if (passed != (mark.passes != 0)) {
                change.reshown = true;
                ++mGeneration;
                if (mScopes.AnyFolded()) {
                    refold = true;  // what shows inside folded scopes depends on the lines before
                } else if (entry >= mReshown) {
                    // A refold still to come shows it or not.
                } else if (!passed) {
                    mShown.Insert(entry);
                } else {
                    mShown.Erase(entry);
                }
            }
        }
        if (highlights && entry < mHighlighted) {
            const std::uint8_t before = mark.highlight;
            Colour(entry, mark);
            change.coloured = change.coloured || mark.highlight != before;
        }
    }
    if (refold) {
        Refold(0);
    }
}

std::uint64_t ShownLines::Unmatched() const
{
    return (mEnd - mFiltered) + (mEnd - mHighlighted) + (mFiltered - mReshown);
}

void ShownLines::Clear()
{
    ++mGeneration;
    mFirst = mEnd = mFiltered = mHighlighted = mReshown = 0;
    mMarks.clear();
    mShown.Clear();
    mHiding.clear();
    mScopes.Clear();
    mGaveUp = 0;
    mClosedSeen = mDurations.ClosedEnd();
}

int ShownLines::HighlightOf(std::uint64_t sequence) const
{
    if (sequence < mFirst || sequence >= mHighlighted) {
        return -1;
    }
    const std::uint8_t highlight = mMarks[static_cast<std::size_t>(sequence - mFirst)].highlight;
    return highlight == kUnknown ? -1 : static_cast<int>(highlight) - 1;
}

std::size_t ShownLines::PositionAtOrAfter(std::uint64_t sequence) const
{
    return mShown.LowerBound(sequence);
}

std::optional<std::size_t> ShownLines::PositionOf(std::uint64_t sequence) const
{
    const std::size_t position = PositionAtOrAfter(sequence);
    if (position < mShown.Size() && mShown.At(position) == sequence) {
        return position;
    }
    return std::nullopt;
}

}  // namespace tracing
