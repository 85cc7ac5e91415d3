#include "components/instances/LibraryUtils.h"
#include "components/instances/ComponentLoadFlags.h"
#include "components/instances/TalvaneComPtr.h"
#include "tests/components/instances/ProbeProtocol.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <comdef.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

extern "C" __declspec(dllexport) ProbeCounter* __cdecl ProbeHostCounter()
{
    static ProbeCounter counter {};
    return &counter;
}

namespace {

using CLibraryUtils::CLibraryUtilsImpl;
using testing_support::TestFile;
using E = ProbeEvent;

constexpr wchar_t kProbeFile[] = L"ProbeComponent.dll";
constexpr wchar_t kNoExportFile[] = L"NoClassObjectComponent.dll";

class ComponentCreation : public ::testing::Test {
protected:
    static std::vector<E> Events()
    {
        const ProbeCounter& counter = *ProbeHostCounter();
        return { counter.events, counter.events + std::min<LONG>(counter.eventCount, std::size(counter.events)) };
    }
    // References held now, from the AddRef and Release events.
    static LONG References(E addRef)
    {
        const std::vector<E> events = Events();
        return static_cast<LONG>(std::count(events.begin(), events.end(), addRef)
            - std::count(events.begin(), events.end(), static_cast<E>(static_cast<LONG>(addRef) + 1)));
    }
    static bool IsLoaded(const wchar_t* file) { return ::GetModuleHandleW(file) != nullptr; }

    void SetUp() override
    {
        *ProbeHostCounter() = ProbeCounter {};
        ASSERT_FALSE(IsLoaded(kProbeFile));
    }

    const std::wstring mProbePath = TestFile(kProbeFile);
    resources::ComApartment mApartment { COINIT_APARTMENTTHREADED };
};

TEST_F(ComponentCreation, FilesThatCannotBeLoadedGiveFailAndANullObjectAddressIsRefusedWithoutLoading)
{
    CLibraryUtilsImpl creator;
    EXPECT_EQ(E_POINTER,
        creator.TalvaneCreateInstance(kClsidProbeObject, nullptr, mProbePath, __uuidof(IProbeObject), nullptr));
    EXPECT_FALSE(IsLoaded(kProbeFile));
    testing_support::TempFolder folder(L"instances");
    for (const std::wstring& path : { folder.File(L"Missing.dll"), folder.MakeFolder(L"NotAFile"),
             folder.WriteFile(L"NotAComponent.dll", "just some text"), std::wstring() }) {
        TalvaneComPtr<IProbeObject> probe;
        EXPECT_EQ(E_FAIL, probe.Create(kClsidProbeObject, path)) << testing::PrintToString(path);
        EXPECT_EQ(nullptr, probe.get());
        EXPECT_EQ(nullptr, probe.mCreator.module());
    }
}

// The component's codes come back unchanged; a success code without a factory
// throws E_POINTER. Failed or not, the file stays loaded until the creator goes.
TEST_F(ComponentCreation, ResultCodesOfTheComponentPassUnchanged)
{
    struct : IUnknown {  // an outer object the factory never calls
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
    } outer;
    const struct {
        const char* name;
        CLSID clsid;
        IUnknown* outer;
        IID iid;
        HRESULT expected;  // thrown as a _com_error when E_POINTER
        const wchar_t* file = kProbeFile;
    } cases[] = {
        { "created", kClsidProbeObject, nullptr, __uuidof(IProbeObject), S_OK },
        { "created with a success code", kClsidProbeQuiet, nullptr, __uuidof(IProbeObject), kProbeCreateQuiet },
        { "unknown class", kClsidProbeUnknown, nullptr, __uuidof(IProbeObject), CLASS_E_CLASSNOTAVAILABLE },
        { "factory refuses", kClsidProbeRefused, nullptr, __uuidof(IProbeObject), kProbeCreateRefused },
        { "factory with a failure", kClsidProbeFactoryAndFailure, nullptr, __uuidof(IProbeObject),
            kProbeClassObjectFailed },
        { "interface not offered", kClsidProbeObject, nullptr, IID_IDispatch, E_NOINTERFACE },
        { "outer object passed on", kClsidProbeObject, &outer, IID_IUnknown, CLASS_E_NOAGGREGATION },
        { "success without a factory", kClsidProbeNoFactory, nullptr, __uuidof(IProbeObject), E_POINTER },
        { "file without the export", kClsidProbeObject, nullptr, __uuidof(IProbeObject), E_FAIL, kNoExportFile },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        *ProbeHostCounter() = ProbeCounter {};
        {
            CLibraryUtilsImpl creator;
            void* object = nullptr;
            HRESULT result = S_FALSE;
            try {
                result = creator.TalvaneCreateInstance(c.clsid, c.outer, TestFile(c.file), c.iid, &object);
                EXPECT_NE(result, E_POINTER) << "returned instead of thrown";
            } catch (const _com_error& error) {
                result = error.Error();
            }
            EXPECT_EQ(c.expected, result);
            EXPECT_EQ(0, References(E::FactoryAddRef));  // a factory, even one handed out with a failure, is never kept
            ASSERT_EQ(SUCCEEDED(c.expected), object != nullptr);
            if (auto* probe = static_cast<IProbeObject*>(object)) {
                LONG twice = 0;
                EXPECT_EQ(S_OK, probe->Twice(21, &twice));
                EXPECT_EQ(42, twice);
                probe->Release();
            }
            EXPECT_TRUE(IsLoaded(c.file));
        }
        EXPECT_FALSE(IsLoaded(c.file));
        EXPECT_EQ(0, References(E::ObjectAddRef));
    }
}

TEST_F(ComponentCreation, ObjectIsReleasedBeforeItsFileIsUnloaded)
{
    {
        TalvaneComPtr<IProbeObject> probe;
        ASSERT_EQ(S_OK, probe.Create(kClsidProbeObject, mProbePath));
        EXPECT_EQ(1, References(E::ObjectAddRef));
        ASSERT_EQ(S_OK, probe.Create(kClsidProbeObject, mProbePath));  // creating again releases the held object
        EXPECT_EQ(1, References(E::ObjectAddRef));
    }
    const std::vector<E> events = Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ((std::vector<E> { E::ObjectRelease, E::ObjectLastRelease, E::Unloaded }),
        std::vector<E>(events.end() - 3, events.end()));
}

// Objects from every creation on one creator stay usable, and no load outlives the creator.
TEST_F(ComponentCreation, LaterCreationsKeepEarlierLoadsUntilTheCreatorGoes)
{
    testing_support::TempFolder folder(L"instances");
    const std::wstring copyPath = folder.CopyIn(mProbePath, L"ProbeComponentCopy.dll");
    {
        CLibraryUtilsImpl creator;
        void* objects[3] = {};
        const std::wstring paths[3] = { mProbePath, copyPath, mProbePath };
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(S_OK,
                creator.TalvaneCreateInstance(
                    kClsidProbeObject, nullptr, paths[i], __uuidof(IProbeObject), &objects[i]));
        }
        for (void* object : objects) {
            LONG twice = 0;
            EXPECT_EQ(S_OK, static_cast<IProbeObject*>(object)->Twice(2, &twice));
            static_cast<IProbeObject*>(object)->Release();
        }
        EXPECT_TRUE(IsLoaded(kProbeFile));
        EXPECT_TRUE(IsLoaded(L"ProbeComponentCopy.dll"));
    }
    EXPECT_FALSE(IsLoaded(kProbeFile));
    EXPECT_FALSE(IsLoaded(L"ProbeComponentCopy.dll"));
}

// The altered search order is defined only for fully qualified paths.
TEST(ComponentLoadFlags, AlteredSearchOnlyForFullyQualifiedPaths)
{
    for (const wchar_t* path : { L"C:\\Components\\Probe.dll", L"z:/components/probe.dll",
             L"\\\\server\\share\\Probe.dll", L"\\\\?\\C:\\Components\\Probe.dll" }) {
        EXPECT_EQ(DWORD { LOAD_WITH_ALTERED_SEARCH_PATH }, CLibraryUtils::ComponentLoadFlags(path)) << path;
    }
    for (const wchar_t* path :
        { L"Probe.dll", L"..\\Probe.dll", L"C:Probe.dll", L"\\Components\\Probe.dll", L"1:\\Probe.dll", L"" }) {
        EXPECT_EQ(DWORD { 0 }, CLibraryUtils::ComponentLoadFlags(path)) << path;
    }
}

}  // namespace
