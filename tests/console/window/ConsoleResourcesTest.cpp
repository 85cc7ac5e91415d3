// What Probedeck.exe carries for the system: manifest, icon, version.
#include "foundation/resources/UniqueResource.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using testing_support::ProductFile;

class ConsoleResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        image.reset(::LoadLibraryExW(ProductFile(L"Probedeck.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(image);
    }

    std::string Resource(LPCWSTR name, LPCWSTR type) const
    {
        HRSRC found = ::FindResourceW(image.get(), name, type);
        if (!found) {
            return {};
        }
        const auto* data = static_cast<const char*>(::LockResource(::LoadResource(image.get(), found)));
        return std::string(data, ::SizeofResource(image.get(), found));
    }

    resources::UniqueModule image;
};

TEST_F(ConsoleResources, ManifestAsksForVisualStylesPerMonitorDpiAndNamesTheSystems)
{
    const std::string manifest = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);
}

TEST_F(ConsoleResources, CarriesAnIconForTheWindowAndTheShell)
{
    EXPECT_FALSE(Resource(MAKEINTRESOURCEW(100), MAKEINTRESOURCEW(14)).empty());
}

TEST(ConsoleVersion, NamesTheProductAndItsVersion)
{
    const std::wstring path = ProductFile(L"Probedeck.exe");
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\ProductName", &value, &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), L"Probedeck");
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);
}

}  // namespace
