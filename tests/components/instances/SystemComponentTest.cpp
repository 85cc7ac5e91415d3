// A component that ships with the system, created by its file path and
// class id alone, without asking the registry where the class lives.
#include "components/instances/TalvaneComPtr.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <string>

namespace {

std::wstring SystemFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length) + L"\\" + name;
}

TEST(SystemComponent, ImagingFactoryFromItsFileMakesABitmap)
{
    resources::ComApartment apartment(COINIT_APARTMENTTHREADED);
    const std::wstring path = SystemFile(L"windowscodecs.dll");

    TalvaneComPtr<IWICImagingFactory> factory;
    ASSERT_EQ(S_OK, factory.Create(CLSID_WICImagingFactory1, path));
    ASSERT_NE(nullptr, factory.get());

    // The object's code came from the named file.
    wchar_t loaded[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetModuleFileNameW(factory.mCreator.module(), loaded, MAX_PATH));
    EXPECT_EQ(0, ::lstrcmpiW(path.c_str(), loaded));

    CLibraryUtils::CComPtr<IWICBitmap> bitmap;
    ASSERT_EQ(S_OK, factory->CreateBitmap(5, 3, GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnLoad, &bitmap));
    UINT width = 0, height = 0;
    ASSERT_EQ(S_OK, bitmap->GetSize(&width, &height));
    EXPECT_EQ(5u, width);
    EXPECT_EQ(3u, height);
}

}  // namespace
