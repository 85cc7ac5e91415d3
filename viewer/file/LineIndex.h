// Where each line of an opened file starts and ends, in a few bytes a line:
// lines are kept in groups of kGroupLines, each group with the offset of its
// first line and every line's length in bytes, line end included, as a
// variable-length number (one byte for a line shorter than 128 bytes).
// Lines are only ever added at the end. It belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace tracing {

class LineIndex {
public:
    static constexpr std::size_t kGroupLines = 64;

    // start: the offset of the first line (after a byte-order mark).
    explicit LineIndex(std::uint64_t start = 0);
    LineIndex(const LineIndex&) = delete;
    LineIndex& operator=(const LineIndex&) = delete;

    // The line that starts where the last one ended ends at end (past its
    // line end). Ends only grow. Throws std::bad_alloc when it cannot be kept.
    void Add(std::uint64_t end);

    std::uint64_t Lines() const { return mLines; }
    // One past the last line's end: where the next line will start.
    std::uint64_t End() const { return mEnd; }

    struct Span {
        std::uint64_t begin;
        std::uint64_t end;  // past the line end
    };
    // Line number line (< Lines()).
    Span At(std::uint64_t line) const;
    // Lines [first, first + count), in order, to out (cleared first).
    void Spans(std::uint64_t first, std::size_t count, std::vector<Span>& out) const;
    // The line holding the byte at offset (within [start, End())).
    std::uint64_t LineAt(std::uint64_t offset) const;

    // What the index costs.
    std::size_t MemoryBytes() const;

private:
    static constexpr std::size_t kChunkBytes = std::size_t { 1 } << 16;
    // A group's lengths always fit in the rest of its chunk.
    static constexpr std::size_t kMaxGroupBytes = kGroupLines * 10;

    struct Group {
        std::uint64_t begin;  // the group's first line's offset
        std::uint32_t chunk;
        std::uint32_t offset;  // of its first length within the chunk
    };

    const std::uint8_t* LengthsOf(const Group& group) const { return mChunks[group.chunk].get() + group.offset; }

    std::uint64_t mStart;
    std::uint64_t mEnd;
    std::uint64_t mLines = 0;
    std::deque<Group> mGroups;
    std::vector<std::unique_ptr<std::uint8_t[]>> mChunks;
    std::size_t mChunkUsed = kChunkBytes;  // of the last chunk
};

}  // namespace tracing
