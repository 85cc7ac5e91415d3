#include "viewer/store/LineStore.h"

#include "viewer/store/LineSource.h"

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
    // Short texts, for every line a page reads: a plain loop beats a call to memchr.
    for (const char c : text) {
        if (c == '\t') {
            return true;
        }
    }
    return false;
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

LineRecord LineStore::MakeRecord(const LineView& line, std::string_view& source, std::string_view& text)
{
    source = CutUtf8(line.source, kMaxSourceBytes);
    text = CutUtf8(line.text, kMaxTextBytes);
    LineRecord record = {};
    record.time = line.time;
    record.pid = line.pid;
    record.kind = line.kind;
    record.origin = line.origin;
    record.sourceBytes = static_cast<std::uint8_t>(source.size());
    record.textBytes = static_cast<std::uint16_t>(text.size());
    record.textsHoldTab = HoldsTab(line.process) || HoldsTab(source) || HoldsTab(text);
    return record;
}

void LineStore::Add(const LineView& line)
{
    std::string_view source;
    std::string_view text;
    LineRecord record = MakeRecord(line, source, text);
    record.process = ProcessIndex(line.process);
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

std::size_t LineStore::HeldBytes() const
{
    if (!mSource) {
        return mHeldBytes;
    }
    std::size_t total = 0;
    for (const Page& page : mPages) {
        total += page.bytes.capacity() + page.records.capacity() * sizeof(LineRecord);
    }
    return total;
}

void LineStore::Attach(std::shared_ptr<LineSource> source)
{
    mSource.reset();
    Clear();
    mSource = std::move(source);
    mAdmitted = 0;
    std::vector<Page>(mSource ? kKeptPages : 0).swap(mPages);
    mLastPage = 0;
}

void LineStore::Admit(std::uint64_t end)
{
    mAdmitted = std::max(mAdmitted, end);
}

const LineRecord& LineStore::PagedRecord(std::uint64_t sequence) const
{
    const std::uint64_t number = sequence / kPageLines;
    const auto at = static_cast<std::size_t>(sequence % kPageLines);
    Page* page = &mPages[mLastPage];
    if (page->number != number || at >= page->records.size()) {
        page = nullptr;
        for (std::size_t slot = 0; slot < mPages.size(); ++slot) {
            if (mPages[slot].number == number && at < mPages[slot].records.size()) {
                page = &mPages[slot];
                mLastPage = slot;
                break;
            }
        }
        if (page == nullptr) {
            page = &LoadPage(number);
        }
        page->used = ++mPageUses;
    }
    return page->records[at];
}

LineStore::Page& LineStore::LoadPage(std::uint64_t number) const
{
    // Into the slot read longest ago; a page read before with fewer lines
    // admitted is read again whole.
    std::size_t slot = 0;
    for (std::size_t i = 0; i < mPages.size(); ++i) {
        if (mPages[i].number == number) {
            slot = i;
            break;
        }
        if (mPages[i].used < mPages[slot].used) {
            slot = i;
        }
    }
    Page& page = mPages[slot];
    page.number = ~std::uint64_t { 0 };
    page.records.clear();
    page.bytes.clear();
    // A page of very long lines gives its memory back when it is used again.
    if (page.bytes.capacity() > kBlockBytes) {
        std::vector<char>().swap(page.bytes);
    }
    const std::uint64_t first = number * kPageLines;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kPageLines, mAdmitted - first));
    page.records.reserve(count);
    mSource->Read(first, count, [&](const LineView& line) {
        std::string_view source;
        std::string_view text;
        LineRecord record = MakeRecord(line, source, text);
        record.process = ProcessIndex(line.process);
        record.textAt = (std::uint64_t { slot } << kSlotShift) | page.bytes.size();
        page.bytes.insert(page.bytes.end(), source.begin(), source.end());
        page.bytes.insert(page.bytes.end(), text.begin(), text.end());
        page.records.push_back(record);
    });
    // However the source failed, the page has its lines.
    while (page.records.size() < count) {
        LineRecord empty = {};
        empty.textAt = (std::uint64_t { slot } << kSlotShift) | page.bytes.size();
        page.records.push_back(empty);
    }
    page.number = number;
    page.used = ++mPageUses;
    mLastPage = slot;
    KeepPagesBounded();
    return page;
}

void LineStore::KeepPagesBounded() const
{
    // Pages of very long lines let go of the oldest but the latest few, so
    // that a file of such lines costs a bounded memory too.
    std::size_t total = HeldBytes();
    while (total > kKeptPageBytes) {
        Page* oldest = nullptr;
        std::size_t newer = 0;
        for (Page& page : mPages) {
            if (page.bytes.capacity() != 0 && (oldest == nullptr || page.used < oldest->used)) {
                oldest = &page;
            }
        }
        for (const Page& page : mPages) {
            newer += oldest != nullptr && page.used > oldest->used ? 1 : 0;
        }
        if (oldest == nullptr || newer < kAlwaysKeptPages) {
            return;
        }
        total -= oldest->bytes.capacity() + oldest->records.capacity() * sizeof(LineRecord);
        oldest->number = ~std::uint64_t { 0 };
        oldest->used = 0;
        std::vector<char>().swap(oldest->bytes);
        std::vector<LineRecord>().swap(oldest->records);
    }
}

void LineStore::SetCapacity(std::size_t capacity, std::size_t capacityBytes)
{
    mCapacity = std::max<std::size_t>(capacity, 1);
    mCapacityBytes = std::max(capacityBytes, kMinCapacityBytes);
    DropBeyondCapacity();
}

void LineStore::Clear()
{
    if (mSource) {
        mFirst = mAdmitted;
        return;
    }
    // Swapped with empty ones, so that the memory goes back at once.
    std::deque<LineRecord>().swap(mRecords);
    std::vector<Block>().swap(mBlocks);
    mFirst = 0;
    mHeldBytes = 0;
}

std::uint16_t LineStore::ProcessIndex(std::string_view name) const
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
    if (mSource) {
        return;  // a file's lines cost no memory held
    }
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
