// A created object together with the creator that loaded its code.
#pragma once

#include "components/instances/ComPtr.h"
#include "components/instances/LibraryUtils.h"

#include <string>

// Lives on the stack of the code that uses the object, for one creation.
// The object is released while its file is still loaded, the file unloaded
// after: that order is what the members' layout and the destructor provide.
template <typename T> class TalvaneComPtr {
public:
    TalvaneComPtr() = default;
    // A copy would release the object and unload the file twice.
    TalvaneComPtr(const TalvaneComPtr&) = delete;
    TalvaneComPtr& operator=(const TalvaneComPtr&) = delete;

    ~TalvaneComPtr()
    {
        // The member is cleared before the object's teardown runs.
        if (T* object = mInterface.Detach()) {
            object->Release();
        }
        // mCreator is declared after mInterface, so it goes first and unloads
        // the file; mInterface then holds nothing.
    }

    // Creates the object of class clsid from the component file at path,
    // asking for T. An object held from an earlier call is released first;
    // its file stays loaded with the creator.
    [[nodiscard]] HRESULT Create(const GUID& clsid, const std::wstring& path)
    {
        if (T* previous = mInterface.Detach()) {
            previous->Release();
        }
        return mCreator.TalvaneCreateInstance(
            clsid, nullptr, path, __uuidof(T), reinterpret_cast<void**>(&mInterface.p));
    }

    T* operator->() const noexcept { return mInterface.p; }
    [[nodiscard]] T* get() const noexcept { return mInterface.p; }

    CLibraryUtils::CComPtr<T> mInterface;
    CLibraryUtils::CLibraryUtilsImpl mCreator;
};
