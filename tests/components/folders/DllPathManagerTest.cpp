#include "components/folders/DllPathManager.h"
#include "components/folders/AppFolder.h"
#include "foundation/text/Unicode.h"

#include "TempFolder.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

using VantorelUtils::DllPathManager;

namespace {

std::wstring CurrentDirectory()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, path);
    return std::wstring(path, length);
}

std::wstring Lower(std::wstring text)
{
    return DllPathManager::WStringToLower(text);
}

}  // namespace

TEST(DllPathManager, LowersInPlaceAndReturnsTheSameString)
{
    struct Case {
        std::wstring input;
        std::wstring expected;
    } cases[] = {
        { L"", L"" },
        { L"C:\\Program Files\\Common Files", L"c:\\program files\\common files" },
        { std::wstring(L"A\0B", 3), std::wstring(L"a\0b", 3) },
    };
    for (auto& c : cases) {
        std::wstring& result = DllPathManager::WStringToLower(c.input);
        EXPECT_EQ(&result, &c.input);
        EXPECT_EQ(result, c.expected);
    }
}

TEST(DllPathManager, GuardRestoresSavedDirectoryAndEmptyGuardLeavesItAlone)
{
    const std::wstring before = CurrentDirectory();
    testing_support::TempFolder temp(L"guard");
    {
        DllPathManager guard;
        guard.strSavedDir = before;
        ASSERT_TRUE(::SetCurrentDirectoryW(temp.path().c_str()));
    }
    EXPECT_EQ(CurrentDirectory(), before);

    ASSERT_TRUE(::SetCurrentDirectoryW(temp.path().c_str()));
    const std::wstring switched = CurrentDirectory();
    {
        DllPathManager untouched;
    }
    EXPECT_EQ(CurrentDirectory(), switched);
    ::SetCurrentDirectoryW(before.c_str());
}

TEST(DllPathManager, ProcessFolderIsLowerCaseWithoutTrailingBackslash)
{
    const std::wstring folder = DllPathManager::getprocessfolderpath();
    EXPECT_EQ(folder, Lower(testing_support::TestProgramFolder()));
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
}

TEST(AppFolder, KeepsCaseAndEndsWithBackslash)
{
    const std::string folder = GetAppFolder();
    EXPECT_EQ(folder, unicode::to_string(testing_support::TestProgramFolder() + L"\\"));
    // Joining a file name needs no separator of its own.
    EXPECT_EQ(::GetFileAttributesA((folder + "components_folders_tests.exe").c_str()) != INVALID_FILE_ATTRIBUTES, true);
}

TEST(DllPathManager, EmptyOrMissingNameFindsNothing)
{
    EXPECT_EQ(DllPathManager::getDllFolderPath(L""), L"");
    EXPECT_EQ(DllPathManager::getDllFolderPath(nullptr), L"");
    EXPECT_EQ(DllPathManager::getDllFolderPath(L"no_such_component_4711.dll"), L"");
}
