// Save's replacing of a file: the old file stays until the new one is whole.
#include "viewer/log/SaveFile.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

std::set<std::wstring> FileNames(const std::wstring& folder)
{
    std::set<std::wstring> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.insert(item.path().filename().wstring());
    }
    return names;
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
        const std::wstring target
            = row.target == Target::InMissingFolder ? folder.File(L"gone\\saved.txt") : folder.File(L"saved.txt");
        if (row.target != Target::Missing && row.target != Target::InMissingFolder) {
            folder.WriteFile(L"saved.txt", "old lines\r\n");
        }
        resources::UniqueFileHandle holder;
        if (row.target == Target::HeldWithoutSharing) {
            holder.reset(
                ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(holder);
        }
        if (row.target == Target::ReadOnly) {
            ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
        }

        ::SetLastError(0xDEAD);
        const bool saved = SaveFileReplacing(target, "new lines\r\n");
        const DWORD error = ::GetLastError();
        EXPECT_EQ(saved, row.saved);
        if (!row.saved) {
            EXPECT_NE(error, 0u);
            EXPECT_NE(error, 0xDEADu);
        }
        holder.reset();
        ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        const bool existed = row.target != Target::Missing && row.target != Target::InMissingFolder;
        EXPECT_EQ(testing_support::ReadFileBytes(target), row.saved ? "new lines\r\n" : existed ? "old lines\r\n" : "");
        EXPECT_EQ(FileNames(folder.path()),
            row.saved || existed ? std::set<std::wstring> { L"saved.txt" } : std::set<std::wstring> {});
    }
}

}  // namespace
