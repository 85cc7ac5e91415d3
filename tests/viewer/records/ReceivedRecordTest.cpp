#include "viewer/records/ReceivedRecord.h"

#include "foundation/trace/TraceRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

TEST(ReceivedRecordTest, AcceptsOnlyWholeRecordsAndNeverReadsPastCbData)
{
    const TraceRecord good = TraceRecord::Fill(1, 9, 0, "app", "hello");
    using Bytes = std::vector<unsigned char>;
    constexpr int kLength = 82 + 5;
    // The good record, changed by edit, sent with its length plus cbDelta.
    const struct {
        const char* name;
        std::uintptr_t dwData;
        std::function<void(Bytes&)> edit;
        int cbDelta;
        bool accepted;
    } rows[] = { { "valid", TraceRecord::kMagic, [](Bytes&) {}, 0, true },
        { "short cbData", TraceRecord::kMagic, [](Bytes& b) { b[0] = 81; }, 81 - kLength, false },
        { "too long", TraceRecord::kMagic,
            [](Bytes& b) {
                b.resize(1106);
                b[0] = 0x52;
                b[1] = 0x04;
            },
            1106 - kLength, false },
        { "wrong dwData", 0x12345678, [](Bytes&) {}, 0, false },
        { "wrong magic field", TraceRecord::kMagic, [](Bytes& b) { b[4] = 0; }, 0, false },
        { "length says more", TraceRecord::kMagic, [](Bytes& b) { ++b[0]; }, 0, false },
        { "cbData says less", TraceRecord::kMagic, [](Bytes&) {}, -1, false },
        { "missing NUL", TraceRecord::kMagic, [](Bytes& b) { b.back() = 'x'; }, 0, false } };
    ASSERT_EQ(+good.length, kLength);
    for (const auto& row : rows) {
        Bytes bytes(
            reinterpret_cast<const unsigned char*>(&good), reinterpret_cast<const unsigned char*>(&good) + kLength);
        row.edit(bytes);
        // An exact-size copy lets the checker trip over any read past cbData.
        bytes.resize(kLength + row.cbDelta);
        EXPECT_EQ(CheckRecord(row.dwData, static_cast<std::uint32_t>(bytes.size()), bytes.data()).has_value(), row.accepted)
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
