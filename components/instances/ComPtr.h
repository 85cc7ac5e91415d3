// The holder of a created object's interface pointer: ATL's CComPtr where the
// toolchain ships ATL, otherwise a small equivalent with the same semantics.
#pragma once

#if __has_include(<atlbase.h>)

#include <atlbase.h>

namespace CLibraryUtils {
using ATL::CComPtr;
}  // namespace CLibraryUtils

#else

#include <windows.h>

#include <unknwn.h>

#include <cassert>

namespace CLibraryUtils {

// Holds one reference on a COM interface. Like ATL's, the pointer is the
// public member p, so creation functions can fill it through its address.
template <typename T> class CComPtr {
public:
    CComPtr() noexcept
        : p(nullptr)
    {
    }
    CComPtr(T* lp) noexcept
        : p(lp)
    {
        if (p != nullptr) {
            p->AddRef();
        }
    }
    CComPtr(const CComPtr& other) noexcept
        : CComPtr(other.p)
    {
    }
    ~CComPtr()
    {
        if (p != nullptr) {
            p->Release();
        }
    }

    T* operator=(T* lp) noexcept
    {
        if (lp != p) {
            // Take the new reference before dropping the old one: the old
            // object may be the last holder of the new one.
            if (lp != nullptr) {
                lp->AddRef();
            }
            T* old = p;
            p = lp;
            if (old != nullptr) {
                old->Release();
            }
        }
        return p;
    }
    T* operator=(const CComPtr& other) noexcept { return *this = other.p; }

    operator T*() const noexcept { return p; }
    T* operator->() const noexcept
    {
        assert(p != nullptr);
        return p;
    }
    // For out-parameters; filling a pointer that still holds an object would
    // lose that reference.
    T** operator&() noexcept
    {
        assert(p == nullptr);
        return &p;
    }

    // Clears the member before calling Release, so code run by the object's
    // teardown never sees a pointer to an object that is going away.
    void Release() noexcept
    {
        T* temp = p;
        if (temp != nullptr) {
            p = nullptr;
            temp->Release();
        }
    }
    // Takes over a reference without adding one.
    void Attach(T* p2) noexcept
    {
        T* old = p;
        p = p2;
        if (old != nullptr) {
            old->Release();
        }
    }
    // Gives up the reference without releasing it.
    T* Detach() noexcept
    {
        T* pt = p;
        p = nullptr;
        return pt;
    }

    T* p;
};

}  // namespace CLibraryUtils

#endif
