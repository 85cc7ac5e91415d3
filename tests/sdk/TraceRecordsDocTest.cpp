// docs/trace-records.md against the library: the field table, the kinds and
// the numbers its prose states. Writers outside the library build records
// from the document alone, so it must not drift from the code.
#include "foundation/trace/TraceInternals.h"
#include "foundation/trace/TraceProtocol.h"
#include "foundation/trace/TraceRecord.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Row = std::map<std::string, std::string>;  // each cell by its column's header

// The cells of a markdown table line ("| a | b |"), trimmed of spaces and
// backticks; none for a line that is not a table line.
std::vector<std::string> Cells(const std::string& line)
{
    std::vector<std::string> cells;
    if (!line.starts_with('|')) {
        return cells;
    }
    for (std::size_t at = 1, bar = line.find('|', at); bar != std::string::npos;
         at = bar + 1, bar = line.find('|', at)) {
        const std::size_t first = line.find_first_not_of(" `", at);
        const std::size_t last = line.find_last_not_of(" `", bar - 1);
        cells.push_back(first < bar && last >= first ? line.substr(first, last - first + 1) : std::string());
    }
    return cells;
}

// The rows of the first table whose header has every one of columns.
std::vector<Row> TableRows(const std::string& document, const std::vector<std::string>& columns)
{
    std::istringstream lines(document);
    std::vector<std::string> header;
    std::vector<Row> rows;
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> cells = Cells(line);
        if (header.empty()) {
            if (std::ranges::all_of(
                    columns, [&](const std::string& name) { return std::ranges::count(cells, name) == 1; })) {
                header = cells;
            }
        } else if (cells.empty()) {
            break;
        } else if (line.find("---") == std::string::npos) {
            Row& row = rows.emplace_back();
            for (std::size_t i = 0; i < header.size() && i < cells.size(); ++i) {
                row[header[i]] = cells[i];
            }
        }
    }
    return rows;
}

// A number cell; -1 when it is not a whole decimal number.
long long Number(const std::string& cell)
{
    return !cell.empty() && cell.size() < 10 && cell.find_first_not_of("0123456789") == std::string::npos
        ? std::stoll(cell)
        : -1;
}

std::string DocumentBytes()
{
    return testing_support::ReadFileBytes(testing_support::TestFile(L"trace-records.md"));
}

// The document with every run of spaces and line ends made one space, so that
// a phrase is found however the prose is wrapped.
std::string Prose()
{
    std::string collapsed;
    for (const char c : DocumentBytes()) {
        const bool space = c == ' ' || c == '\n' || c == '\r';
        if (!space || (!collapsed.empty() && collapsed.back() != ' ')) {
            collapsed += space ? ' ' : c;
        }
    }
    return collapsed;
}

TEST(TraceRecordsDocTest, FieldTableGivesEachFieldsOffsetAndSizeAndTheWholeRecord)
{
    using Field = std::tuple<std::string, long long, long long>;
    std::vector<Field> documented;
    for (Row& row : TableRows(DocumentBytes(), { "Offset", "Size", "Field" })) {
        documented.emplace_back(row["Field"], Number(row["Offset"]), Number(row["Size"]));
    }
    ASSERT_FALSE(documented.empty()) << "no table with Offset, Size and Field columns in trace-records.md";
    const auto field = [](const char* name, std::size_t offset, std::size_t size) {
        return Field { name, static_cast<long long>(offset), static_cast<long long>(size) };
    };
    EXPECT_EQ(documented,
        (std::vector<Field> {
            field("length", offsetof(TraceRecord, length), sizeof(TraceRecord::length)),
            field("magic", offsetof(TraceRecord, magic), sizeof(TraceRecord::magic)),
            field("kind", offsetof(TraceRecord, kind), sizeof(TraceRecord::kind)),
            field("tag", offsetof(TraceRecord, tag), sizeof(TraceRecord::tag)),
            field("flag", offsetof(TraceRecord, flag), sizeof(TraceRecord::flag)),
            field("source", offsetof(TraceRecord, source), sizeof(TraceRecord::source)),
            field("text", offsetof(TraceRecord, text), sizeof(TraceRecord::text)),
        }));

    // The fields fill the record with no gap and nothing after them.
    long long end = 0;
    for (const auto& [name, offset, size] : documented) {
        EXPECT_EQ(offset, end) << name << " does not start where the field before it ends";
        end = offset + size;
    }
    EXPECT_EQ(end, static_cast<long long>(sizeof(TraceRecord)));
    const std::string total = "The whole record is " + std::to_string(sizeof(TraceRecord))
        + " bytes; the header before the text is " + std::to_string(TraceRecord::kHeaderSize) + ".";
    EXPECT_NE(Prose().find(total), std::string::npos) << "not stated: " << total;
}

TEST(TraceRecordsDocTest, KindsTableGivesTheLibrarysValues)
{
    std::vector<std::pair<std::string, long long>> documented;
    for (Row& row : TableRows(DocumentBytes(), { "Kind", "Value" })) {
        documented.emplace_back(row["Kind"], Number(row["Value"]));
    }
    EXPECT_EQ(documented,
        (std::vector<std::pair<std::string, long long>> { { "error", UTrace::kTraceError },
            { "message", UTrace::kTraceMessage }, { "function", UTrace::kTraceFunction } }));
}

// Each name and number the prose states, as the library has it.
TEST(TraceRecordsDocTest, ProseStatesTheLibrarysClassMagicLimitsAndTimes)
{
    const std::string document = Prose();
    ASSERT_FALSE(document.empty()) << "trace-records.md is not beside the test program";
    char magic[16];
    std::snprintf(magic, sizeof magic, "`0x%08X`", static_cast<unsigned>(TraceRecord::kMagic));
    std::string viewerClass = "`";
    for (const wchar_t* c = UTrace::kViewerClass; *c != L'\0'; ++c) {
        viewerClass += static_cast<char>(*c);
    }
    viewerClass += "`";
    const std::string lengths
        = std::to_string(TraceRecord::kMinLength) + " to " + std::to_string(TraceRecord::kMaxLength);
    const std::string timeout = std::to_string(UTrace::kDeliveryTimeoutMs);
    for (const std::string& stated : {
             viewerClass,
             std::string(magic),
             "| `cbData` | the record's `length`: " + lengths + " |",
             "`cbData` is " + lengths,
             "at most " + std::to_string(TraceRecord::kSourceSize - 1) + " bytes, the rest of the "
                 + std::to_string(TraceRecord::kSourceSize) + " zero",
             "at most " + std::to_string(TraceRecord::kTextSize - 1) + " bytes and a NUL",
             "SMTO_NORMAL | SMTO_ABORTIFHUNG, " + timeout + ", &answer)",
             "at most " + timeout + " ms",
             "at most once every " + std::to_string(UTrace::kViewerLookupIntervalMs) + " ms",
         }) {
        EXPECT_NE(document.find(stated), std::string::npos) << "not stated: " << stated;
    }
}

}  // namespace
