// Function scopes read from the lines as they arrive. The tracing facility
// writes a function's entry line ("NAME - enter", or its own entry text) at
// its thread's nesting depth, every line inside one level deeper (two spaces
// per level, after the optional timestamp "h:m:s.mmm : "), and the exit line
// ("NAME - return" or its result) at the entry's depth again. A scope holds
// the lines of its sender that follow its entry line at a deeper indentation,
// and its exit line. A scope whose exit never comes (the program ended) stays
// open: it holds whatever its sender writes after it at a deeper indentation.
// A sender is one process's trace records, or its debug output.
#pragma once

#include "viewer/store/LineStore.h"

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tracing {

// How a line reads as part of a call tree. The tracing facility's debug
// output carries the same line behind its source, "SOURCE: ", which is
// passed over.
struct ScopeLine {
    std::uint32_t depth = 0;  // indentation / 2, the timestamp not counted
    bool function = false;  // a record of the function kind: an entry or an exit
    bool traced = false;  // a function record, or debug output behind a source: it may be an exit
    bool enter = false;  // the message ends with " - enter"
    std::string_view name;  // the message up to its first " - "
};
ScopeLine ReadScopeLine(LineOrigin origin, std::int32_t kind, std::string_view text);

inline std::uint64_t SenderOf(const LineRecord& record)
{
    return (std::uint64_t { record.pid } << 1) | (record.origin == LineOrigin::Debug ? 1u : 0u);
}

class FunctionScopes {
public:
    static constexpr std::uint64_t kOpen = std::numeric_limits<std::uint64_t>::max();

    struct Scope {
        std::uint64_t entry;  // the entry line's sequence number
        std::uint64_t end;  // its last line's, kOpen while open
        std::uint64_t sender;
        bool folded;
    };

    // Lines are added in sequence order, each once.
    void Add(std::uint64_t sequence, const LineRecord& record, std::string_view text);
    // Forgets scopes whose entry line the store no longer holds.
    void DropBefore(std::uint64_t first);
    void Clear();

    std::deque<Scope>& All() { return mScopes; }
    const std::deque<Scope>& All() const { return mScopes; }
    // The scope that sequence is the entry line of, or null.
    Scope* At(std::uint64_t sequence);
    const Scope* At(std::uint64_t sequence) const { return const_cast<FunctionScopes*>(this)->At(sequence); }
    // The last line a scope holds so far: its end, or for an open scope its sender's last line.
    std::uint64_t LastLine(const Scope& scope) const;
    // A scope can be folded when it holds at least one line besides its entry.
    bool Foldable(const Scope& scope) const { return LastLine(scope) > scope.entry; }
    // The innermost foldable scope of sender that holds the line sequence (not as its entry), or null.
    Scope* Enclosing(std::uint64_t sequence, std::uint64_t sender);
    bool AnyFolded() const { return mFolded != 0; }
    void SetFolded(Scope& scope, bool folded);
    void SetAllFolded(bool folded);

private:
    struct Open {
        std::uint64_t entry;
        std::uint32_t depth;
        std::string name;
    };
    struct Sender {
        std::vector<Open> open;  // innermost last
        std::uint64_t last = 0;
    };

    std::deque<Scope> mScopes;  // by entry line
    std::unordered_map<std::uint64_t, Sender> mSenders;
    std::size_t mFolded = 0;
};

}  // namespace tracing
