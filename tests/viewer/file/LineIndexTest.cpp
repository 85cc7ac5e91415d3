// Where lines end, found run by run, and the index that keeps them.
#include "viewer/file/LineEndScanner.h"
#include "viewer/file/LineIndex.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace tracing;

namespace {

// The plain reading of line ends, unit by unit, for comparison.
std::vector<std::uint64_t> ReferenceEnds(const std::string& bytes, TextEncoding encoding, std::uint64_t start)
{
    const std::size_t unit = UnitBytes(encoding);
    const auto at = [&](std::size_t i) -> unsigned {
        if (unit == 1) {
            return static_cast<unsigned char>(bytes[i]);
        }
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return encoding == TextEncoding::Utf16Le ? a | (b << 8) : (a << 8) | b;
    };
    std::vector<std::uint64_t> ends;
    std::size_t i = static_cast<std::size_t>(start);
    for (; i + unit <= bytes.size(); i += unit) {
        if (at(i) == '\n') {
            ends.push_back(i + unit);
        } else if (at(i) == '\r') {
            const bool lf = i + 2 * unit <= bytes.size() && at(i + unit) == '\n';
            i += lf ? unit : 0;
            ends.push_back(i + unit);
        }
    }
    const std::uint64_t last = ends.empty() ? start : ends.back();
    if (bytes.size() > last) {
        ends.push_back(bytes.size());
    }
    return ends;
}

std::vector<std::uint64_t> ScanInRuns(const std::string& bytes, TextEncoding encoding, std::uint64_t start, std::size_t run)
{
    LineEndScanner scanner(encoding, start);
    std::vector<std::uint64_t> ends;
    for (std::size_t at = static_cast<std::size_t>(start); at < bytes.size(); at += run) {
        EXPECT_EQ(scanner.Scanned(), at);
        scanner.Scan(std::string_view(bytes).substr(at, run), ends);
    }
    scanner.Finish(ends, true);
    return ends;
}

std::string Utf16(const std::u16string& text, bool little)
{
    std::string bytes;
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += little ? low : high;
        bytes += little ? high : low;
    }
    return bytes;
}

TEST(LineEndScannerTest, EveryKindOfLineEndIsFoundWhereverTheRunsAreCut)
{
    struct Row {
        const char* name;
        std::string bytes;
    };
    const std::vector<Row> rows = {
        { "LF", "one\ntwo\nthree\n" },
        { "CRLF", "one\r\ntwo\r\n\r\nfour\r\n" },
        { "CR only", "one\rtwo\r\rfour\r" },
        { "no final line end", "one\ntwo" },
        { "empty lines", "\n\n\r\n\r\r\n" },
        { "mixed", "a\r\nb\nc\rd\n\re\r\n\n" },
        { "nothing", "" },
        { "one long line", std::string(5000, 'x') },
    };
    for (const Row& row : rows) {
        const std::vector<std::uint64_t> expected = ReferenceEnds(row.bytes, TextEncoding::Bytes, 0);
        for (const std::size_t run : { std::size_t { 1 }, std::size_t { 2 }, std::size_t { 3 }, std::size_t { 17 }, row.bytes.size() + 1 }) {
            EXPECT_EQ(ScanInRuns(row.bytes, TextEncoding::Bytes, 0, run), expected) << row.name << ", runs of " << run;
        }
    }
}

TEST(LineEndScannerTest, Utf16LineEndsAreWholeUnitsEvenWhenARunCutsOneInTwo)
{
    // U+0A0D holds both line-end bytes, in the wrong places: it ends no line.
    const std::u16string text = u"first\r\nse\u0A0Dcond\n\U0001F600\rlast";
    for (const bool little : { true, false }) {
        const TextEncoding encoding = little ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
        const std::string bytes = (little ? std::string("\xFF\xFE") : std::string("\xFE\xFF")) + Utf16(text, little);
        const std::vector<std::uint64_t> expected = ReferenceEnds(bytes, encoding, 2);
        ASSERT_EQ(expected.size(), 4u);
        for (const std::size_t run : { std::size_t { 1 }, std::size_t { 3 }, std::size_t { 5 }, bytes.size() }) {
            EXPECT_EQ(ScanInRuns(bytes, encoding, 2, run), expected) << little << ", runs of " << run;
        }
    }
}

TEST(LineEndScannerTest, ACrAtTheEndOfARunWaitsForTheNextToSayWhetherItsLfFollows)
{
    LineEndScanner scanner(TextEncoding::Bytes, 0);
    std::vector<std::uint64_t> ends;
    scanner.Scan("done\npart\r", ends);
    EXPECT_EQ(ends, (std::vector<std::uint64_t> { 5 }));
    EXPECT_EQ(scanner.LineStart(), 5u);
    scanner.Scan("\nmore", ends);
    EXPECT_EQ(ends, (std::vector<std::uint64_t> { 5, 11 }));
    scanner.Finish(ends, false);
    EXPECT_EQ(ends, (std::vector<std::uint64_t> { 5, 11 })) << "a line without its end waits";
    scanner.Finish(ends, true);
    EXPECT_EQ(ends, (std::vector<std::uint64_t> { 5, 11, 15 }));
    EXPECT_FALSE(scanner.InLine());
}

TEST(LineIndexTest, LinesOfEveryLengthComeBackAsTheyWereAdded)
{
    std::mt19937_64 random(7);
    const std::vector<std::uint64_t> lengths = { 0, 1, 127, 128, 16383, 16384, 1u << 21, 5ull << 32 };
    std::vector<std::uint64_t> ends;
    LineIndex index(3);
    std::uint64_t end = 3;
    for (int i = 0; i < 20000; ++i) {
        end += i % 97 == 0 ? lengths[random() % lengths.size()] : random() % 200;
        ends.push_back(end);
        index.Add(end);
    }
    ASSERT_EQ(index.Lines(), ends.size());
    EXPECT_EQ(index.End(), end);
    for (int probe = 0; probe < 2000; ++probe) {
        const std::uint64_t line = random() % ends.size();
        const LineIndex::Span span = index.At(line);
        EXPECT_EQ(span.begin, line == 0 ? 3 : ends[line - 1]) << line;
        EXPECT_EQ(span.end, ends[line]) << line;
        if (span.end > span.begin) {
            EXPECT_EQ(index.LineAt(span.begin + (span.end - span.begin) / 2), line);
        }
    }
    std::vector<LineIndex::Span> spans;
    index.Spans(60, 300, spans);
    ASSERT_EQ(spans.size(), 300u);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        EXPECT_EQ(spans[i].end, ends[60 + i]);
    }
    index.Spans(ends.size() - 2, 10, spans);
    EXPECT_EQ(spans.size(), 2u) << "spans stop at the last line";
    // Short lines cost about a byte each, with the groups' offsets.
    EXPECT_LT(index.MemoryBytes(), 20000u * 2 + (1u << 16) * 2);
}

}  // namespace
