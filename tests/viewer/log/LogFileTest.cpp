// The log's files, in this process: rotation when a file of the chain is held
// open, failed writes, lines that wait for a log that cannot be written, and
// Save's replacing of a file, which leaves the old one until the new is whole.
#include "viewer/log/LogFile.h"
#include "viewer/log/LogFormat.h"
#include "viewer/log/LogWriter.h"
#include "viewer/log/SaveFile.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace tracing;

namespace {

using testing_support::ReadFileBytes;

std::ptrdiff_t FileCount(const std::wstring& folder)
{
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

constexpr int kKept = LogFile::kKeptFiles;

// The log (number 0) and its kept files, as their contents.
std::vector<std::string> Chain(const std::wstring& log, int last = kKept)
{
    std::vector<std::string> chain;
    for (int number = 0; number <= last; ++number) {
        chain.push_back(ReadFileBytes(number == 0 ? log : log + L"." + std::to_wstring(number)));
    }
    return chain;
}

// A log at its limit (numbers 1 to files - 1 "file N").
std::wstring MakeChain(const testing_support::TempFolder& folder, const std::string& log, int files)
{
    for (int number = 1; number < files; ++number) {
        folder.WriteFile(L"trace.log." + std::to_wstring(number), "file " + std::to_string(number) + "\r\n");
    }
    return folder.WriteFile(L"trace.log", log);
}

TEST(LogFileTest, AFileOfTheChainHeldOpenPutsOffRotationWithoutLosingALineOrAKeptFile)
{
    const std::string full(98, 'f');
    for (int held = 0; held <= kKept; ++held) {
        SCOPED_TRACE("held: " + std::to_string(held));
        testing_support::TempFolder folder(L"viewer");
        // Two files left beyond the kept ones move with the chain, and go after it.
        const std::wstring log = MakeChain(folder, full + "\r\n", kKept + 3);
        const std::vector<std::string> before = Chain(log);
        // Another program reads it, sharing reading and writing but not deletion.
        resources::UniqueFileHandle holder(::CreateFileW((held == 0 ? log : log + L"." + std::to_wstring(held)).c_str(),
            GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);

        LogFile file(log, 100);
        EXPECT_EQ(file.Append("A\r\n", 0), 3u);
        EXPECT_EQ(file.RotateError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        std::vector<std::string> expected = before;
        expected[0] += "A\r\n";
        EXPECT_EQ(Chain(log), expected);

        // Released, the chain moves at the next try, not before.
        holder.reset();
        EXPECT_EQ(file.Append("B\r\n", LogFile::kRotateRetryMs - 1), 3u);
        EXPECT_TRUE(file.OverLimit());
        EXPECT_EQ(file.Append("C\r\n", LogFile::kRotateRetryMs), 3u);
        EXPECT_FALSE(file.OverLimit());
        std::vector<std::string> moved = { "C\r\n", expected[0] + "B\r\n" };
        moved.insert(moved.end(), before.begin() + 1, before.end() - 1);
        moved.push_back("");  // the oldest went
        EXPECT_EQ(Chain(log, kKept + 1), moved);
        EXPECT_EQ(FileCount(folder.path()), kKept + 1);
    }
}

TEST(LogFileTest, AWriteThatFailsHalfwayIsCutBackOffAndItsLinesWrittenWhole)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring log = folder.WriteFile(L"full.log", "before\r\n");
    bool diskFull = true;
    // Half of the bytes reach the file, then the disk is full.
    LogFile file(log, LogWriter::kDefaultLimitBytes, [&](HANDLE handle, std::string_view bytes) {
        if (!diskFull) {
            return WriteAllBytes(handle, bytes);
        }
        DWORD written = 0;
        ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size() / 2), &written, nullptr);
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    });
    const std::string lines = "first line\r\nsecond line\r\n";
    EXPECT_EQ(file.Append(lines, 0), 0u);
    EXPECT_EQ(file.Error(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(ReadFileBytes(log), "before\r\n");

    diskFull = false;
    EXPECT_EQ(file.Append(lines, 1), lines.size());
    EXPECT_EQ(file.Error(), 0u);
    EXPECT_EQ(ReadFileBytes(log), "before\r\n" + lines);
}

TEST(LogFileTest, TextLeftWithoutItsLineEndIsEndedBeforeTheNextEntry)
{
    const struct {
        const char *before, *after;
    } rows[] = {
        { "", "next\r\n" },
        { "whole\r\n", "whole\r\nnext\r\n" },
        { "whole\n", "whole\nnext\r\n" },
        { "torn", "torn\r\nnext\r\n" },
        { "torn\r", "torn\r\nnext\r\n" },
    };
    for (const auto& row : rows) {
        testing_support::TempFolder folder(L"viewer");
        const std::wstring log = folder.WriteFile(L"torn.log", row.before);
        LogFile file(log, LogWriter::kDefaultLimitBytes);
        EXPECT_EQ(file.Append("next\r\n", 0), 6u) << row.before;
        EXPECT_EQ(ReadFileBytes(log), row.after) << row.before;
    }
    LogFile device(L"NUL", LogWriter::kDefaultLimitBytes);
    EXPECT_EQ(device.Append("next\r\n", 0), 0u);
    EXPECT_EQ(device.Error(), static_cast<DWORD>(ERROR_BAD_FILE_TYPE));
}

LineView TestLine(const std::string& text)
{
    return { 133000000000000000, 7, LineOrigin::Record, 3, "a.exe", "app", text };
}

// Appends count lines of one length; returns them as logged.
std::string AppendLines(LogWriter& writer, int count)
{
    std::string logged;
    for (int number = 1000; number < 1000 + count; ++number) {
        const std::string text = std::to_string(number);
        writer.Append(TestLine(text));
        AppendLogLine(logged, TestLine(text));
    }
    return logged;
}

TEST(LogWriterTest, LinesWaitWhileTheLogCannotBeWrittenAndFollowOnceItCan)
{
    testing_support::TempFolder folder(L"viewer");
    const std::wstring logFolder = folder.File(L"later");
    const std::wstring log = logFolder + L"\\trace.log";
    LogWriter writer;
    writer.Start(log, LogWriter::kDefaultLimitBytes);
    EXPECT_EQ(writer.GetStatus().error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    const std::string logged = AppendLines(writer, 100);
    ::Sleep(3 * LogWriter::kFlushMs);  // several tries fail meanwhile
    LogWriter::Status status = writer.GetStatus();
    EXPECT_EQ(status.error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(status.waitingBytes, logged.size());

    ASSERT_TRUE(::CreateDirectoryW(logFolder.c_str(), nullptr));
    EXPECT_TRUE(testing_support::WaitFor([&] { return ReadFileBytes(log) == logged; }, 2 * LogWriter::kMaxRetryMs));
    status = writer.GetStatus();
    EXPECT_EQ(status.error, 0u);
    EXPECT_EQ(status.waitingBytes, 0u);
    EXPECT_EQ(status.unwritten, 0u);
}

TEST(LogWriterTest, LinesBeyondTheWaitingBoundAndThoseLeftAtStopAreCounted)
{
    testing_support::TempFolder folder(L"viewer");
    std::string line;
    AppendLogLine(line, TestLine("1000"));
    const std::size_t lineBytes = line.size();
    LogWriter writer(10 * lineBytes);
    writer.Start(folder.File(L"missing\\trace.log"), LogWriter::kDefaultLimitBytes);
    static_cast<void>(AppendLines(writer, 25));
    LogWriter::Status status = writer.GetStatus();
    EXPECT_EQ(status.waitingBytes, 10 * lineBytes);
    EXPECT_EQ(status.unwritten, 15u);

    writer.Stop();
    status = writer.GetStatus();
    EXPECT_EQ(status.unwritten, 25u);
    EXPECT_EQ(status.waitingBytes, 0u);
}

TEST(SaveFileTest, TheTargetIsReplacedOnlyByACompleteCopyAndNoTemporaryFileStays)
{
    enum class Target { Missing, Present, HeldWithoutSharing, ReadOnly, InMissingFolder };
    const struct {
        const char* name;
        Target target;
        bool saved;
    } rows[] = {
        { "no file yet", Target::Missing, true },
        { "a file replaced", Target::Present, true },
        { "a file held open without sharing", Target::HeldWithoutSharing, false },
        { "a read-only file", Target::ReadOnly, false },
        { "a folder that does not exist", Target::InMissingFolder, false },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::TempFolder folder(L"viewer");
        const bool existed = row.target != Target::Missing && row.target != Target::InMissingFolder;
        const std::wstring target = existed
            ? folder.WriteFile(L"saved.txt", "old lines\r\n")
            : folder.File(row.target == Target::Missing ? L"saved.txt" : L"gone\\saved.txt");
        resources::UniqueFileHandle holder(row.target != Target::HeldWithoutSharing
                ? INVALID_HANDLE_VALUE
                : ::CreateFileW(
                    target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_EQ(row.target == Target::HeldWithoutSharing, static_cast<bool>(holder));
        ASSERT_TRUE(row.target != Target::ReadOnly || ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));

        ::SetLastError(0xDEAD);
        EXPECT_EQ(SaveFileReplacing(target, "new lines\r\n"), row.saved);
        const DWORD error = ::GetLastError();
        EXPECT_TRUE(row.saved || (error != 0 && error != 0xDEAD)) << error;
        holder.reset();
        ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadFileBytes(target), row.saved ? "new lines\r\n" : existed ? "old lines\r\n" : "");
        EXPECT_EQ(FileCount(folder.path()), row.saved || existed ? 1 : 0);
    }
}

}  // namespace
