// Function scopes paired into durations: per sender (a record window's
// thread, records naming no window, each process's debug output), nested,
// left open, exits without entries, lines dropped by the store, Clear.
#include "viewer/view/ScopeDurations.h"

#include "foundation/trace/TraceProtocol.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace tracing;

namespace {

constexpr std::int32_t F = UTrace::kTraceFunction;
constexpr LineOrigin R = LineOrigin::Record;
constexpr LineOrigin D = LineOrigin::Debug;
constexpr std::int64_t kTicksPerMs = 10000;

struct Arrival {
    LineOrigin origin;
    std::uint32_t pid;
    std::uint32_t thread;  // the record window's; 0 for none
    const char* text;
    std::int64_t ms;  // the stamp
};

void Feed(ScopeDurations& durations, std::uint64_t first, const std::vector<Arrival>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Arrival& line = lines[i];
        durations.Add(first + i, line.origin, line.origin == R ? F : 0, line.text,
            PairingSender(line.origin, line.pid, line.thread), line.ms * kTicksPerMs);
    }
}

std::optional<std::int64_t> Ms(std::int64_t ms)
{
    return ms * kTicksPerMs;
}

const std::vector<Arrival> kStream = {
    { R, 1, 11, "Work - enter", 0 },  // 0: thread 11
    { R, 1, 12, "Work - enter", 5 },  // 1: thread 12, same name and depth
    { R, 1, 11, "  Inner - enter", 10 },  // 2
    { R, 1, 12, "Work - return", 25 },  // 3: closes 1
    { R, 1, 11, "  Inner - return", 40 },  // 4: closes 2
    { R, 1, 11, "Work - return = 0", 100 },  // 5: closes 0
    { R, 2, 0, "Load - enter", 110 },  // 6: no window
    { R, 2, 0, "  Parse - enter", 120 },  // 7
    { R, 2, 0, "    Lost - enter", 125 },  // 8: never returns
    { R, 2, 0, "  Parse - return", 150 },  // 9: closes 7, and 8 as never returned
    { R, 2, 0, "    Lost - return", 155 },  // 10: its scope was given up: an exit without entry
    { D, 7, 0, "app: Read - enter", 160 },  // 11: debug output of pid 7
    { D, 8, 0, "app: Read - enter", 170 },  // 12: of pid 8
    { D, 8, 0, "app: Read - return", 175 },  // 13: closes 12
    { D, 7, 0, "app: Read - return = 3", 200 },  // 14: closes 11
    { R, 2, 0, "Load - return", 300 },  // 15: closes 6
    { D, 7, 0, "app: Stray - return", 310 },  // 16: an exit without entry
    { R, 3, 13, "Open - enter", 320 },  // 17: left open
    { R, 3, 13, "Save - 3 files", 340 },  // 18: an entry text of its own
    { R, 3, 13, "Save - return", 360 },  // 19: closes 18; 17 is not deeper and stays open
    { D, 7, 0, "plain output", 400 },  // 20
};

TEST(ScopeDurationsTest, ScopesPairPerSenderWithNesting)
{
    ScopeDurations durations;
    Feed(durations, 0, kStream);
    const struct {
        std::uint64_t line;
        std::optional<std::int64_t> duration;
        bool entry;
    } rows[] = {
        { 0, Ms(100), true },
        { 1, Ms(20), true },
        { 2, Ms(30), true },
        { 3, std::nullopt, false },
        { 6, Ms(190), true },
        { 7, Ms(30), true },
        { 8, std::nullopt, true },
        { 10, std::nullopt, false },
        { 11, Ms(40), true },
        { 12, Ms(5), true },
        { 16, std::nullopt, false },
        { 17, std::nullopt, true },
        { 18, Ms(20), true },
        { 20, std::nullopt, false },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(durations.Of(row.line), row.duration) << row.line;
        EXPECT_EQ(durations.IsEntry(row.line), row.entry) << row.line;
    }
    // The entries in the order their exits came.
    std::vector<std::uint64_t> closed;
    for (std::uint64_t i = durations.ClosedFirst(); i < durations.ClosedEnd(); ++i) {
        closed.push_back(durations.ClosedEntry(i));
    }
    EXPECT_EQ(closed, (std::vector<std::uint64_t> { 1, 2, 0, 7, 12, 11, 6, 18 }));
    EXPECT_EQ(durations.Failures(), 0u);
}

TEST(ScopeDurationsTest, DroppedLinesAndClearAreForgottenButTheClosedCursorRunsOn)
{
    ScopeDurations durations;
    Feed(durations, 0, kStream);
    durations.DropBefore(3);
    EXPECT_FALSE(durations.IsEntry(0));
    EXPECT_EQ(durations.Of(6), Ms(190));
    // The closed entries before the oldest held line go, the cursor's numbers stay.
    EXPECT_EQ(durations.ClosedFirst(), 3u);
    EXPECT_EQ(durations.ClosedEntry(3), 7u);
    // An open scope whose entry is dropped cannot be closed any more.
    durations.DropBefore(18);
    Feed(durations, 21, { { R, 3, 13, "Open - return", 500 } });
    EXPECT_FALSE(durations.IsEntry(17));
    EXPECT_EQ(durations.ClosedEnd(), 8u);

    durations.Clear();
    EXPECT_EQ(durations.Of(18), std::nullopt);
    EXPECT_EQ(durations.ClosedFirst(), durations.ClosedEnd());
    // Numbering starts again with the store's.
    Feed(durations, 0, { { D, 7, 0, "app: Read - enter", 1000 }, { D, 7, 0, "app: Read - return", 1012 } });
    EXPECT_EQ(durations.Of(0), Ms(12));
    EXPECT_EQ(durations.ClosedEnd(), 9u);
}

}  // namespace
