#include "foundation/trace/Trace.h"
#include "foundation/trace/TraceRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TraceStampTest, SplitsMicrosecondsIntoHoursMinutesSecondsAndMilliseconds)
{
    struct Row {
        std::uint64_t microseconds;
        const char* stamp;
    };
    const Row rows[] = {
        {0, "0:0:0.000 : "},
        {3723004500ull, "1:2:3.004 : "},
        {59999999, "0:0:59.999 : "},
        {3600000000ull, "1:0:0.000 : "},
        {360000000000ull + 61001000ull, "100:1:1.001 : "},
    };
    for (const Row& row : rows) {
        char buffer[32];
        UTrace::FormatStamp(row.microseconds, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, row.stamp) << row.microseconds;
    }
}

TEST(TraceStampTest, CounterScalingDoesNotWrapForLongUptimes)
{
    // 3 x 10^13 ticks of a 10 MHz counter: the product with 10^6 would not
    // fit in 64 bits.
    EXPECT_EQ(UTrace::CounterToMicroseconds(30000000000000ull, 10000000ull), 3000000000000ull);
    EXPECT_EQ(UTrace::CounterToMicroseconds(14318180ull + 3579545ull, 3579545ull * 4), 1250000ull);
    EXPECT_EQ(UTrace::CounterToMicroseconds(0xFFFFFFFFFFFFFFFFull, 1000000ull), 0xFFFFFFFFFFFFFFFFull);

    const std::uint64_t before = UTrace::Microseconds();
    ::Sleep(50);
    const std::uint64_t elapsed = UTrace::Microseconds() - before;
    EXPECT_GE(elapsed, 40000u);
    EXPECT_LT(elapsed, 2000000u);
}

TEST(TraceRecordTest, FillCutsAndTerminatesSourceAndText)
{
    const std::string seventy(70, 's');
    const std::string longText(2000, 't');
    const std::string source63 = seventy.substr(0, 63), source64 = seventy.substr(0, 64);
    const std::string text1023 = longText.substr(0, 1023), text1024 = longText.substr(0, 1024);
    struct Row {
        const char* source;
        const char* text;
        std::size_t sourceKept;
        std::size_t textKept;
    };
    const Row rows[] = {
        {nullptr, nullptr, 0, 0},
        {"", "", 0, 0},
        {"app", "hello", 3, 5},
        {seventy.c_str(), longText.c_str(), 63, 1023},
        {source63.c_str(), text1023.c_str(), 63, 1023},
        {source64.c_str(), text1024.c_str(), 63, 1023},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.source ? row.source : "(null)").size());
        const TraceRecord record = TraceRecord::Fill(3, 0xA1B2C3D4, 0, row.source, row.text);
        EXPECT_EQ(record.length, 82 + row.textKept);
        EXPECT_EQ(record.magic, 0x55543132u);
        EXPECT_EQ(record.kind, 3);
        EXPECT_EQ(record.tag, 0xA1B2C3D4u);
        EXPECT_EQ(std::strlen(record.text), row.textKept);
        if (row.text != nullptr) {
            EXPECT_EQ(std::memcmp(record.text, row.text, row.textKept), 0);
        }
        for (std::size_t i = row.sourceKept; i < 64; ++i) {
            ASSERT_EQ(record.source[i], '\0') << "source byte " << i;
        }
        if (row.source != nullptr) {
            EXPECT_EQ(std::memcmp(record.source, row.source, row.sourceKept), 0);
        }
    }
}

TEST(TraceRecordTest, WireBytesAreLittleEndianWithoutGaps)
{
    const TraceRecord record = TraceRecord::Fill(4, 0x01020304, 0, "s", "t");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    const unsigned char expected[] = {83, 0, 0, 0, 0x32, 0x31, 0x54, 0x55, 4, 0, 0, 0, 4, 3, 2, 1, 0, 's', 0};
    EXPECT_EQ(std::memcmp(bytes, expected, sizeof expected), 0);
    EXPECT_EQ(bytes[81], 't');
    EXPECT_EQ(bytes[82], 0);
}

}  // namespace
