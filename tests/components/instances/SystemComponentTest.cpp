// A component that ships with the system, created by its file path and
// class id alone, without asking the registry where the class lives.
#include "components/instances/TalvaneComPtr.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <string>

namespace {

TEST(SystemComponent, ImagingFactoryFromItsFileMakesABitmap)
{
    resources::ComApartment apartment(COINIT_APARTMENTTHREADED);
    wchar_t system[MAX_PATH] = {};
    const std::wstring path = std::wstring(system, ::GetSystemDirectoryW(system, MAX_PATH)) + L"\\windowscodecs.dll";

    TalvaneComPtr<IWICImagingFactory> factory;
    ASSERT_EQ(S_OK, factory.Create(CLSID_WICImagingFactory1, path));
    ASSERT_NE(nullptr, factory.get());

    EXPECT_EQ(factory.mCreator.module(), ::GetModuleHandleW(path.c_str())) << "code from the named file";

    CLibraryUtils::CComPtr<IWICBitmap> bitmap;
    ASSERT_EQ(S_OK, factory->CreateBitmap(5, 3, GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnLoad, &bitmap));
    UINT width = 0, height = 0;
    ASSERT_EQ(S_OK, bitmap->GetSize(&width, &height));
    EXPECT_EQ(5u, width);
    EXPECT_EQ(3u, height);
}

}  // namespace
