#include "standins/trace-viewer/ReceivedRecord.h"
#include "standins/trace-viewer/ViewerLines.h"

#include "TempFolder.h"
#include "foundation/trace/TraceRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
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
        ULONG_PTR dwData;
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
        EXPECT_EQ(CheckRecord(row.dwData, static_cast<DWORD>(bytes.size()), bytes.data()).has_value(), row.accepted)
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

ViewerLine Line(const wchar_t* source, const wchar_t* text, std::int32_t kind = 3)
{
    return ViewerLine { { 2026, 1, 0, 1, 9, 5, 7, 42 }, 1234, kind, source, text };
}

TEST(ViewerLinesTest, SavedFileIsUtf8WithTabSeparatedColumns)
{
    const std::deque<ViewerLine> lines = { Line(L"app", L"caf\u00e9", 1), Line(L"", L"second", 7) };
    testing_support::TempFolder folder(L"viewer");
    const std::wstring path = folder.File(L"saved.txt");
    ASSERT_TRUE(SaveLines(path, lines, { 0, 1, 5 }));
    std::ifstream file(path.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes,
        "09:05:07.042\t1234\terror\tapp\tcaf\xC3\xA9\r\n"
        "09:05:07.042\t1234\t7\t\tsecond\r\n");
    EXPECT_FALSE(SaveLines(folder.File(L"no such folder\\saved.txt"), lines, { 0 }));
}

TEST(ViewerLinesTest, StoreDropsOldestBeyondCapacityAndClearResetsCounts)
{
    LineStore store(3);
    for (int i = 0; i < 5; ++i) {
        store.Add(Line(L"s", std::to_wstring(i).c_str()));
    }
    store.CountRejected();
    ASSERT_EQ(store.Size(), 3u);
    EXPECT_EQ(store.Lines().front().text, L"2");
    EXPECT_EQ(store.TakeDropped(), 2u);
    EXPECT_EQ(store.TakeDropped(), 0u);
    EXPECT_EQ(store.Rejected(), 1u);
    store.Clear();
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_EQ(store.Rejected(), 0u);
}

}  // namespace
