#include "components/instances/ComPtr.h"
#include "components/instances/TalvaneComPtr.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using CLibraryUtils::CComPtr;

// Counts its references; onRelease runs inside Release, before the count drops.
class CountedUnknown final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        if (onRelease) {
            onRelease();
        }
        return static_cast<ULONG>(--references);
    }

    LONG references = 0;
    std::function<void()> onRelease;
};

TEST(ComPtr, CopiesAndAssignmentsKeepReferencesBalanced)
{
    CountedUnknown first;
    CountedUnknown second;
    {
        CComPtr<IUnknown> a(&first);
        CComPtr<IUnknown> b(a);
        EXPECT_EQ(2, first.references);
        b = &second;
        EXPECT_EQ(1, first.references);
        EXPECT_EQ(1, second.references);
        a = b;
        EXPECT_EQ(0, first.references);
        EXPECT_EQ(2, second.references);
        b = nullptr;
        EXPECT_EQ(1, second.references);
    }
    EXPECT_EQ(0, second.references);
}

// Code run by an object's teardown must not find the holder still pointing
// at it, or it could release it a second time.
TEST(ComPtr, HoldersAreClearedBeforeTheObjectIsReleased)
{
    CountedUnknown object;
    {
        CComPtr<IUnknown> holder(&object);
        object.onRelease = [&] { EXPECT_EQ(nullptr, holder.p); };
        holder.Release();
        EXPECT_EQ(0, object.references);
    }
    {
        TalvaneComPtr<IUnknown> holder;
        holder.mInterface = &object;
        object.onRelease = [&] { EXPECT_EQ(nullptr, holder.mInterface.p); };
    }
    EXPECT_EQ(0, object.references);
}

}  // namespace
