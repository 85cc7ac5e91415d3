#include "components/instances/LibraryUtils.h"
#include "components/instances/ComponentLoadFlags.h"
#include "components/instances/TalvaneComPtr.h"

#include "ProbeHost.h"
#include "TempFolder.h"
#include "TestPaths.h"

#include <comdef.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using CLibraryUtils::CLibraryUtilsImpl;
using probe_host::Counter;
using probe_host::Events;
using probe_host::IsLoaded;
using testing_support::TempFolder;
using testing_support::TestFile;
using E = ProbeEvent;

// Stands in for a controlling outer object; the factory never calls it.
class StubOuter final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

class ComponentCreation : public ::testing::Test {
protected:
    void SetUp() override
    {
        probe_host::ResetCounter();
        ASSERT_FALSE(IsLoaded(kProbeComponentFile));
    }

    const std::wstring mProbePath = TestFile(kProbeComponentFile);
    resources::ComApartment mApartment { COINIT_APARTMENTTHREADED };
};

TEST_F(ComponentCreation, FilesThatCannotBeLoadedGiveFailAndNoObject)
{
    TempFolder folder(L"instances");
    const struct {
        const char* name;
        std::wstring path;
    } cases[] = {
        { "missing file", folder.File(L"Missing.dll") },
        { "folder", folder.MakeFolder(L"NotAFile") },
        { "not an executable image", folder.WriteFile(L"NotAComponent.dll", "just some text") },
        { "empty path", L"" },
    };
    for (const auto& [name, path] : cases) {
        SCOPED_TRACE(name);
        TalvaneComPtr<IProbeObject> probe;
        EXPECT_EQ(E_FAIL, probe.Create(kClsidProbeObject, path));
        EXPECT_EQ(nullptr, probe.get());
        EXPECT_EQ(nullptr, probe.mCreator.module());
    }
}

TEST_F(ComponentCreation, ResultCodesOfTheComponentPassUnchanged)
{
    StubOuter outer;
    struct Case {
        const char* name;
        CLSID clsid;
        IUnknown* outer;
        IID iid;
        HRESULT expected;
        bool object;
    };
    const Case cases[] = {
        { "created", kClsidProbeObject, nullptr, __uuidof(IProbeObject), S_OK, true },
        { "created with a success code", kClsidProbeQuiet, nullptr, __uuidof(IProbeObject), kProbeCreateQuiet, true },
        { "unknown class", kClsidProbeUnknown, nullptr, __uuidof(IProbeObject), CLASS_E_CLASSNOTAVAILABLE, false },
        { "factory refuses", kClsidProbeRefused, nullptr, __uuidof(IProbeObject), kProbeCreateRefused, false },
        { "factory with a failure", kClsidProbeFactoryAndFailure, nullptr, __uuidof(IProbeObject),
            kProbeClassObjectFailed, false },
        { "interface not offered", kClsidProbeObject, nullptr, IID_IDispatch, E_NOINTERFACE, false },
        { "outer object passed on", kClsidProbeObject, &outer, IID_IUnknown, CLASS_E_NOAGGREGATION, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        probe_host::ResetCounter();
        {
            CLibraryUtilsImpl creator;
            void* object = nullptr;
            EXPECT_EQ(c.expected, creator.TalvaneCreateInstance(c.clsid, c.outer, mProbePath, c.iid, &object));
            // A factory, even one handed out with a failure, is never kept.
            EXPECT_EQ(0, Counter().factoryReferences);
            ASSERT_EQ(c.object, object != nullptr);
            if (object != nullptr) {
                auto* probe = static_cast<IProbeObject*>(object);
                LONG twice = 0;
                EXPECT_EQ(S_OK, probe->Twice(21, &twice));
                EXPECT_EQ(42, twice);
                probe->Release();
            }
            EXPECT_TRUE(IsLoaded(kProbeComponentFile));
        }
        EXPECT_FALSE(IsLoaded(kProbeComponentFile));
        EXPECT_EQ(0, Counter().objectReferences);
    }
}

TEST_F(ComponentCreation, SuccessWithoutFactoryThrowsPointerErrorAndKeepsTheFileLoaded)
{
    {
        TalvaneComPtr<IProbeObject> probe;
        try {
            probe.Create(kClsidProbeNoFactory, mProbePath);
            ADD_FAILURE() << "no _com_error thrown";
        } catch (const _com_error& error) {
            EXPECT_EQ(E_POINTER, error.Error());
        }
        EXPECT_EQ(nullptr, probe.get());
        EXPECT_TRUE(IsLoaded(kProbeComponentFile));
    }
    EXPECT_FALSE(IsLoaded(kProbeComponentFile));
    EXPECT_EQ((std::vector<E> { E::Loaded, E::Unloaded }), Events());
}

TEST_F(ComponentCreation, ObjectIsReleasedBeforeItsFileIsUnloaded)
{
    {
        TalvaneComPtr<IProbeObject> probe;
        ASSERT_EQ(S_OK, probe.Create(kClsidProbeObject, mProbePath));
        LONG twice = 0;
        EXPECT_EQ(S_OK, probe->Twice(-8, &twice));
        EXPECT_EQ(-16, twice);
        EXPECT_EQ(1, Counter().objectReferences);
    }
    const std::vector<E> events = Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ((std::vector<E> { E::ObjectRelease, E::ObjectLastRelease, E::Unloaded }),
        std::vector<E>(events.end() - 3, events.end()));
    EXPECT_EQ(1, Counter().loadedAtLastRelease);
    EXPECT_EQ(0, Counter().objectReferences);
    EXPECT_EQ(0, Counter().factoryReferences);
    EXPECT_FALSE(IsLoaded(kProbeComponentFile));
}

TEST_F(ComponentCreation, FailedCreationOnlyUnloads)
{
    {
        TalvaneComPtr<IProbeObject> probe;
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, probe.Create(kClsidProbeUnknown, mProbePath));
    }
    EXPECT_EQ((std::vector<E> { E::Loaded, E::Unloaded }), Events());
    EXPECT_FALSE(IsLoaded(kProbeComponentFile));
}

TEST_F(ComponentCreation, FileWithoutTheExportFailsAndStaysLoadedUntilDestroyed)
{
    {
        TalvaneComPtr<IProbeObject> probe;
        EXPECT_EQ(E_FAIL, probe.Create(kClsidProbeObject, TestFile(kNoClassObjectComponentFile)));
        EXPECT_EQ(nullptr, probe.get());
        EXPECT_TRUE(IsLoaded(kNoClassObjectComponentFile));
    }
    EXPECT_FALSE(IsLoaded(kNoClassObjectComponentFile));
}

TEST_F(ComponentCreation, NullObjectAddressIsRefusedWithoutLoading)
{
    CLibraryUtilsImpl creator;
    EXPECT_EQ(E_POINTER,
        creator.TalvaneCreateInstance(kClsidProbeObject, nullptr, mProbePath, __uuidof(IProbeObject), nullptr));
    EXPECT_FALSE(IsLoaded(kProbeComponentFile));
}

// Objects from every creation on one creator stay usable, and no load
// outlives the creator.
TEST_F(ComponentCreation, LaterCreationsKeepEarlierLoadsUntilTheCreatorGoes)
{
    TempFolder folder(L"instances");
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
        EXPECT_TRUE(IsLoaded(kProbeComponentFile));
        EXPECT_TRUE(IsLoaded(L"ProbeComponentCopy.dll"));
    }
    EXPECT_FALSE(IsLoaded(kProbeComponentFile));
    EXPECT_FALSE(IsLoaded(L"ProbeComponentCopy.dll"));
}

TEST_F(ComponentCreation, CreatingAgainReleasesTheHeldObject)
{
    {
        TalvaneComPtr<IProbeObject> probe;
        ASSERT_EQ(S_OK, probe.Create(kClsidProbeObject, mProbePath));
        ASSERT_EQ(S_OK, probe.Create(kClsidProbeObject, mProbePath));
        EXPECT_EQ(1, Counter().objectReferences);
    }
    EXPECT_EQ(0, Counter().objectReferences);
    EXPECT_FALSE(IsLoaded(kProbeComponentFile));
}

// The altered search order is defined only for fully qualified paths.
TEST(ComponentLoadFlags, AlteredSearchOnlyForFullyQualifiedPaths)
{
    const struct {
        const wchar_t* path;
        DWORD flags;
    } cases[] = {
        { L"C:\\Components\\Probe.dll", LOAD_WITH_ALTERED_SEARCH_PATH },
        { L"z:/components/probe.dll", LOAD_WITH_ALTERED_SEARCH_PATH },
        { L"\\\\server\\share\\Probe.dll", LOAD_WITH_ALTERED_SEARCH_PATH },
        { L"\\\\?\\C:\\Components\\Probe.dll", LOAD_WITH_ALTERED_SEARCH_PATH },
        { L"Probe.dll", 0 },
        { L"parts\\Probe.dll", 0 },
        { L"..\\Probe.dll", 0 },
        { L"C:Probe.dll", 0 },
        { L"\\Components\\Probe.dll", 0 },
        { L"1:\\Probe.dll", 0 },
        { L"", 0 },
    };
    for (const auto& [path, flags] : cases) {
        EXPECT_EQ(flags, CLibraryUtils::ComponentLoadFlags(path)) << testing::PrintToString(std::wstring(path));
    }
}

}  // namespace
