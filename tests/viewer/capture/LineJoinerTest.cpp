#include "viewer/capture/LineJoiner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace tracing;

namespace {

struct Write {
    std::uint32_t pid;
    std::string text;
    std::uint64_t tick;
};

// Writes in order (each carrying its tick as its time), then FlushIdle at
// flushTick; the lines as "pid:process:text@time".
std::vector<std::string> Join(const std::vector<Write>& writes, std::uint64_t flushTick)
{
    std::vector<std::string> lines;
    LineJoiner joiner([&](const JoinedLine& line) {
        lines.push_back(std::to_string(line.pid) + ":" + std::string(line.process) + ":" + std::string(line.text) + "@"
            + std::to_string(line.time));
    });
    for (const Write& write : writes) {
        const std::string process = "p" + std::to_string(write.pid) + "-" + std::to_string(write.tick);
        joiner.Add(write.pid, process, write.text, static_cast<std::int64_t>(write.tick), write.tick);
    }
    joiner.FlushIdle(flushTick);
    return lines;
}

TEST(LineJoinerTest, PiecesBecomeWholeLinesPerProcess)
{
    const std::string full(LineJoiner::kMaxHeld, 'x');
    const struct {
        const char* name;
        std::vector<Write> writes;
        std::uint64_t flushTick;
        std::vector<std::string> lines;
    } rows[] = {
        { "an empty line", { { 7, "\r\n", 1 } }, 1, { "7:p7-1:@1" } },
        { "the tracing facility's three writes", { { 7, "app: ", 1 }, { 7, "  Run - enter", 2 }, { 7, "\r\n", 3 } }, 3,
            { "7:p7-1:app:   Run - enter@3" } },
        { "several lines in one write, ended by CR LF or LF alone", { { 7, "a\r\nb\nc\r\n", 1 } }, 1,
            { "7:p7-1:a@1", "7:p7-1:b@1", "7:p7-1:c@1" } },
        { "a held rest joins the next write", { { 7, "a\nb", 1 }, { 7, "c\n", 2 } }, 2,
            { "7:p7-1:a@1", "7:p7-1:bc@2" } },
        { "CR and LF split over two writes", { { 7, "a\r", 1 }, { 7, "\n", 2 } }, 2, { "7:p7-1:a@2" } },
        { "a CR inside a line stays", { { 7, "a\rb\n", 1 } }, 1, { "7:p7-1:a\rb@1" } },
        { "two processes are never joined",
            { { 7, "seven ", 1 }, { 8, "eight ", 2 }, { 7, "done\n", 3 }, { 8, "done\n", 4 } }, 4,
            { "7:p7-1:seven done@3", "8:p8-2:eight done@4" } },
        { "held text waits for its idle time", { { 7, "partial", 1 } }, 1 + LineJoiner::kIdleMs - 1, {} },
        { "held text goes after its idle time", { { 7, "partial", 1 } }, 1 + LineJoiner::kIdleMs,
            { "7:p7-1:partial@1" } },
        { "a later write restarts the idle time", { { 7, "a", 1 }, { 7, "b", 900 } }, 1 + LineJoiner::kIdleMs, {} },
        { "held text goes at the limit", { { 7, full + "yz", 1 } }, 1, { "7:p7-1:" + full + "@1" } },
        { "a line end right at the limit adds no empty line", { { 7, full, 1 }, { 7, "\r\n", 2 }, { 7, "next\n", 3 } },
            3, { "7:p7-1:" + full + "@1", "7:p7-3:next@3" } },
        { "text cut at the limit leaves nothing to flush", { { 7, full, 1 } }, 1 + LineJoiner::kIdleMs,
            { "7:p7-1:" + full + "@1" } },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Join(row.writes, row.flushTick), row.lines) << row.name;
    }
}

TEST(LineJoinerTest, FlushAllLetsEveryHeldTextGo)
{
    std::vector<std::string> lines;
    LineJoiner joiner([&](const JoinedLine& line) { lines.emplace_back(line.text); });
    joiner.Add(1, "a.exe", "one", 0, 0);
    joiner.Add(2, "b.exe", "two\r", 0, 0);
    EXPECT_TRUE(joiner.Holding());
    joiner.FlushAll();
    EXPECT_FALSE(joiner.Holding());
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string> { "one", "two" }));
}

}  // namespace
