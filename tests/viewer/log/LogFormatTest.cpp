#include "viewer/log/LogFormat.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::int64_t FileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms)
{
    const SYSTEMTIME parts = { year, month, 0, day, hour, minute, second, ms };
    FILETIME time;
    ::SystemTimeToFileTime(&parts, &time);
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

LineView Line(LineOrigin origin, std::int32_t kind, std::uint32_t pid, std::string_view process,
    std::string_view source, std::string_view text)
{
    return { FileTimeOf(2026, 3, 4, 5, 6, 7, 89), pid, origin, kind, process, source, text };
}

TEST(LogFormatTest, EntriesHaveSixTabSeparatedFieldsAndReadBack)
{
    const struct {
        const char* name;
        LineView line;
        std::string text;
    } rows[] = {
        { "debug output", Line(LineOrigin::Debug, 0, 1234, "Probedeck.exe", "", "hello"),
            "2026-03-04 05:06:07.089\t1234\tProbedeck.exe\tdebug\t\thello\r\n" },
        { "an error record, sender unknown", Line(LineOrigin::Record, 1, 0, "", "app", "failed"),
            "2026-03-04 05:06:07.089\t\t\terror\tapp\tfailed\r\n" },
        { "a message record", Line(LineOrigin::Record, 3, 5, "a.exe", "s", "m"),
            "2026-03-04 05:06:07.089\t5\ta.exe\tmessage\ts\tm\r\n" },
        { "a function record", Line(LineOrigin::Record, 4, 5, "a.exe", "s", "  Run - enter"),
            "2026-03-04 05:06:07.089\t5\ta.exe\tfunction\ts\t  Run - enter\r\n" },
        { "other kinds by number", Line(LineOrigin::Record, -7, 5, "a.exe", "", "x"),
            "2026-03-04 05:06:07.089\t5\ta.exe\t-7\t\tx\r\n" },
        { "tabs, CRs and LFs become spaces", Line(LineOrigin::Record, 2, 5, "a.exe", "s\tt", "a\tb\rc\nd"),
            "2026-03-04 05:06:07.089\t5\ta.exe\t2\ts t\ta b c d\r\n" },
        { "UTF-8 passes unchanged", Line(LineOrigin::Debug, 0, 5, "caf\xC3\xA9.exe", "", "\xE2\x82\xAC"),
            "2026-03-04 05:06:07.089\t5\tcaf\xC3\xA9.exe\tdebug\t\t\xE2\x82\xAC\r\n" },
    };
    for (const auto& row : rows) {
        std::string text;
        AppendLogLine(text, row.line);
        EXPECT_EQ(text, row.text) << row.name;

        const auto entry = ParseLogLine(std::string_view(text).substr(0, text.size() - 2));
        ASSERT_TRUE(entry.has_value()) << row.name;
        EXPECT_EQ(entry->time, row.line.time) << row.name;
        EXPECT_EQ(entry->pid, row.line.pid) << row.name;
        EXPECT_EQ(entry->origin, row.line.origin) << row.name;
        EXPECT_EQ(entry->kind, row.line.kind) << row.name;
        EXPECT_EQ(entry->process, row.line.process) << row.name;
    }
}

TEST(LogFormatTest, LinesOutOfShapeAreNotEntries)
{
    const char* rows[] = {
        "",
        "2026-03-04 05:06:07.089\t1\ta.exe\tdebug\t",  // five fields
        "2026-03-04 05:06:07\t1\ta.exe\tdebug\t\tx",  // no milliseconds
        "2026-13-04 05:06:07.089\t1\ta.exe\tdebug\t\tx",  // no such month
        "2026-03-04 05:06:07.089\tx1\ta.exe\tdebug\t\tx",  // pid not a number
        "2026-03-04 05:06:07.089\t99999999999\ta.exe\tdebug\t\tx",  // pid too large
        "2026-03-04 05:06:07.089\t1\ta.exe\twarning\t\tx",  // unknown kind name
    };
    for (const char* row : rows) {
        EXPECT_FALSE(ParseLogLine(row).has_value()) << row;
    }
    // The text is the rest of the line, whatever it holds.
    const auto entry = ParseLogLine("2026-03-04 05:06:07.089\t\t\tdebug\t\ta\tb");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->text, "a\tb");
}

}  // namespace
