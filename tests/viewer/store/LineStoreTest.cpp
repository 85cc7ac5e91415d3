#include "viewer/store/LineStore.h"
#include "viewer/store/LineSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace tracing;

namespace {

LineView Line(
    std::int64_t time, std::string_view text, std::string_view process = "app.exe", std::string_view source = "")
{
    const bool debug = source.empty();
    return { time, static_cast<std::uint32_t>(time) + 100, debug ? LineOrigin::Debug : LineOrigin::Record,
        debug ? 0 : 3, process, source, text };
}

std::vector<std::string> Texts(const LineStore& store)
{
    std::vector<std::string> texts;
    for (std::uint64_t sequence = store.First(); sequence < store.End(); ++sequence) {
        texts.emplace_back(store.Text(store.Record(sequence)));
    }
    return texts;
}

LineView Held(const LineStore& store, std::uint64_t sequence)
{
    return store.Line(store.Record(sequence));
}

TEST(LineStoreTest, KeepsEveryFieldAndCutsOverlongTextsAtACharacterBoundary)
{
    LineStore store(10);
    // "é" is two bytes: the cut may not fall between them.
    const std::string text = std::string(LineStore::kMaxTextBytes - 1, 'x') + "\xC3\xA9";
    const std::string source = std::string(LineStore::kMaxSourceBytes - 1, 's') + "\xC3\xA9";
    store.Add(Line(1, "first", "one.exe", "src"));
    store.Add(Line(2, "", "", ""));
    store.Add(Line(3, text, "one.exe", source));
    ASSERT_EQ(store.Size(), 3u);
    const LineView first = Held(store, 0);
    EXPECT_EQ(std::tie(first.time, first.pid, first.origin, first.kind, first.process, first.source, first.text),
        std::make_tuple(std::int64_t { 1 }, 101u, LineOrigin::Record, 3, std::string_view("one.exe"),
            std::string_view("src"), std::string_view("first")));
    EXPECT_EQ(Held(store, 1).process, "");
    EXPECT_EQ(Held(store, 1).text, "");
    EXPECT_EQ(Held(store, 2).text, text.substr(0, LineStore::kMaxTextBytes - 1));
    EXPECT_EQ(Held(store, 2).source, source.substr(0, LineStore::kMaxSourceBytes - 1));
    // A program's name is kept once, however many lines carry it.
    EXPECT_EQ(store.Record(0).process, store.Record(2).process);
    EXPECT_EQ(store.Find(3), nullptr);
}

// Whole-line searches read textsHoldTab to skip looking for tabs in fields:
// a tab missed anywhere the line keeps would lose matches.
TEST(LineStoreTest, KnowsWhichLinesHoldATabInTheTextsTheyKeep)
{
    const std::string longSource = std::string(LineStore::kMaxSourceBytes, 's');
    const std::string longText = std::string(LineStore::kMaxTextBytes, 'x');
    const struct {
        std::string process;
        std::string source;
        std::string text;
        bool holdsTab;
    } rows[] = {
        { "app.exe", "src", "plain text", false }, { "", "", "", false }, { "a\tb.exe", "src", "text", true },
        { "app.exe", "\t", "text", true }, { "app.exe", "src", "text ends in a tab\t", true },
        { "app.exe", longSource, longText + "\t", false },  // the tab is cut off
        { "app.exe", longSource + "\t", "x", false },
        { "app.exe", longSource, longText.substr(1) + "\t", true },  // the last byte kept
    };
    LineStore store(3);
    for (const auto& row : rows) {
        store.Add({ .pid = 1, .process = row.process, .source = row.source, .text = row.text });
        const LineRecord& record = store.Record(store.End() - 1);
        EXPECT_EQ(record.textsHoldTab, row.holdsTab)
            << row.process << "|" << row.source.size() << "|" << row.text.size();
        EXPECT_EQ(store.Line(record).textsHoldTab, row.holdsTab);
    }
}

TEST(LineStoreTest, DropsTheOldestBeyondCapacityAndCountsThem)
{
    LineStore store(3);
    for (int i = 0; i < 5; ++i) {
        store.Add(Line(i, std::to_string(i)));
    }
    EXPECT_EQ(Texts(store), (std::vector<std::string> { "2", "3", "4" }));
    EXPECT_EQ(store.First(), 2u);  // the dropped count
    EXPECT_EQ(store.Find(1), nullptr);
    store.SetCapacity(1, LineStore::kDefaultCapacityBytes);
    EXPECT_EQ(Texts(store), (std::vector<std::string> { "4" }));
    EXPECT_EQ(store.First(), 4u);
    store.Clear();
    EXPECT_EQ(std::make_tuple(store.First(), store.Size(), store.HeldBytes()), std::make_tuple(0ull, 0ull, 0ull));
    store.Add(Line(9, "after clear"));
    EXPECT_EQ(Texts(store), (std::vector<std::string> { "after clear" }));
}

TEST(LineStoreTest, TheByteBoundDropsTheOldestWhateverTheLineCountAndHeldTextsStayIntact)
{
    // Lines of 30 KB: a million of them would not fit a 32-bit process. They
    // fill a block in a few dozen lines, so the ring wraps over many blocks.
    LineStore store(1000000, LineStore::kMinCapacityBytes);
    const auto textOf = [](int i) { return std::string(30000 + i % 7, static_cast<char>('a' + i % 26)); };
    for (int i = 0; i < 1000; ++i) {
        store.Add(Line(i, textOf(i), "p" + std::to_string(i % 3) + ".exe", "s"));
    }
    const std::size_t mostCost = textOf(6).size() + 1 + sizeof(LineRecord);
    EXPECT_LE(store.HeldBytes(), LineStore::kMinCapacityBytes);
    EXPECT_GE(store.HeldBytes(), LineStore::kMinCapacityBytes - mostCost);
    EXPECT_EQ(store.End(), 1000u);
    for (std::uint64_t sequence = store.First(); sequence < store.End(); ++sequence) {
        const int n = static_cast<int>(sequence);
        const LineView line = Held(store, sequence);
        ASSERT_EQ(line.text, textOf(n)) << n;
        ASSERT_EQ(line.source, "s") << n;
        ASSERT_EQ(line.process, "p" + std::to_string(n % 3) + ".exe") << n;
    }
}

}  // namespace

namespace {

// Lines made up on asking, as a file would give them: line n's text is
// "line n" followed by textBytes - 6 bytes or so, its time n.
class MadeUpLines final : public LineSource {
public:
    explicit MadeUpLines(std::size_t textBytes = 0)
        : mTextBytes(textBytes)
    {
    }
    void Read(std::uint64_t first, std::size_t count, const std::function<void(const LineView&)>& take) override
    {
        ++reads;
        for (std::uint64_t line = first; line < first + count; ++line) {
            std::string text = "line " + std::to_string(line);
            text.resize(std::max(text.size(), mTextBytes), '.');
            take(Line(static_cast<std::int64_t>(line), text, line % 2 == 0 ? "even.exe" : "odd.exe", "src"));
        }
    }
    int reads = 0;

private:
    std::size_t mTextBytes;
};

TEST(LineStoreTest, ASourcesLinesAreReadAPageAtATimeOnceAdmittedAndKeptForTheNextLook)
{
    LineStore store;
    const auto source = std::make_shared<MadeUpLines>();
    store.Attach(source);
    EXPECT_EQ(store.Find(0), nullptr) << "nothing is held before it is admitted";
    store.Admit(1000);
    EXPECT_EQ(std::make_tuple(store.First(), store.End()), std::make_tuple(0ull, 1000ull));
    for (std::uint64_t line = 0; line < 1000; ++line) {
        const LineView held = Held(store, line);
        ASSERT_EQ(held.text, "line " + std::to_string(line));
        ASSERT_EQ(held.process, line % 2 == 0 ? "even.exe" : "odd.exe");
        ASSERT_EQ(held.time, static_cast<std::int64_t>(line));
    }
    const int reads = source->reads;
    EXPECT_EQ(reads, static_cast<int>((1000 + LineStore::kPageLines - 1) / LineStore::kPageLines));
    EXPECT_EQ(store.Text(store.Record(3)), "line 3") << "a kept page is not read again";
    EXPECT_EQ(source->reads, reads);

    // A page read before more lines were admitted is read again for them.
    store.Admit(1100);
    EXPECT_EQ(store.Text(store.Record(1050)), "line 1050");
    EXPECT_EQ(store.Text(store.Record(999)), "line 999");

    // Clearing lets go of the lines admitted so far; later ones are held.
    store.Clear();
    EXPECT_EQ(std::make_tuple(store.First(), store.Size()), std::make_tuple(1100ull, 0ull));
    store.Admit(1200);
    EXPECT_EQ(store.Text(store.Record(1100)), "line 1100");
    EXPECT_EQ(store.Find(5), nullptr);

    // Back in memory, the sequence starts again.
    store.Attach(nullptr);
    store.Add(Line(1, "kept"));
    EXPECT_EQ(Texts(store), std::vector<std::string> { "kept" });
}

TEST(LineStoreTest, PagesOfVeryLongLinesCostABoundedMemory)
{
    LineStore store;
    store.Attach(std::make_shared<MadeUpLines>(LineStore::kMaxTextBytes));
    store.Admit(LineStore::kPageLines * 12);
    for (std::uint64_t line = 0; line < store.End(); line += 97) {
        ASSERT_EQ(store.Text(store.Record(line)).size(), LineStore::kMaxTextBytes);
        // A page is about 16 MB here: the latest few stay, the rest go.
        ASSERT_LE(store.HeldBytes(), LineStore::kKeptPageBytes + 2 * LineStore::kPageLines * (LineStore::kMaxTextBytes + 300));
    }
}

}  // namespace
