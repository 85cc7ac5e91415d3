#include "viewer/file/LineIndex.h"

#include <algorithm>

namespace tracing {

namespace {

// Reads one length written by Add, moving at past it.
std::uint64_t ReadLength(const std::uint8_t*& at) noexcept
{
    std::uint64_t value = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t byte = *at++;
        value |= std::uint64_t { byte & 0x7Fu } << shift;
        if ((byte & 0x80) == 0) {
            return value;
        }
    }
}

}  // namespace

LineIndex::LineIndex(std::uint64_t start)
    : mStart(start)
    , mEnd(start)
{
}

void LineIndex::Add(std::uint64_t end)
{
    end = std::max(end, mEnd);
    if (mLines % kGroupLines == 0) {
        if (kChunkBytes - mChunkUsed < kMaxGroupBytes) {
            mChunks.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(kChunkBytes));
            mChunkUsed = 0;
        }
        mGroups.push_back({ mEnd, static_cast<std::uint32_t>(mChunks.size() - 1), static_cast<std::uint32_t>(mChunkUsed) });
    }
    std::uint8_t* out = mChunks.back().get() + mChunkUsed;
    std::uint64_t length = end - mEnd;
    while (length >= 0x80) {
        *out++ = static_cast<std::uint8_t>(length | 0x80);
        length >>= 7;
    }
    *out++ = static_cast<std::uint8_t>(length);
    mChunkUsed = static_cast<std::size_t>(out - mChunks.back().get());
    mEnd = end;
    ++mLines;
}

LineIndex::Span LineIndex::At(std::uint64_t line) const
{
    const Group& group = mGroups[static_cast<std::size_t>(line / kGroupLines)];
    const std::uint8_t* lengths = LengthsOf(group);
    std::uint64_t begin = group.begin;
    for (std::uint64_t skip = line % kGroupLines; skip != 0; --skip) {
        begin += ReadLength(lengths);
    }
    return { begin, begin + ReadLength(lengths) };
}

void LineIndex::Spans(std::uint64_t first, std::size_t count, std::vector<Span>& out) const
{
    out.clear();
    std::uint64_t line = first;
    const std::uint64_t last = std::min<std::uint64_t>(first + count, mLines);
    while (line < last) {
        // To the line within its group, then on through the group.
        const Group& group = mGroups[static_cast<std::size_t>(line / kGroupLines)];
        const std::uint8_t* lengths = LengthsOf(group);
        std::uint64_t begin = group.begin;
        for (std::uint64_t skip = line % kGroupLines; skip != 0; --skip) {
            begin += ReadLength(lengths);
        }
        do {
            const std::uint64_t end = begin + ReadLength(lengths);
            out.push_back({ begin, end });
            begin = end;
            ++line;
        } while (line < last && line % kGroupLines != 0);
    }
}

std::uint64_t LineIndex::LineAt(std::uint64_t offset) const
{
    // The last group starting at or before offset, then its lines.
    const auto after = std::upper_bound(
        mGroups.begin(), mGroups.end(), offset, [](std::uint64_t value, const Group& group) { return value < group.begin; });
    const std::size_t groupIndex = after == mGroups.begin() ? 0 : static_cast<std::size_t>(after - mGroups.begin()) - 1;
    const Group& group = mGroups[groupIndex];
    const std::uint8_t* lengths = LengthsOf(group);
    std::uint64_t line = groupIndex * kGroupLines;
    std::uint64_t begin = group.begin;
    for (; line + 1 < mLines; ++line) {
        const std::uint64_t end = begin + ReadLength(lengths);
        if (offset < end || (line + 1) % kGroupLines == 0) {
            break;
        }
        begin = end;
    }
    return line;
}

std::size_t LineIndex::MemoryBytes() const
{
    return mChunks.size() * kChunkBytes + mGroups.size() * sizeof(Group);
}

}  // namespace tracing
