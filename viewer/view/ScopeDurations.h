// How long each function scope took: its entry line paired with its exit
// line, per sender, as lines enter the store. One per store, shared by every
// view. An entry opens a scope at its depth; an exit at the same depth (with
// the same name) closes the innermost open scope of that depth, and any
// deeper ones still open are taken as never returned. The duration is the
// exit's stamp less the entry's. Memory stays proportional to the held
// scopes: entries are kept in sequence order and let go as the store drops
// their lines.
#pragma once

#include "viewer/store/LineStore.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tracing {

// Who pairs a line's scopes: debug output per process; records per thread
// owning the window named in wParam; every record naming no window as one
// sender (their scopes cannot be told apart).
std::uint64_t PairingSender(LineOrigin origin, std::uint32_t pid, std::uint32_t thread);

// Milliseconds with three decimals, "12.345", of a duration in 100 ns units.
void AppendMilliseconds(std::string& out, std::int64_t ticks);

class ScopeDurations {
public:
    // One line as it enters the store at sequence, in sequence order. stamp
    // is when it arrived, in 100 ns units. Never throws: a scope that cannot
    // be kept for lack of memory is counted (Failures).
    void Add(std::uint64_t sequence, LineOrigin origin, std::int32_t kind, std::string_view text, std::uint64_t sender,
        std::int64_t stamp) noexcept;
    // Forgets scopes whose entry line the store no longer holds.
    void DropBefore(std::uint64_t first);
    void Clear();

    // The duration (100 ns units) of the scope entered at sequence; nothing
    // while it is open, when it never returned, and for other lines.
    std::optional<std::int64_t> Of(std::uint64_t sequence) const;
    // Whether sequence is a held scope's entry line, open or not.
    bool IsEntry(std::uint64_t sequence) const { return Find(sequence) != nullptr; }

    // The entries in the order they got their duration, numbered from 0 and
    // never renumbered (not even by Clear), so that each view keeps its own
    // cursor: ClosedEntry(i) for i in [ClosedFirst(), ClosedEnd()).
    std::uint64_t ClosedFirst() const { return mClosedFirst; }
    std::uint64_t ClosedEnd() const { return mClosedFirst + mClosed.size(); }
    std::uint64_t ClosedEntry(std::uint64_t index) const
    {
        return mClosed[static_cast<std::size_t>(index - mClosedFirst)];
    }

    std::uint64_t Failures() const { return mFailures; }

private:
    static constexpr std::int64_t kOpen = -1;
    struct Entry {
        std::uint64_t sequence;
        std::int64_t duration;  // kOpen while open or never returned
    };
    struct Open {
        std::uint64_t sequence;
        std::int64_t stamp;
        std::uint32_t depth;
        std::string name;
    };
    struct Sender {
        std::vector<Open> open;  // innermost last
    };

    const Entry* Find(std::uint64_t sequence) const;
    void Close(Sender& sender, std::size_t at, std::uint64_t sequence, std::int64_t stamp);

    std::deque<Entry> mEntries;  // by sequence
    std::unordered_map<std::uint64_t, Sender> mSenders;
    std::deque<std::uint64_t> mClosed;
    std::uint64_t mClosedFirst = 0;
    std::uint64_t mFirst = 0;  // the oldest line the store still held at the last drop
    std::uint64_t mFailures = 0;
};

}  // namespace tracing
