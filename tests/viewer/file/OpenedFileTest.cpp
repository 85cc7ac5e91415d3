// Opened files indexed on their thread and read back line by line, against
// a plain reading of the same bytes; and files followed as they change.
#include "viewer/file/FileIndexing.h"
#include "viewer/file/FileLines.h"
#include "viewer/file/LineIndex.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/TempFolder.h"
#include "viewer/log/LogFormat.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace tracing;

namespace {

// A file's index and its lines, as the session keeps them.
struct Opened {
    std::unique_ptr<LineIndex> index;
    std::shared_ptr<FileLines> lines;
    int files = 0;  // times the file began (again)

    void Take(FileIndexing& indexing)
    {
        for (FileIndexing::Batch& batch : indexing.Take()) {
            if (batch.file) {
                ++files;
                index = std::make_unique<LineIndex>(batch.file->Start());
                lines = std::make_shared<FileLines>(batch.file, *index);
            }
            for (const std::uint64_t end : batch.ends) {
                index->Add(end);
            }
        }
    }
    std::uint64_t Lines() const { return index ? index->Lines() : 0; }

    // The texts of lines [first, first + count).
    std::vector<std::string> Texts(std::uint64_t first, std::size_t count) const
    {
        std::vector<std::string> texts;
        lines->Read(first, count, [&](const LineView& line) { texts.emplace_back(line.text); });
        return texts;
    }
};

// Takes batches until check holds, at most five seconds.
template <typename Check> bool TakeUntil(FileIndexing& indexing, Opened& opened, Check check)
{
    for (const ULONGLONG start = ::GetTickCount64(); ::GetTickCount64() - start < 5000; ::Sleep(5)) {
        opened.Take(indexing);
        if (check()) {
            return true;
        }
    }
    return false;
}

Opened IndexWhole(const std::wstring& path, FileIndexing::Progress* progress = nullptr)
{
    FileIndexing indexing;
    indexing.Start(path, false);
    Opened opened;
    const auto ended = [&] {
        const FileIndexing::State state = indexing.GetProgress().state;
        return state == FileIndexing::State::Done || state == FileIndexing::State::Failed;
    };
    EXPECT_TRUE(TakeUntil(indexing, opened, ended));
    opened.Take(indexing);
    if (progress != nullptr) {
        *progress = indexing.GetProgress();
    }
    return opened;
}

void Append(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::app);
    file << bytes;
}

TEST(OpenedFileTest, RandomLinesReadBackAsAPlainReadingOfTheFileGivesThem)
{
    testing_support::TempFolder folder;
    std::mt19937 random(11);
    std::string bytes;
    std::vector<std::string> expected;  // each line's text as it should show
    const char* const ends[] = { "\n", "\r\n", "\r" };
    std::uint64_t malformed = 0;
    std::uint64_t cut = 0;
    for (int i = 0; bytes.size() < (std::size_t { 5 } << 19) || i < 40000; ++i) {
        std::string text = "line " + std::to_string(i) + std::string(random() % 120, 'x');
        std::string raw = text;
        switch (i % 7) {
        case 0:  // in the log format
            raw.clear();
            AppendLogLine(raw, { 133000000000000000 + i, 9, LineOrigin::Record, 2, "app.exe", "src", text });
            raw.resize(raw.size() - 2);
            break;
        case 1:
            raw = text = "gr\xC3\xBC\xC3\x9F " + text;  // UTF-8, as written
            ++malformed;
            break;
        case 2:
            raw = "caf\xE9 " + text;  // the ANSI code page
            text = "caf\xC3\xA9 " + text;
            ++malformed;
            break;
        case 3:
            raw = text = "";
            ++malformed;
            break;
        default:
            ++malformed;
            break;
        }
        if (i == 20001) {
            raw = text = std::string(FileLines::kMaxLineBytes + 300, 'L');
            text.resize(FileLines::kMaxLineBytes);
            ++cut;
        }
        std::string end = ends[random() % 3];
        if (raw.empty() && bytes.ends_with('\r') && end == "\n") {
            end = "\r\n";  // a LF right after a CR would end the line before
        }
        bytes += raw + end;
        expected.push_back(text);
    }
    bytes += "no line end";
    expected.push_back("no line end");
    ++malformed;
    const std::wstring path = folder.WriteFile(L"mixed.log", bytes);

    const Opened opened = IndexWhole(path);
    ASSERT_EQ(opened.Lines(), expected.size());
    for (int probe = 0; probe < 300; ++probe) {
        const std::uint64_t line = random() % expected.size();
        const std::size_t count = 1 + random() % 300;
        const std::vector<std::string> texts = opened.Texts(line, count);
        ASSERT_EQ(texts.size(), std::min<std::size_t>(count, expected.size() - line));
        for (std::size_t i = 0; i < texts.size(); ++i) {
            ASSERT_EQ(texts[i], expected[line + i]) << "line " << line + i;
        }
    }
    // Counted once a line, the first time each is read, in order.
    for (std::uint64_t line = 0; line < expected.size(); line += 256) {
        opened.Texts(line, 256);
    }
    EXPECT_EQ(opened.lines->GetCounts().lines, expected.size());
    EXPECT_EQ(opened.lines->GetCounts().malformed, malformed);
    EXPECT_EQ(opened.lines->GetCounts().cut, cut);
    EXPECT_EQ(opened.lines->WholeText(20001)->size(), FileLines::kMaxLineBytes + 300) << "copied and saved whole";
}

TEST(OpenedFileTest, Utf16WithItsMarkIsReadWholeEvenWithASurrogatePairAcrossAReadBlock)
{
    testing_support::TempFolder folder;
    for (const bool little : { true, false }) {
        std::u16string text;
        // Lines of 100 units after the mark, so that a pair at unit 40 of the
        // line holding the block boundary straddles it.
        const std::size_t boundaryLine = (FileIndexing::kReadBytes / 2 - 1) / 100;
        const std::size_t pairAt = (FileIndexing::kReadBytes / 2 - 1) % 100 - 1;
        for (std::size_t i = 0; i < boundaryLine + 10; ++i) {
            std::u16string line(98, u'a' + i % 26);
            if (i == boundaryLine) {
                line[pairAt] = 0xD83D;
                line[pairAt + 1] = 0xDE00;
            }
            text += line + u"\r\n";
        }
        std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
        for (const char16_t unit : text) {
            bytes += static_cast<char>(little ? unit & 0xFF : unit >> 8);
            bytes += static_cast<char>(little ? unit >> 8 : unit & 0xFF);
        }
        const std::wstring path = folder.WriteFile(little ? L"le.txt" : L"be.txt", bytes);
        const Opened opened = IndexWhole(path);
        ASSERT_EQ(opened.Lines(), boundaryLine + 10);
        const std::string line = opened.Texts(boundaryLine, 1).at(0);
        EXPECT_EQ(line.substr(pairAt, 4), "\xF0\x9F\x98\x80") << little;
        EXPECT_EQ(line.size(), 98u + 2) << little;
        EXPECT_EQ(opened.Texts(0, 1).at(0), std::string(98, 'a')) << "the mark is no part of the first line";
    }
}

TEST(OpenedFileTest, EmptyFilesDevicesAndMissingFilesEndAtOnceWithWhatHappened)
{
    testing_support::TempFolder folder;
    FileIndexing::Progress progress;
    const Opened empty = IndexWhole(folder.WriteFile(L"empty.log", ""), &progress);
    EXPECT_EQ(progress.state, FileIndexing::State::Done);
    EXPECT_EQ(empty.Lines(), 0u);

    const std::wstring pipeName = L"\\\\.\\pipe\\probedeck-index-" + std::to_wstring(::GetCurrentProcessId());
    const resources::UniqueFileHandle pipe(
        ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe);
    IndexWhole(pipeName, &progress);
    EXPECT_EQ(progress.state, FileIndexing::State::Failed);
    EXPECT_EQ(progress.error, static_cast<DWORD>(ERROR_BAD_FILE_TYPE)) << "a device may never answer a read";

    IndexWhole(folder.File(L"missing.log"), &progress);
    EXPECT_EQ(progress.state, FileIndexing::State::Failed);
    EXPECT_EQ(progress.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    const Opened signed8 = IndexWhole(folder.WriteFile(L"signed.log", "\xEF\xBB\xBF" "first\r\nsecond"), &progress);
    EXPECT_EQ(signed8.Texts(0, 2), (std::vector<std::string> { "first", "second" })) << "UTF-8 with its signature";

    const Opened zeros = IndexWhole(folder.WriteFile(L"zeros.bin", std::string(3 << 20, '\0')), &progress);
    EXPECT_TRUE(progress.notText);
    ASSERT_EQ(zeros.Lines(), 1u);
    EXPECT_EQ(zeros.Texts(0, 1).at(0).size(), FileLines::kMaxLineBytes) << "shown cut";
}

TEST(OpenedFileTest, FindLooksThroughTheFilesBytesInBoundedStepsAndMissesNoLineHoldingTheText)
{
    testing_support::TempFolder folder;
    std::string bytes;
    std::vector<std::uint64_t> holding;
    for (std::uint64_t line = 0; bytes.size() < (std::size_t { 5 } << 20); ++line) {
        std::string text = "line " + std::to_string(line) + std::string(line % 150, '-');
        // Some straddle the runs find reads, one at the very end of a line.
        const std::size_t next = bytes.size() + text.size() + 20;
        if (line % 1000 == 7 || next / FileLines::kOneReadBytes != bytes.size() / FileLines::kOneReadBytes) {
            text += line % 2 == 0 ? " NeEdLe" : " needle";
            holding.push_back(line);
        }
        bytes += text + (line % 3 == 0 ? "\r\n" : "\n");
    }
    const std::wstring path = folder.WriteFile(L"find.log", bytes);
    const Opened opened = IndexWhole(path);
    for (const bool matchCase : { false, true }) {
        std::vector<std::uint64_t> found;
        std::uint64_t from = 0;
        int steps = 0;
        while (from < opened.Lines()) {
            const std::optional<std::uint64_t> reached
                = opened.lines->FindCandidates("needle", matchCase, from, opened.Lines(), 300000, found);
            ASSERT_TRUE(reached);
            ASSERT_GE(*reached, from);
            from = *reached;
            ++steps;
        }
        found.erase(std::unique(found.begin(), found.end()), found.end());
        std::vector<std::uint64_t> expected;
        for (const std::uint64_t line : holding) {
            if (!matchCase || line % 2 == 1) {
                expected.push_back(line);
            }
        }
        EXPECT_EQ(found, expected) << matchCase;
        EXPECT_GE(steps, 5) << "each step looks through about its bytes, not the whole file";
    }
    // A line longer than a step is done in one, as far as it is shown.
    const std::string longLine = std::string(3 << 20, 'x') + " needle\nnext needle\n";
    const Opened withLongLine = IndexWhole(folder.WriteFile(L"long.log", "first\n" + longLine));
    std::vector<std::uint64_t> found;
    std::uint64_t from = 0;
    for (int steps = 0; from < withLongLine.Lines() && steps < 100; ++steps) {
        from = *withLongLine.lines->FindCandidates("needle", true, from, withLongLine.Lines(), 4096, found);
    }
    EXPECT_EQ(from, withLongLine.Lines());
    EXPECT_EQ(found.back(), 2u);

    std::vector<std::uint64_t> none;
    EXPECT_FALSE(opened.lines->FindCandidates("gr\xC3\xBC\xC3\x9F", true, 0, opened.Lines(), 1 << 20, none))
        << "a text beyond ASCII may be in the ANSI code page in the file: it is matched line by line";
}

TEST(OpenedFileTest, AFollowedFileIsWaitedForReadAsItGrowsAndReadAgainWhenTruncatedOrReplaced)
{
    testing_support::TempFolder folder;
    const std::wstring path = folder.File(L"growing.log");
    FileIndexing indexing;
    indexing.Start(path, true);
    Opened opened;
    EXPECT_TRUE(TakeUntil(indexing, opened, [&] { return indexing.GetProgress().state == FileIndexing::State::Waiting; }));

    Append(path, "one\r\ntwo\r\n");
    EXPECT_TRUE(TakeUntil(indexing, opened, [&] { return opened.Lines() == 2; }));
    Append(path, "three\nfour wi");
    EXPECT_TRUE(TakeUntil(indexing, opened, [&] { return opened.Lines() == 3; }));
    Append(path, "thout its end");
    // A line left without its end shows as it stands once the file is still.
    EXPECT_TRUE(TakeUntil(indexing, opened, [&] { return opened.Lines() == 4; }));
    EXPECT_EQ(opened.Texts(0, 4), (std::vector<std::string> { "one", "two", "three", "four without its end" }));
    EXPECT_EQ(opened.files, 1);

    // Truncated: read again from its start.
    { std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << "new\n"; }
    EXPECT_TRUE(TakeUntil(indexing, opened, [&] { return opened.files == 2 && opened.Lines() == 1; }));
    EXPECT_EQ(opened.Texts(0, 1).at(0), "new");

    // Rotated away and made anew, longer than the old one: the new file is read.
    Append(path, "last of the old file\n");
    EXPECT_TRUE(TakeUntil(indexing, opened, [&] { return opened.Lines() == 2; }));
    ASSERT_TRUE(::MoveFileExW(path.c_str(), (path + L".1").c_str(), MOVEFILE_REPLACE_EXISTING));
    Append(path, "first of the new file\nsecond of the new file\nthird\n");
    EXPECT_TRUE(TakeUntil(indexing, opened, [&] { return opened.files == 3 && opened.Lines() == 3; }));
    EXPECT_EQ(opened.Texts(0, 1).at(0), "first of the new file");
    EXPECT_EQ(indexing.GetProgress().restarts, 2u);

    const ULONGLONG before = ::GetTickCount64();
    indexing.Stop();
    EXPECT_LT(::GetTickCount64() - before, 1000u) << "stopping waits for no poll";
}

}  // namespace
