// Which held lines the list shows, in order: those the filters let through,
// less the lines inside folded function scopes (a folded scope's entry line
// stays, and lines of other senders inside its range stay too). A folded
// scope whose entry line a filter hides does not hide its lines: nothing
// would show where they went. Rules shape only what is shown here; the store,
// the log and Save all never see them.
// Work happens on the window thread, never on the capture path: new lines
// are taken in as the list is refreshed, holding the store's lock for a few
// thousand lines at a time.
#pragma once

#include "viewer/store/LineStore.h"
#include "viewer/view/FunctionScopes.h"
#include "viewer/view/LineRules.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

class ShownLines {
public:
    explicit ShownLines(const LineStore& store)
        : mStore(store)
    {
    }

    // New filters: every held line is matched again.
    void SetFilters(const std::vector<TextRule>& filters);
    void SetHighlights(const std::vector<TextRule>& highlights) { mRules.SetHighlights(highlights); }
    // After scopes were folded or unfolded: the shown lines are worked out again
    // from what the filters decided, without matching texts again.
    void Refold();

    struct Change {
        std::size_t droppedShown = 0;  // shown lines gone from the front
        std::size_t added = 0;  // shown lines added at the end
    };
    // Takes in the lines the store got since the last call and lets go of those it dropped.
    Change CatchUp();
    // The store was cleared.
    void Clear();

    std::size_t Size() const { return mShown.size(); }
    std::uint64_t SequenceAt(std::size_t position) const { return mShown[position]; }
    // The position of the first shown line at or after sequence (Size() when none).
    std::size_t PositionAtOrAfter(std::uint64_t sequence) const;
    std::optional<std::size_t> PositionOf(std::uint64_t sequence) const;
    // Changes whenever shown lines change other than at the ends.
    std::uint64_t Generation() const { return mGeneration; }

    FunctionScopes& Scopes() { return mScopes; }
    const LineRules& Rules() const { return mRules; }
    const LineStore& Store() const { return mStore; }

private:
    void ComputePasses();
    bool Show(std::uint64_t sequence, const LineRecord& record);

    const LineStore& mStore;
    LineRules mRules;
    FunctionScopes mScopes;
    std::uint64_t mFirst = 0;  // the oldest line taken in
    std::uint64_t mEnd = 0;  // one past the newest
    std::deque<std::uint8_t> mPasses;  // per line from mFirst: the filters let it through
    std::deque<std::uint64_t> mShown;
    // Per sender, the folded scope whose lines are being hidden.
    std::unordered_map<std::uint64_t, std::uint64_t> mHiding;
    std::uint64_t mGeneration = 0;
};
