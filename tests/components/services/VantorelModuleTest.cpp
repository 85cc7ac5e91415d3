// Loading the services component: where it is taken from, what the current
// directory is around the load, and retrying after a failed load.
#include "components/services/VantorelModule.h"
#include "foundation/text/Unicode.h"

#include "ServicesTestSupport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace services_testing;
using testing_support::TempFolder;
using VantorelUtils::VantorelModule;

namespace {

std::wstring UniqueName()
{
    return L"services_double_" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(::GetTickCount64())
        + L".dll";
}

std::wstring ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

TEST(VantorelModule, MissingComponentBecomesLoadableWithoutRestart)
{
    TempFolder temp(L"module");
    const std::wstring installFolder = temp.MakeFolder(L"Install");
    const PathPrefix path(installFolder);
    const std::wstring before = CurrentDirectory();
    VantorelModule module(UniqueName());

    EXPECT_EQ(module.InitInstance(), nullptr);
    EXPECT_FALSE(module.bInitialized);
    EXPECT_EQ(CurrentDirectory(), before);

    const std::wstring dll = InstallDouble(installFolder, module.strDllName);
    const HMODULE loaded = module.InitInstance();
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(module.bInitialized);
    EXPECT_TRUE(SamePath(ModulePath(loaded), dll));
    EXPECT_EQ(CurrentDirectory(), before);
    // The component saw its own folder as the current directory while loading.
    const auto lines = LoggedLines(dll);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(SamePath(unicode::to_wstring(lines[0]), L"attach cwd=[" + installFolder + L"]")) << lines[0];

    // Once loaded it stays loaded: no second search, no second load.
    EXPECT_EQ(module.InitInstance(), loaded);
    EXPECT_EQ(LoggedLines(dll).size(), 1u);
}

TEST(VantorelModule, DecoyInCurrentDirectoryIsNeverLoaded)
{
    for (const bool realInstalled : { true, false }) {
        SCOPED_TRACE(realInstalled ? "real component on the search path" : "no real component");
        TempFolder temp(L"module");
        const std::wstring installFolder = temp.MakeFolder(L"Install");
        const std::wstring current = temp.MakeFolder(L"Current");
        const PathPrefix path(installFolder);
        VantorelModule module(UniqueName());
        const std::wstring decoy = InstallDouble(current, module.strDllName);
        const std::wstring decoyCompanion = InstallDouble(current, L"bcsl.dll");
        std::wstring real;
        std::wstring realCompanion;
        if (realInstalled) {
            real = InstallDouble(installFolder, module.strDllName);
            realCompanion = InstallDouble(installFolder, L"bcsl.dll");
        }
        const std::wstring before = CurrentDirectory();
        ASSERT_TRUE(::SetCurrentDirectoryW(current.c_str()));

        const HMODULE loaded = module.InitInstance();

        EXPECT_TRUE(SamePath(CurrentDirectory(), current));
        ::SetCurrentDirectoryW(before.c_str());
        EXPECT_TRUE(LoggedLines(decoy).empty());
        EXPECT_TRUE(LoggedLines(decoyCompanion).empty());
        if (realInstalled) {
            ASSERT_NE(loaded, nullptr);
            EXPECT_TRUE(SamePath(ModulePath(loaded), real));
            EXPECT_EQ(LoggedLines(realCompanion).size(), 1u);
            EXPECT_NE(::GetModuleHandleW(realCompanion.c_str()), nullptr);
        } else {
            EXPECT_EQ(loaded, nullptr);
        }
        module.hModule.reset();  // so the folder can be removed
    }
}

TEST(VantorelModule, DestructionReleasesTheComponent)
{
    TempFolder temp(L"module");
    const PathPrefix path(temp.path());
    std::wstring dll;
    {
        VantorelModule module(UniqueName());
        dll = InstallDouble(temp.path(), module.strDllName);
        ASSERT_NE(module.InitInstance(), nullptr);
        EXPECT_NE(::GetModuleHandleW(dll.c_str()), nullptr);
    }
    EXPECT_EQ(::GetModuleHandleW(dll.c_str()), nullptr);
}
