#include "viewer/store/LineStore.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

namespace tracing {

namespace {

// The longest prefix of text that has at most limit bytes and does not end
// inside a UTF-8 sequence.
std::string_view CutUtf8(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

bool HoldsTab(std::string_view text)
{
    return text.find('\t') != std::string_view::npos;
}

}  // namespace

std::int64_t PreciseStampNow() noexcept
{
    static const std::int64_t frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    // Whole seconds and the rest apart, so that the product cannot overflow.
    constexpr std::int64_t kPerSecond = 10000000;
    const std::int64_t seconds = now.QuadPart / frequency;
    const std::int64_t rest = now.QuadPart % frequency;
    return seconds * kPerSecond + rest * kPerSecond / frequency + 1;
}

std::int64_t ArrivalTimeNow() noexcept
{
    // The capture thread stamps every write while writers wait for it: the
    // local clock's offset (a time-zone lookup) is worked out once a second,
    // not for every line.
    static std::atomic<std::int64_t> offset { 0 };
    static std::atomic<std::uint64_t> offsetTick { 0 };
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    const auto utc = static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    const std::uint64_t tick = ::GetTickCount64() / 1000 + 1;
    if (offsetTick.load(std::memory_order_relaxed) != tick) {
        FILETIME local;
        if (::FileTimeToLocalFileTime(&now, &local)) {
            offset = static_cast<std::int64_t>((static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime)
                - utc;
        }
        offsetTick = tick;
    }
    return utc + offset.load(std::memory_order_relaxed);
}

LineStore::LineStore(std::size_t capacity, std::size_t capacityBytes)
    : mCapacity(std::max<std::size_t>(capacity, 1))
    , mCapacityBytes(std::max(capacityBytes, kMinCapacityBytes))
{
}

void LineStore::Add(const LineView& line)
{
    const std::string_view source = CutUtf8(line.source, kMaxSourceBytes);
    const std::string_view text = CutUtf8(line.text, kMaxTextBytes);

    LineRecord record = {};
    record.time = line.time;
    record.pid = line.pid;
    record.kind = line.kind;
    record.origin = line.origin;
    record.process = ProcessIndex(line.process);
    record.sourceBytes = static_cast<std::uint8_t>(source.size());
    record.textBytes = static_cast<std::uint16_t>(text.size());
    record.textsHoldTab = HoldsTab(line.process) || HoldsTab(source) || HoldsTab(text);
    char* bytes = Room(source.size() + text.size(), record.textAt);
    // An empty view may have no data at all, which memcpy must not be given.
    if (!source.empty()) {
        std::memcpy(bytes, source.data(), source.size());
    }
    if (!text.empty()) {
        std::memcpy(bytes + source.size(), text.data(), text.size());
    }
    mRecords.push_back(record);
    mHeldBytes += Cost(record);
    DropBeyondCapacity();
}

void LineStore::SetCapacity(std::size_t capacity, std::size_t capacityBytes)
{
    mCapacity = std::max<std::size_t>(capacity, 1);
    mCapacityBytes = std::max(capacityBytes, kMinCapacityBytes);
    DropBeyondCapacity();
}

void LineStore::Clear()
{
    // Swapped with empty ones, so that the memory goes back at once.
    std::deque<LineRecord>().swap(mRecords);
    std::vector<Block>().swap(mBlocks);
    mFirst = 0;
    mHeldBytes = 0;
}

std::uint16_t LineStore::ProcessIndex(std::string_view name)
{
    // Lines come in runs from the same program: check the last one first.
    if (name == mProcessNames[mLastProcess]) {
        return mLastProcess;
    }
    std::string key(name);
    const auto found = mProcessIndex.find(key);
    if (found != mProcessIndex.end()) {
        return mLastProcess = found->second;
    }
    // So many different programs that the index is full: the name is not kept.
    if (mProcessNames.size() > std::numeric_limits<std::uint16_t>::max()) {
        return 0;
    }
    const auto index = static_cast<std::uint16_t>(mProcessNames.size());
    mProcessNames.push_back(key);
    mProcessIndex.emplace(std::move(key), index);
    return mLastProcess = index;
}

char* LineStore::Room(std::size_t bytes, std::uint64_t& textAt)
{
    // A line never straddles two blocks, so a block can go as soon as the
    // oldest line lies beyond it. A full block takes no more lines, not even
    // empty ones: every textAt lies inside its block.
    if (mBlocks.empty() || kBlockBytes - mBlocks.back().used <= bytes) {
        mBlocks.push_back({ std::make_unique_for_overwrite<char[]>(kBlockBytes), mNextBlockStart, 0 });
        mNextBlockStart += kBlockBytes;
    }
    Block& block = mBlocks.back();
    textAt = block.start + block.used;
    char* room = block.bytes.get() + block.used;
    block.used += bytes;
    return room;
}

void LineStore::DropBeyondCapacity()
{
    std::size_t excess = mRecords.size() > mCapacity ? mRecords.size() - mCapacity : 0;
    for (std::size_t i = 0; i < excess; ++i) {
        mHeldBytes -= Cost(mRecords[i]);
    }
    // The newest line always stays, whatever it costs.
    while (mHeldBytes > mCapacityBytes && excess + 1 < mRecords.size()) {
        mHeldBytes -= Cost(mRecords[excess++]);
    }
    if (excess == 0) {
        return;
    }
    mRecords.erase(mRecords.begin(), mRecords.begin() + static_cast<std::ptrdiff_t>(excess));
    mFirst += excess;
    const std::uint64_t oldest = mRecords.front().textAt;
    std::size_t unused = 0;
    while (unused + 1 < mBlocks.size() && mBlocks[unused].start + kBlockBytes <= oldest) {
        ++unused;
    }
    mBlocks.erase(mBlocks.begin(), mBlocks.begin() + static_cast<std::ptrdiff_t>(unused));
}

}  // namespace tracing
