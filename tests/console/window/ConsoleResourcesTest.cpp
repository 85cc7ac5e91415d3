// What Probedeck.exe carries for the system: manifest and icon.
#include "foundation/resources/UniqueResource.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using testing_support::ProductFile;

// The packaging test reads every program's version resource.
TEST(ConsoleResources, ManifestAsksForVisualStylesAndPerMonitorDpiAndAnIconIsThere)
{
    const resources::UniqueModule image(::LoadLibraryExW(
        ProductFile(L"Probedeck.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(image);
    const auto resource = [&](WORD name, WORD type) {
        const HRSRC found = ::FindResourceW(image.get(), MAKEINTRESOURCEW(name), MAKEINTRESOURCEW(type));
        const auto* data = found ? static_cast<const char*>(::LockResource(::LoadResource(image.get(), found))) : "";
        return std::string(data, found ? ::SizeofResource(image.get(), found) : 0);
    };
    const std::string manifest = resource(1, 24);
    for (const char* part : { "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "PerMonitorV2",
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" }) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    EXPECT_FALSE(resource(100, 14).empty()) << "an icon for the window and the shell";
}

}  // namespace
