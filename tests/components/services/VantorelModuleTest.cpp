#include "components/services/VantorelModule.h"
#include "foundation/text/Unicode.h"
#include "tests/support/ProcessEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

#include <gtest/gtest.h>

#include <windows.h>

using testing_support::CurrentDirectory;
using testing_support::PathPrefix;
using testing_support::TempFolder;
using VantorelUtils::VantorelModule;

namespace {

// Copies the recording double into folder under name.
std::wstring Install(const TempFolder& temp, const std::wstring& folder, const std::wstring& name)
{
    return temp.CopyIn(testing_support::TestFile(L"recording_vantorelconfig.dll"), folder + L"\\" + name);
}

// The lines the double at dll has logged (none when it was never loaded).
std::vector<std::string> Logged(const std::wstring& dll)
{
    return testing_support::ReadLines(dll + L".log");
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

// One module through its life: nothing found (a same-named decoy in the current directory is never taken), then
// installed and loaded by its full path without a restart, and released at the end.
TEST(VantorelModule, LoadsOnlyTheFoundComponentOnceInstalledAndReleasesIt)
{
    TempFolder temp(L"module");
    const std::wstring installFolder = temp.MakeFolder(L"Install");
    const std::wstring current = temp.MakeFolder(L"Current");
    const PathPrefix path(installFolder);
    const std::wstring before = CurrentDirectory();
    std::wstring dll;
    {
        VantorelModule module(L"services_double.dll");
        const std::wstring decoy = Install(temp, L"Current", module.strDllName);
        const std::wstring decoyCompanion = Install(temp, L"Current", L"bcsl.dll");
        ASSERT_TRUE(::SetCurrentDirectoryW(current.c_str()));

        EXPECT_EQ(module.InitInstance(), nullptr);
        EXPECT_TRUE(SamePath(CurrentDirectory(), current));

        dll = Install(temp, L"Install", module.strDllName);
        const std::wstring companion = Install(temp, L"Install", L"bcsl.dll");
        const HMODULE loaded = module.InitInstance();
        EXPECT_TRUE(SamePath(CurrentDirectory(), current));
        ::SetCurrentDirectoryW(before.c_str());
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(::GetModuleHandleW(dll.c_str()), loaded);
        EXPECT_TRUE(Logged(decoy).empty());
        EXPECT_TRUE(Logged(decoyCompanion).empty());
        EXPECT_EQ(Logged(companion).size(), 1u);
        EXPECT_NE(::GetModuleHandleW(companion.c_str()), nullptr);
        // The component saw its own folder as the current directory while loading.
        ASSERT_EQ(Logged(dll).size(), 1u);
        EXPECT_TRUE(SamePath(unicode::to_wstring(Logged(dll)[0]), L"attach cwd=[" + installFolder + L"]"));

        // Once loaded it stays loaded: no second search, no second load.
        EXPECT_EQ(module.InitInstance(), loaded);
        EXPECT_EQ(Logged(dll).size(), 1u);
    }
    EXPECT_EQ(::GetModuleHandleW(dll.c_str()), nullptr);
}
