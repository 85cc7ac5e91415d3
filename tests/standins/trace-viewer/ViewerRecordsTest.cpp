#include "standins/trace-viewer/ReceivedRecord.h"
#include "standins/trace-viewer/ViewerLines.h"

#include "TempFolder.h"
#include "foundation/trace/TraceRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const TraceRecord& record)
{
    const auto* first = reinterpret_cast<const unsigned char*>(&record);
    return std::vector<unsigned char>(first, first + record.length);
}

TEST(ReceivedRecordTest, AcceptsOnlyWholeRecordsAndNeverReadsPastCbData)
{
    const TraceRecord good = TraceRecord::Fill(1, 9, 0, "app", "hello");
    std::vector<unsigned char> missingNul = Bytes(good);
    missingNul.back() = 'x';
    std::vector<unsigned char> wrongMagicField = Bytes(good);
    wrongMagicField[4] = 0;
    std::vector<unsigned char> lengthTooBig = Bytes(good);
    lengthTooBig[0] = static_cast<unsigned char>(good.length + 1);
    std::vector<unsigned char> oversized(1106, 0);
    std::memcpy(oversized.data(), &good, 81);
    oversized[0] = 0x52;  // 1106 = 0x452
    oversized[1] = 0x04;

    struct Row {
        const char* name;
        ULONG_PTR dwData;
        std::vector<unsigned char> bytes;
        DWORD cbData;
        bool accepted;
    };
    const std::vector<Row> rows = {
        {"valid", TraceRecord::kMagic, Bytes(good), good.length, true},
        {"short cbData", TraceRecord::kMagic, Bytes(good), 81, false},
        {"too long", TraceRecord::kMagic, oversized, 1106, false},
        {"wrong dwData", 0x12345678, Bytes(good), good.length, false},
        {"wrong magic field", TraceRecord::kMagic, wrongMagicField, good.length, false},
        {"length says more", TraceRecord::kMagic, lengthTooBig, good.length, false},
        {"cbData says less", TraceRecord::kMagic, Bytes(good), good.length - 1, false},
        {"missing NUL", TraceRecord::kMagic, missingNul, good.length, false},
    };
    for (const Row& row : rows) {
        // An exact-size copy lets the checker trip over any read past cbData.
        std::vector<unsigned char> exact(row.bytes.begin(), row.bytes.begin() + std::min<std::size_t>(row.cbData, row.bytes.size()));
        EXPECT_EQ(CheckRecord(row.dwData, row.cbData, exact.data()).has_value(), row.accepted) << row.name;
    }
    EXPECT_FALSE(CheckRecord(TraceRecord::kMagic, good.length, nullptr).has_value());

    const auto record = CheckRecord(TraceRecord::kMagic, good.length, &good);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->kind, 1);
    EXPECT_EQ(record->tag, 9u);
    EXPECT_EQ(record->source, "app");
    EXPECT_EQ(record->text, "hello");
}

TEST(ReceivedRecordTest, SourceWithoutNulStopsAtItsSixtyFourBytes)
{
    TraceRecord record = TraceRecord::Fill(3, 0, 0, nullptr, "text");
    std::memset(record.source, 'z', sizeof record.source);
    const auto received = CheckRecord(TraceRecord::kMagic, record.length, &record);
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->source, std::string(64, 'z'));
    EXPECT_EQ(received->text, "text");
}

ViewerLine Line(const wchar_t* source, const wchar_t* text, std::int32_t kind = 3)
{
    ViewerLine line;
    line.received.wHour = 9;
    line.received.wMinute = 5;
    line.received.wSecond = 7;
    line.received.wMilliseconds = 42;
    line.process = 1234;
    line.kind = kind;
    line.source = source;
    line.text = text;
    return line;
}

TEST(ViewerLinesTest, SavedFileIsUtf8WithTabSeparatedColumns)
{
    std::deque<ViewerLine> lines = {Line(L"app", L"caf\u00e9", 1), Line(L"", L"second", 7)};
    testing_support::TempFolder folder(L"viewer");
    const std::wstring path = folder.File(L"saved.txt");
    ASSERT_TRUE(SaveLines(path, lines, {0, 1, 5}));
    std::ifstream file(path.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "09:05:07.042\t1234\terror\tapp\tcaf\xC3\xA9\r\n"
                     "09:05:07.042\t1234\t7\t\tsecond\r\n");
    EXPECT_FALSE(SaveLines(folder.File(L"no such folder\\saved.txt"), lines, {0}));
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
