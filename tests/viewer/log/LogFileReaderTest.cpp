// Reading a saved log back: how file contents become lines, what is refused,
// and what a file without line ends or a cancel costs.
#include "viewer/log/LogFileReader.h"
#include "viewer/log/LogFormat.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <atomic>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

using namespace tracing;

namespace {

constexpr std::int64_t kTime = 133000000000000000;

// An entry in the log format, without its line end.
std::string Entry(const std::string& text, std::int64_t time = kTime)
{
    std::string line;
    AppendLogLine(line, { time, 12, LineOrigin::Debug, 0, "a.exe", "", text });
    return line.substr(0, line.size() - 2);
}

// The lines taken: "text" for an entry, "?text" for a line out of the format.
struct ReadBack {
    LogReadResult result;
    std::vector<std::string> lines;
    std::vector<std::int64_t> times;
};

ReadBack ReadAll(const std::wstring& path, LogFileReader& reader)
{
    ReadBack read;
    read.result = reader.Read(path, [&](const LineView& line) {
        read.lines.push_back((line.pid != 0 ? "" : "?") + std::string(line.text));
        read.times.push_back(line.time);
    });
    return read;
}

TEST(LogFileReaderTest, ContentsBecomeLinesWhateverTheirLineEnds)
{
    const std::string bom = "\xEF\xBB\xBF";
    const std::string longText(LogFileReader::kMaxLineBytes + 10, 'x');
    const std::string longest(LineStore::kMaxTextBytes, 't');
    const std::size_t fields = Entry("").size();
    const struct {
        const char* name;
        std::string content;
        std::vector<std::string> lines;
        std::uint64_t malformed, cut;
    } rows[] = {
        { "CRLF", Entry("a") + "\r\n" + Entry("b") + "\r\n", { "a", "b" }, 0, 0 },
        { "mixed, no final line end", "w\r\nx\ny\rz", { "?w", "?x", "?y", "?z" }, 4, 0 },
        { "CR, then CR LF", "x\r\r\ny", { "?x", "?", "?y" }, 3, 0 },
        { "empty lines are lines", "x\n\n\ny\n", { "?x", "?", "?", "?y" }, 4, 0 },
        { "a byte-order mark at the start", bom + Entry("a") + "\r\n", { "a" }, 0, 0 },
        { "a byte-order mark later is text", Entry("a") + "\r\n" + bom + "b", { "a", "?" + bom + "b" }, 1, 0 },
        { "a byte-order mark alone", bom, {}, 0, 0 },
        { "empty", "", {}, 0, 0 },
        { "an overlong line", longText + "\r\n" + Entry("b"),
            { "?" + longText.substr(0, LogFileReader::kMaxLineBytes), "b" }, 1, 1 },
        { "an overlong entry keeps its fields", Entry(longText) + "\n",
            { longText.substr(0, LogFileReader::kMaxLineBytes - fields) }, 0, 1 },
        { "the longest text the store keeps reads back whole", Entry(longest) + "\r\n", { longest }, 0, 0 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::TempFolder folder(L"viewer");
        LogFileReader reader;
        const ReadBack read = ReadAll(folder.WriteFile(L"saved.log", row.content), reader);
        EXPECT_EQ(read.result.error, 0u);
        EXPECT_EQ(read.lines, row.lines);
        EXPECT_EQ(read.result.lines, row.lines.size());
        EXPECT_EQ(read.result.malformed, row.malformed);
        EXPECT_EQ(read.result.cut, row.cut);
        EXPECT_EQ(reader.BytesRead(), row.content.size());
        EXPECT_EQ(reader.TotalBytes(), row.content.size());
    }
}

TEST(LogFileReaderTest, LinesAcrossChunksAreJoinedAndACrLfSplitByThemEndsOneLine)
{
    static_assert(LogFileReader::kChunkBytes == 1024 * 1024);
    // 1023 lines of 1024 bytes, then a line whose CR is the first chunk's last byte.
    std::string content;
    for (int i = 0; i < 1023; ++i) {
        content += std::string(1023, 'x') + "\n";
    }
    content += std::string(1023, 'y') + "\r\n" + std::string(100, 'z') + "\n";
    // Short lines up to 50 bytes before the second chunk's end, then a line across it.
    const std::size_t shortLines = (2 * LogFileReader::kChunkBytes - content.size() - 50) / 2;
    for (std::size_t i = 0; i < shortLines; ++i) {
        content += "w\n";
    }
    content += std::string(100, 'v') + "\n";

    testing_support::TempFolder folder(L"viewer");
    LogFileReader reader;
    const ReadBack read = ReadAll(folder.WriteFile(L"chunks.log", content), reader);
    ASSERT_EQ(read.lines.size(), 1023 + 2 + shortLines + 1);
    EXPECT_EQ(read.lines[1023], "?" + std::string(1023, 'y'));
    EXPECT_EQ(read.lines[1024], "?" + std::string(100, 'z'));
    EXPECT_EQ(read.lines.back(), "?" + std::string(100, 'v'));
}

TEST(LogFileReaderTest, LinesOutOfTheFormatTakeTheTimeOfTheLineBefore)
{
    testing_support::TempFolder folder(L"viewer");
    const std::string content = "first\r\n" + Entry("a") + "\r\nloose\r\n" + Entry("b", kTime + 10000) + "\r\n";
    LogFileReader reader;
    const ReadBack read = ReadAll(folder.WriteFile(L"times.log", content), reader);
    EXPECT_EQ(read.lines, (std::vector<std::string> { "?first", "a", "?loose", "b" }));
    EXPECT_EQ(read.times, (std::vector<std::int64_t> { 0, kTime, kTime, kTime + 10000 }));
}

TEST(LogFileReaderTest, DevicesAndPipesAreRefusedAtOnce)
{
    // A pipe whose server never writes: reading it would wait for ever.
    const std::wstring pipe = L"\\\\.\\pipe\\probedeck-reader-" + std::to_wstring(::GetCurrentProcessId());
    const resources::UniqueFileHandle server(
        ::CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(server);
    // CONIN$ opens only where there is a console; either way it is not read.
    for (const std::wstring& path : { std::wstring(L"NUL"), pipe, std::wstring(L"CONIN$") }) {
        LogFileReader reader;
        const ULONGLONG start = ::GetTickCount64();
        const ReadBack read = ReadAll(path, reader);
        EXPECT_LT(::GetTickCount64() - start, 1000u) << path;
        EXPECT_TRUE(read.result.error == ERROR_BAD_FILE_TYPE || (path == L"CONIN$" && read.result.error != 0))
            << path << ": " << read.result.error;
        EXPECT_TRUE(read.lines.empty()) << path;
    }
}

std::size_t MemoryInUse()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

TEST(LogFileReaderTest, AFileWithoutLineEndsIsReadInBoundedMemoryAndTime)
{
    const std::size_t bytes = std::size_t { 64 } << 20;
    testing_support::TempFolder folder(L"viewer");
    const std::wstring path = folder.WriteFile(L"one-line.log", std::string(bytes, 'x'));

    const std::size_t before = MemoryInUse();
    std::atomic<std::size_t> most { before };
    std::atomic<bool> reading { true };
    std::thread sampler([&] {
        for (; reading; ::Sleep(5)) {
            most = std::max<std::size_t>(most, MemoryInUse());
        }
    });
    LogFileReader reader;
    const ULONGLONG start = ::GetTickCount64();
    const ReadBack read = ReadAll(path, reader);
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    reading = false;
    sampler.join();

    std::cout << "[ figure ] " << (bytes >> 20) << " MB without a line end read in " << elapsed << " ms, "
              << ((most - before) >> 10) << " KB more memory at most\n";
    EXPECT_EQ(read.lines, std::vector<std::string> { "?" + std::string(LogFileReader::kMaxLineBytes, 'x') });
    EXPECT_EQ(read.result.cut, 1u);
    EXPECT_EQ(reader.BytesRead(), bytes);
    EXPECT_LT(most - before, std::size_t { 16 } << 20);
    // Over 100 MB a second, even in the debug build under Wine.
    EXPECT_LT(elapsed, 1000 + bytes / (100 << 10));
}

TEST(LogFileReaderTest, ACancelFromAnotherThreadEndsTheReadSoonAndLaterReadsAtOnce)
{
    testing_support::TempFolder folder(L"viewer");
    std::string content;
    for (int i = 0; i < 100000; ++i) {
        content += Entry(std::to_string(i)) + "\r\n";
    }
    const std::wstring path = folder.WriteFile(L"long.log", content);

    // The first line holds the read until the cancel.
    LogFileReader reader;
    const resources::UniqueHandle started(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const resources::UniqueHandle cancelled(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    LogReadResult result;
    ULONGLONG returned = 0;
    std::thread worker([&] {
        result = reader.Read(path, [&](const LineView&) {
            ::SetEvent(started.get());
            ::WaitForSingleObject(cancelled.get(), 5000);
        });
        returned = ::GetTickCount64();
    });
    EXPECT_EQ(::WaitForSingleObject(started.get(), 5000), WAIT_OBJECT_0);
    reader.Cancel();
    const ULONGLONG cancelledAt = ::GetTickCount64();
    ::SetEvent(cancelled.get());
    worker.join();

    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(result.lines, 100000u);
    EXPECT_LT(reader.BytesRead(), reader.TotalBytes());
    EXPECT_LT(returned - cancelledAt, 2000u) << "a loaded machine is slow, but not this slow";
    const LogReadResult again = reader.Read(path, [&](const LineView&) { ADD_FAILURE() << "read after a cancel"; });
    EXPECT_TRUE(again.cancelled);
}

}  // namespace
