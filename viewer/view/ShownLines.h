// Which held lines the list shows, in order: those the filters let through,
// less the lines inside folded function scopes (a folded scope's entry line
// stays, and lines of other senders inside its range stay too). A folded
// scope whose entry line a filter hides does not hide its lines: nothing
// would show where they went. Rules shape only what is shown here; the store,
// the log and Save all never see them.
// Rules are matched in slices (Work), never all at once: after the rules
// change the shown lines fill again from the oldest held line, so that a
// slow rule over millions of lines never keeps the window from answering.
// A scope's duration comes with its exit, after its entry line was matched:
// rules on durations decide that entry line again then.
#pragma once

#include "viewer/store/LineStore.h"
#include "viewer/view/FunctionScopes.h"
#include "viewer/view/LineRules.h"
#include "viewer/view/ScopeDurations.h"
#include "viewer/view/SequenceList.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tracing {

class ShownLines {
public:
    // durations: the store's, shared by every view of it.
    ShownLines(const LineStore& store, const LineRules& rules, const ScopeDurations& durations)
        : mStore(store)
        , mRules(rules)
        , mDurations(durations)
        , mClosedSeen(durations.ClosedEnd())
    {
    }

    // The filters changed: every held line is matched again, from the oldest.
    void FiltersChanged();
    // The highlights changed: every held line's colours are worked out again.
    void HighlightsChanged();
    // After scopes were folded or unfolded: the shown lines are worked out
    // again from what the filters decided, without matching texts again;
    // the first maxLines at once, the rest in Work's slices (a file's lines
    // are read from it to find their senders).
    static constexpr std::size_t kRefoldLines = 65536;
    void Refold(std::size_t maxLines = kRefoldLines);

    struct Change {
        std::size_t droppedShown = 0;  // shown lines gone from the front
        std::size_t added = 0;  // shown lines added at the end
        bool coloured = false;  // lines already shown got their highlight
        bool reshown = false;  // a duration showed or hid a line other than at the end
    };
    // Lets go of the lines the store dropped, takes in the ones it got, and
    // matches the rules on at most maxLines lines.
    Change Work(std::size_t maxLines);
    // Lines waiting to be matched against the filters or highlights.
    std::uint64_t Unmatched() const;
    // The store was cleared.
    void Clear();

    std::size_t Size() const { return mShown.Size(); }
    std::uint64_t SequenceAt(std::size_t position) const { return mShown.At(position); }
    // The position of the first shown line at or after sequence (Size() when none).
    std::size_t PositionAtOrAfter(std::uint64_t sequence) const;
    std::optional<std::size_t> PositionOf(std::uint64_t sequence) const;
    // Whether the filters have decided on every line up to sequence, and
    // the shown lines hold it if it shows.
    bool FilteredPast(std::uint64_t sequence) const { return mReshown > sequence; }
    // Changes whenever shown lines change other than at the ends.
    std::uint64_t Generation() const { return mGeneration; }
    // The index of the highlight that colours a held line, or -1 (also while not yet known).
    int HighlightOf(std::uint64_t sequence) const;
    // Held lines on which a rule gave up.
    std::uint64_t GaveUp() const { return mGaveUp; }

    FunctionScopes& Scopes() { return mScopes; }
    const FunctionScopes& Scopes() const { return mScopes; }
    const LineStore& Store() const { return mStore; }
    const ScopeDurations& Durations() const { return mDurations; }

private:
    // What the rules made of a held line, in two bytes: a file may hold
    // tens of millions of lines.
    struct Mark {
        std::uint8_t highlight = kUnknown;  // the highlight's index + 1, 0 for none
        bool passes : 1 = false;
        bool filterGaveUp : 1 = false;
        bool highlightGaveUp : 1 = false;
    };
    static_assert(sizeof(Mark) == 2);
    static constexpr std::uint8_t kUnknown = 0xFF;

    void DropBefore(std::uint64_t first);
    Mark& MarkOf(std::uint64_t sequence) { return mMarks[static_cast<std::size_t>(sequence - mFirst)]; }
    bool Show(std::uint64_t sequence);
    void Decide(std::uint64_t sequence, Mark& mark);
    void Apply(const LineRules::Verdict& verdict, Mark& mark);
    void Colour(std::uint64_t sequence, Mark& mark);
    void TakeDurations(Change& change);
    // Shows the lines from mReshown up to to.
    void ShowFrom(std::uint64_t to);
    void Count(const Mark& mark, int sign);

    const LineStore& mStore;
    const LineRules& mRules;
    const ScopeDurations& mDurations;
    std::uint64_t mClosedSeen;  // the durations' closed entries taken so far
    FunctionScopes mScopes;
    std::uint64_t mFirst = 0;  // the oldest line taken in
    std::uint64_t mEnd = 0;  // one past the newest
    std::uint64_t mFiltered = 0;  // lines before this have been matched against the filters
    std::uint64_t mHighlighted = 0;  // and before this against the highlights
    std::uint64_t mReshown = 0;  // lines before this are in mShown if they show (at most mFiltered)
    std::deque<Mark> mMarks;  // per line from mFirst
    SequenceList mShown;
    // Per sender, the folded scope whose lines are being hidden.
    std::unordered_map<std::uint64_t, std::uint64_t> mHiding;
    std::uint64_t mGeneration = 0;
    std::uint64_t mGaveUp = 0;
};

}  // namespace tracing
