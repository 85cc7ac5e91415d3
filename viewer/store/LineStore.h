// The lines the viewer holds: a fixed 32-byte record per line, for quick
// scans over millions of lines, and the line's UTF-8 texts packed into large
// blocks. Beyond its capacity the store drops the oldest lines first.
// Safe to use from several threads: the capture thread adds, the window
// thread reads, each under one short lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Where a line came from: a trace record sent to the window, or debug output.
enum class LineOrigin : std::uint8_t { Record, Debug };

// A line's fields. The texts are UTF-8 and borrowed: a line handed to Add is
// copied, a line read from the store lives as long as the Reading it came from.
struct LineView {
    std::int64_t time = 0;  // local arrival time in FILETIME units (100 ns since 1601)
    std::uint32_t pid = 0;  // 0 when the sender is not known
    LineOrigin origin = LineOrigin::Debug;
    std::int32_t kind = 0;  // the record's kind; 0 for debug output
    std::string_view process;  // the program's file name, empty when not known
    std::string_view source;
    std::string_view text;
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
};
static_assert(sizeof(LineRecord) == 32, "a million lines should cost 32 MB of records");

// The local time now, in FILETIME units, as lines carry it.
std::int64_t ArrivalTimeNow() noexcept;

class LineStore {
public:
    static constexpr std::size_t kDefaultCapacity = 1000000;
    static constexpr std::size_t kBlockBytes = std::size_t { 1 } << 20;
    // Longer texts are cut (at a character boundary) to fit the record's counts.
    static constexpr std::size_t kMaxSourceBytes = 255;
    static constexpr std::size_t kMaxTextBytes = 65535;

    explicit LineStore(std::size_t capacity = kDefaultCapacity);
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;

    void Add(const LineView& line);
    // At least 1; lines beyond the new capacity are dropped at once, oldest first.
    void SetCapacity(std::size_t capacity);
    std::size_t Capacity() const;
    // Drops every line and starts the sequence numbers and counts again.
    void Clear();

    // Lines are numbered in the order they were added, from 0 at the last
    // Clear. The oldest held line's number is also the count of lines dropped
    // for capacity.
    struct Counts {
        std::uint64_t first = 0;
        std::size_t size = 0;
    };
    Counts GetCounts() const;

    // Read access, holding the store's lock until it goes: keep it short.
    class Reading {
    public:
        std::uint64_t First() const { return mStore->mFirst; }
        std::size_t Size() const { return mStore->mRecords.size(); }
        // index 0 is the oldest held line.
        const LineRecord& Record(std::size_t index) const { return mStore->mRecords[index]; }
        LineView Line(std::size_t index) const;
        std::string_view Source(const LineRecord& record) const;
        std::string_view Text(const LineRecord& record) const;
        std::string_view Process(const LineRecord& record) const { return mStore->mProcessNames[record.process]; }

    private:
        friend class LineStore;
        explicit Reading(const LineStore& store)
            : mLock(store.mLock)
            , mStore(&store)
        {
        }
        std::unique_lock<std::mutex> mLock;
        const LineStore* mStore;
    };
    [[nodiscard]] Reading Read() const { return Reading(*this); }

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::uint64_t start;  // textAt of the block's first byte
        std::size_t used;
    };

    std::uint16_t ProcessIndex(std::string_view name);
    char* Room(std::size_t bytes, std::uint64_t& textAt);
    void DropBeyondCapacity();
    const char* Bytes(const LineRecord& record) const;

    mutable std::mutex mLock;
    std::size_t mCapacity;
    std::uint64_t mFirst = 0;
    std::deque<LineRecord> mRecords;
    std::deque<Block> mBlocks;
    std::uint64_t mNextBlockStart = 0;
    // Program names are few: each is kept once, and lines refer to it by index.
    std::vector<std::string> mProcessNames { std::string() };
    std::unordered_map<std::string, std::uint16_t> mProcessIndex;
    std::uint16_t mLastProcess = 0;
};
