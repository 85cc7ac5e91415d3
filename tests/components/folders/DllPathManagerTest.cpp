#include "components/folders/DllPathManager.h"
#include "components/folders/AppFolder.h"
#include "foundation/text/Unicode.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

using VantorelUtils::DllPathManager;

TEST(DllPathManager, LowersInPlaceAndReturnsTheSameString)
{
    for (auto [input, expected] : { std::pair<std::wstring, std::wstring> { L"", L"" },
             { L"C:\\Program Files\\Common Files", L"c:\\program files\\common files" },
             { std::wstring(L"A\0B", 3), std::wstring(L"a\0b", 3) } }) {
        std::wstring& result = DllPathManager::WStringToLower(input);
        EXPECT_EQ(&result, &input);
        EXPECT_EQ(result, expected);
    }
}

// The process folder is lower-cased and the application folder keeps its case; neither finds a missing component.
TEST(DllPathManager, ProgramFoldersAndMissingComponents)
{
    std::wstring programFolder = testing_support::TestProgramFolder();  // without a trailing backslash
    EXPECT_EQ(GetAppFolder(), unicode::to_string(programFolder + L"\\"));  // file names are joined without a separator
    EXPECT_EQ(DllPathManager::getprocessfolderpath(), DllPathManager::WStringToLower(programFolder));
    for (const wchar_t* name : { L"", static_cast<const wchar_t*>(nullptr), L"no_such_component_4711.dll" }) {
        EXPECT_EQ(DllPathManager::getDllFolderPath(name), L"");
    }
}
