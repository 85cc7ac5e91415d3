#include "foundation/trace/TraceInternals.h"
#include "foundation/trace/TraceRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TraceStampTest, SplitsMicrosecondsAndScalesLongUptimesWithoutWrapping)
{
    const struct {
        std::uint64_t microseconds;
        const char* stamp;
    } rows[] = { { 0, "0:0:0.000 : " }, { 3723004500ull, "1:2:3.004 : " }, { 59999999, "0:0:59.999 : " },
        { 360000000000ull + 61001000ull, "100:1:1.001 : " } };
    for (const auto& row : rows) {
        char buffer[32];
        UTrace::FormatStamp(row.microseconds, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, row.stamp) << row.microseconds;
    }
    // 3 x 10^13 ticks of a 10 MHz counter: the product with 10^6 would not fit in 64 bits.
    EXPECT_EQ(UTrace::CounterToMicroseconds(30000000000000ull, 10000000ull), 3000000000000ull);
    EXPECT_EQ(UTrace::CounterToMicroseconds(14318180ull + 3579545ull, 3579545ull * 4), 1250000ull);
    EXPECT_EQ(UTrace::CounterToMicroseconds(0xFFFFFFFFFFFFFFFFull, 1000000ull), 0xFFFFFFFFFFFFFFFFull);
}

// Cutting is checked on the lines a client sends; here the layout on the wire.
TEST(TraceRecordTest, WireBytesAreLittleEndianWithoutGapsAndNullsAreEmpty)
{
    const TraceRecord record = TraceRecord::Fill(4, 0x01020304, 0, "s", "t");
    // length, magic, kind, tag, flag, then the source at 17, zero-padded, and the text at 81.
    const std::string expected = std::string("\x53\0\0\0\x32\x31\x54\x55\4\0\0\0\4\3\2\1\0s", 18)
        + std::string(63, '\0') + std::string("t\0", 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record), expected.size()), expected);
    const TraceRecord empty = TraceRecord::Fill(3, 0, 0, nullptr, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&empty), 82),
        std::string("\x52\0\0\0\x32\x31\x54\x55\3", 9) + std::string(73, '\0'));
}

}  // namespace
