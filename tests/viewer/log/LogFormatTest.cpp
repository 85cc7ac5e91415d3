// The log format: its entries, the lines it refuses, its times held against
// the system's own conversions (it works out dates itself, so that it builds
// natively for fuzzing), and the replay of the log-line fuzzer's seed corpus.
#include "viewer/log/LogFormat.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TestPaths.h"
#include "tests/viewer/fuzz/LogLineProperty.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace tracing;

namespace {

// The low digits of value, as the format writes them.
std::string Digits(unsigned value, std::size_t width)
{
    std::string digits(width, '0');
    for (std::size_t at = width; at-- > 0; value /= 10) {
        digits[at] = static_cast<char>('0' + value % 10);
    }
    return digits;
}

std::string Text(const SYSTEMTIME& parts)
{
    return Digits(parts.wYear, 4) + "-" + Digits(parts.wMonth, 2) + "-" + Digits(parts.wDay, 2) + " "
        + Digits(parts.wHour, 2) + ":" + Digits(parts.wMinute, 2) + ":" + Digits(parts.wSecond, 2) + "."
        + Digits(parts.wMilliseconds, 3);
}

std::int64_t Count(const FILETIME& time)
{
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::int64_t SystemTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0, WORD ms = 0)
{
    const SYSTEMTIME parts = { year, month, 0, day, hour, minute, second, ms };
    FILETIME time = {};
    ::SystemTimeToFileTime(&parts, &time);
    return Count(time);
}

TEST(LogFormatTest, EntriesHaveSixTabSeparatedFieldsAndReadBack)
{
    const std::int64_t kTime = SystemTime(2026, 3, 4, 5, 6, 7, 89);
    const struct {
        const char* name;
        LineView line;
        std::string text;
    } rows[] = {
        { "debug output", { kTime, 1234, LineOrigin::Debug, 0, "Probedeck.exe", "", "hello" },
            "2026-03-04 05:06:07.089\t1234\tProbedeck.exe\tdebug\t\thello\r\n" },
        { "an error record, sender unknown", { kTime, 0, LineOrigin::Record, 1, "", "app", "failed" },
            "2026-03-04 05:06:07.089\t\t\terror\tapp\tfailed\r\n" },
        { "a message record", { kTime, 5, LineOrigin::Record, 3, "a.exe", "s", "m" },
            "2026-03-04 05:06:07.089\t5\ta.exe\tmessage\ts\tm\r\n" },
        { "a function record", { kTime, 5, LineOrigin::Record, 4, "a.exe", "s", "  Run - enter" },
            "2026-03-04 05:06:07.089\t5\ta.exe\tfunction\ts\t  Run - enter\r\n" },
        { "other kinds by number", { kTime, 5, LineOrigin::Record, -7, "a.exe", "", "x" },
            "2026-03-04 05:06:07.089\t5\ta.exe\t-7\t\tx\r\n" },
        { "tabs, CRs and LFs become spaces", { kTime, 5, LineOrigin::Record, 2, "a.exe", "s\tt", "a\tb\rc\nd" },
            "2026-03-04 05:06:07.089\t5\ta.exe\t2\ts t\ta b c d\r\n" },
        { "UTF-8 passes unchanged", { kTime, 5, LineOrigin::Debug, 0, "caf\xC3\xA9.exe", "", "\xE2\x82\xAC" },
            "2026-03-04 05:06:07.089\t5\tcaf\xC3\xA9.exe\tdebug\t\t\xE2\x82\xAC\r\n" },
    };
    for (const auto& row : rows) {
        std::string text;
        AppendLogLine(text, row.line);
        EXPECT_EQ(text, row.text) << row.name;

        // Read back, every field gives the same entry again.
        const auto entry = ParseLogLine(std::string_view(text).substr(0, text.size() - 2));
        ASSERT_TRUE(entry.has_value()) << row.name;
        std::string again;
        AppendLogLine(again, log_line_property::ViewOf(*entry));
        EXPECT_EQ(again, row.text) << row.name;
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

TEST(LogFormatCalendarTest, EveryTimeIsWrittenAsFileTimeToSystemTimeGivesIt)
{
    constexpr std::int64_t kMs = 10000;
    std::vector<std::int64_t> times
        = { 0, kMs - 1, 86400000 * kMs - 1, SystemTime(1700, 2, 28, 23, 59, 59, 999) + kMs,  // not a leap year
              SystemTime(2000, 2, 29, 23, 59, 59, 999), SystemTime(2000, 12, 31, 23, 59, 59, 999) + kMs,
              SystemTime(9999, 12, 31, 23, 59, 59, 999) + kMs,  // a year of five digits
              std::numeric_limits<std::int64_t>::max(), -1, std::numeric_limits<std::int64_t>::min() };
    std::mt19937_64 random(20260304);
    for (int i = 0; i < 200000; ++i) {
        // Half over every count, half over the years four digits hold.
        const auto any = static_cast<std::int64_t>(random());
        times.push_back(i % 2 == 0 ? any : (any & 0x0FFFFFFFFFFFFFFF) % SystemTime(9999, 1, 1));
    }
    for (const std::int64_t time : times) {
        const auto ticks = static_cast<std::uint64_t>(time);
        const FILETIME fileTime = { static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
        SYSTEMTIME parts = {};  // zeros where the count has no date
        ::FileTimeToSystemTime(&fileTime, &parts);
        std::string text;
        AppendTime(text, time);
        ASSERT_EQ(text, Text(parts)) << time;
    }
}

TEST(LogFormatCalendarTest, DatesReadAsSystemTimeToFileTimeTakesThem)
{
    std::mt19937 random(1601);
    const auto upTo = [&](unsigned most) { return static_cast<WORD>(random() % (most + 1)); };
    for (int i = 0; i < 100000; ++i) {
        // Each field a little beyond its range; years mostly near the first.
        const SYSTEMTIME parts = { static_cast<WORD>(i % 4 == 0 ? upTo(9999) : 1590 + upTo(820)), upTo(13), 0, upTo(32),
            upTo(24), upTo(60), upTo(60), upTo(999) };
        FILETIME time = {};
        bool valid = ::SystemTimeToFileTime(&parts, &time) != FALSE;
        // Wine takes 29 February of every year, as 1 March; Windows, and the format, only of leap years.
        const bool leap = (parts.wYear % 4 == 0 && parts.wYear % 100 != 0) || parts.wYear % 400 == 0;
        valid = valid && !(parts.wMonth == 2 && parts.wDay == 29 && !leap);
        const auto entry = ParseLogLine(Text(parts) + "\t\t\tdebug\t\t");
        ASSERT_EQ(entry.has_value(), valid) << Text(parts);
        if (valid) {
            ASSERT_EQ(entry->time, Count(time)) << Text(parts);
        }
    }
}

// The fuzzer's seed corpus, copied beside the test program at configure time.
TEST(LogFormatCalendarTest, FuzzCorpusReplays)
{
    int files = 0;
    for (const auto& item :
        std::filesystem::directory_iterator(testing_support::TestProgramFolder() + L"\\corpus\\log-line")) {
        const std::string bytes = testing_support::ReadFileBytes(item.path().wstring());
        std::int64_t time = 0;
        std::memcpy(&time, bytes.data(), std::min(bytes.size(), sizeof time));
        for (const char* broken : { log_line_property::CheckLine(bytes), log_line_property::CheckTime(time) }) {
            EXPECT_EQ(broken, nullptr) << item.path().filename().string() << ": " << (broken ? broken : "");
        }
        ++files;
    }
    EXPECT_GE(files, 10);
}

}  // namespace
