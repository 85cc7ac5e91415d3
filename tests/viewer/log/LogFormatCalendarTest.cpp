// The log format works out its dates itself, so that it builds natively for
// fuzzing: here its times are held against the system's own conversions, and
// the fuzzer's seed corpus is replayed.
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
