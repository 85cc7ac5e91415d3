// The lines the viewer holds: a fixed 32-byte record per line, for quick
// scans over millions of lines, and the line's UTF-8 texts packed into large
// blocks. Beyond its capacity in lines or in bytes the store drops the
// oldest lines first. It belongs to one thread (the session's): lines from
// other threads reach it through the session's intake.
// An opened file's lines stay in the file instead (Attach): the store reads
// them a page at a time as they are asked for and keeps the last few pages,
// so that a line read from it lives at least until kAlwaysKeptPages - 1
// other pages have been read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tracing {

class LineSource;

// Where a line came from: a trace record sent to the window, or debug output.
enum class LineOrigin : std::uint8_t { Record, Debug };

// A line's fields. The texts are UTF-8 and borrowed: a line handed to Add is
// copied, a line read from the store lives until the store next changes.
struct LineView {
    std::int64_t time = 0;  // local arrival time in FILETIME units (100 ns since 1601)
    std::uint32_t pid = 0;  // 0 when the sender is not known
    LineOrigin origin = LineOrigin::Debug;
    std::int32_t kind = 0;  // the record's kind; 0 for debug output
    std::string_view process;  // the program's file name, empty when not known
    std::string_view source;
    std::string_view text;
    // Whether process, source or text may hold a tab. Add works it out; a
    // line read from the store tells exactly.
    bool textsHoldTab = true;
};

// The fixed part of a held line. Texts are found through textAt: the source's
// bytes, then the text's, in one block.
struct LineRecord {
    std::int64_t time;
    std::uint64_t textAt;
    std::uint32_t pid;
    std::int32_t kind;
    std::uint16_t textBytes;
    std::uint16_t process;  // index into the store's program names; 0 is the empty name
    std::uint8_t sourceBytes;
    LineOrigin origin;
    // Searches of the whole line, fields joined by tabs, skip looking for
    // tabs inside the fields of the many lines that have none.
    bool textsHoldTab;
};
static_assert(sizeof(LineRecord) == 32, "a million lines should cost 32 MB of records");

// The local time now, in FILETIME units, as lines carry it.
std::int64_t ArrivalTimeNow() noexcept;
// A steady high-resolution stamp in 100 ns units from an arbitrary start,
// for the time between two lines (a scope's duration); never 0.
std::int64_t PreciseStampNow() noexcept;

class LineStore {
public:
    static constexpr std::size_t kDefaultCapacity = 1000000;
    // What the held lines may cost, records and texts: enough for a million
    // ordinary lines, and within a 32-bit process's reach.
    static constexpr std::size_t kDefaultCapacityBytes = (sizeof(void*) == 8 ? std::size_t { 1024 } : 256) << 20;
    static constexpr std::size_t kMinCapacityBytes = std::size_t { 1 } << 20;
    static constexpr std::size_t kBlockBytes = std::size_t { 1 } << 20;
    // Longer texts are cut (at a character boundary) to fit the record's counts.
    static constexpr std::size_t kMaxSourceBytes = 255;
    static constexpr std::size_t kMaxTextBytes = 65535;

    explicit LineStore(std::size_t capacity = kDefaultCapacity, std::size_t capacityBytes = kDefaultCapacityBytes);
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;

    // Throws std::bad_alloc when the line cannot be kept.
    void Add(const LineView& line);
    // At least 1 line and kMinCapacityBytes; lines beyond the new capacity
    // are dropped at once, oldest first.
    void SetCapacity(std::size_t capacity, std::size_t capacityBytes);
    std::size_t Capacity() const { return mCapacity; }
    std::size_t CapacityBytes() const { return mCapacityBytes; }
    // Drops every line and starts the sequence numbers and counts again.
    // Holding an opened file's lines, it lets go of those admitted so far.
    void Clear();

    // From now on the lines are source's (none until admitted), numbered
    // from 0; null holds lines in memory again. Drops every line held.
    static constexpr std::size_t kPageLines = 256;
    static constexpr std::size_t kKeptPages = 16;
    // Pages beyond this many bytes are let go, oldest first, but for the
    // latest kAlwaysKeptPages.
    static constexpr std::size_t kKeptPageBytes = std::size_t { 32 } << 20;
    static constexpr std::size_t kAlwaysKeptPages = 4;
    void Attach(std::shared_ptr<LineSource> source);
    bool Paged() const { return mSource != nullptr; }
    LineSource* Source() const { return mSource.get(); }
    // The source's lines before end are held from now on (end only grows).
    void Admit(std::uint64_t end);

    // Lines are numbered in the order they were added, from 0 at the last
    // Clear. The oldest held line's number is also the count of lines
    // dropped for capacity.
    std::uint64_t First() const { return mFirst; }
    std::uint64_t End() const { return mSource ? mAdmitted : mFirst + mRecords.size(); }
    std::size_t Size() const { return static_cast<std::size_t>(End() - mFirst); }
    // What the held lines cost, as the byte capacity counts it; for a
    // source's lines, what the pages read from it hold.
    std::size_t HeldBytes() const;

    // The held line numbered sequence, or null when it is not (or no longer) held.
    const LineRecord* Find(std::uint64_t sequence) const
    {
        if (mSource) [[unlikely]] {
            return sequence >= mFirst && sequence < mAdmitted ? &PagedRecord(sequence) : nullptr;
        }
        return sequence >= mFirst && sequence - mFirst < mRecords.size()
            ? &mRecords[static_cast<std::size_t>(sequence - mFirst)]
            : nullptr;
    }
    // The same for a line known to be held.
    const LineRecord& Record(std::uint64_t sequence) const
    {
        if (mSource) [[unlikely]] {
            return PagedRecord(sequence);
        }
        return mRecords[static_cast<std::size_t>(sequence - mFirst)];
    }
    LineView Line(const LineRecord& record) const
    {
        const char* const bytes = Bytes(record);
        return { .time = record.time, .pid = record.pid, .origin = record.origin, .kind = record.kind,
            .process = Process(record), .source = { bytes, record.sourceBytes },
            .text = { bytes + record.sourceBytes, record.textBytes }, .textsHoldTab = record.textsHoldTab };
    }
    std::string_view Source(const LineRecord& record) const { return { Bytes(record), record.sourceBytes }; }
    std::string_view Text(const LineRecord& record) const { return { Bytes(record) + record.sourceBytes, record.textBytes }; }
    std::string_view Process(const LineRecord& record) const { return mProcessNames[record.process]; }

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::uint64_t start;  // textAt of the block's first byte
        std::size_t used;
    };

    // A page of a source's lines, as last read.
    struct Page {
        std::uint64_t number = ~std::uint64_t { 0 };
        std::vector<LineRecord> records;
        std::vector<char> bytes;
        std::uint64_t used = 0;  // when it was last read from, for keeping the latest
    };
    // Paged lines' textAt: the page's slot above this many bits, the offset below.
    static constexpr int kSlotShift = 40;

    static std::size_t Cost(const LineRecord& record) { return sizeof record + record.sourceBytes + record.textBytes; }
    static LineRecord MakeRecord(const LineView& line, std::string_view& source, std::string_view& text);
    const LineRecord& PagedRecord(std::uint64_t sequence) const;
    Page& LoadPage(std::uint64_t number) const;
    void KeepPagesBounded() const;
    std::uint16_t ProcessIndex(std::string_view name) const;
    char* Room(std::size_t bytes, std::uint64_t& textAt);
    void DropBeyondCapacity();
    // Inline with Line: filters and find read every held line through them.
    const char* Bytes(const LineRecord& record) const
    {
        if (mSource) [[unlikely]] {
            return mPages[static_cast<std::size_t>(record.textAt >> kSlotShift)].bytes.data()
                + (record.textAt & ((std::uint64_t { 1 } << kSlotShift) - 1));
        }
        const Block& block = mBlocks[static_cast<std::size_t>((record.textAt - mBlocks.front().start) / kBlockBytes)];
        return block.bytes.get() + (record.textAt - block.start);
    }

    std::size_t mCapacity;
    std::size_t mCapacityBytes;
    std::uint64_t mFirst = 0;
    std::size_t mHeldBytes = 0;
    std::deque<LineRecord> mRecords;
    std::vector<Block> mBlocks;  // few, and indexed for every line read
    std::uint64_t mNextBlockStart = 0;
    // Program names are few: each is kept once, and lines refer to it by index.
    // Read pages add to them too.
    mutable std::vector<std::string> mProcessNames { std::string() };
    mutable std::unordered_map<std::string, std::uint16_t> mProcessIndex;
    mutable std::uint16_t mLastProcess = 0;

    std::shared_ptr<LineSource> mSource;
    std::uint64_t mAdmitted = 0;
    mutable std::vector<Page> mPages;  // kKeptPages slots
    mutable std::size_t mLastPage = 0;  // the slot read last
    mutable std::uint64_t mPageUses = 0;
};

}  // namespace tracing
