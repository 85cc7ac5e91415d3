#include "viewer/records/ReceivedRecord.h"

#include "foundation/trace/TraceRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace tracing;

namespace {

TEST(ReceivedRecordTest, AcceptsOnlyWholeRecordsAndNeverReadsPastCbData)
{
    const TraceRecord good = TraceRecord::Fill(1, 9, 0, "app", "hello");
    constexpr int kLength = 82 + 5;
    ASSERT_EQ(+good.length, kLength);
    // The good record with two bytes at an offset set to a value (at < 0: none),
    // sent with its length plus cbDelta. The fuzzer checks what is accepted.
    const struct {
        const char* name;
        std::uintptr_t dwData;
        int at;
        std::uint16_t value;
        int cbDelta;
        bool accepted;
    } rows[] = {
        { "valid", TraceRecord::kMagic, -1, 0, 0, true },
        { "short cbData", TraceRecord::kMagic, 0, 81, 81 - kLength, false },
        { "too long", TraceRecord::kMagic, 0, 1106, 1106 - kLength, false },
        { "wrong dwData", 0x12345678, -1, 0, 0, false },
        { "wrong magic field", TraceRecord::kMagic, 4, 0, 0, false },
        { "length says more", TraceRecord::kMagic, 0, kLength + 1, 0, false },
        { "length says less", TraceRecord::kMagic, 0, kLength - 1, 0, false },
        { "cbData says less", TraceRecord::kMagic, -1, 0, -1, false },
        { "missing NUL", TraceRecord::kMagic, kLength - 2, 0x7878, 0, false },
    };
    for (const auto& row : rows) {
        // An exact-size copy lets the checker trip over any read past cbData.
        std::vector<unsigned char> bytes(kLength + row.cbDelta, 0);
        std::memcpy(bytes.data(), &good, std::min<std::size_t>(kLength, bytes.size()));
        if (row.at >= 0) {
            std::memcpy(bytes.data() + row.at, &row.value, sizeof row.value);
        }
        EXPECT_EQ(
            CheckRecord(row.dwData, static_cast<std::uint32_t>(bytes.size()), bytes.data()).has_value(), row.accepted)
            << row.name;
    }
    EXPECT_FALSE(CheckRecord(TraceRecord::kMagic, good.length, nullptr).has_value());

    // A source without its NUL stops at its 64 bytes.
    TraceRecord noSourceNul = good;
    std::memset(noSourceNul.source, 'z', sizeof noSourceNul.source);
    const auto record = CheckRecord(TraceRecord::kMagic, good.length, &noSourceNul);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->kind, 1);
    EXPECT_EQ(record->tag, 9u);
    EXPECT_EQ(record->source, std::string(64, 'z'));
    EXPECT_EQ(record->text, "hello");
}

}  // namespace
