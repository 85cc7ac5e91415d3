// Move-only owners for Win32 resources: one template, one alias per kind.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <utility>

namespace resources {

// Owns a value of type T that is released by Close when the owner lets go.
// Traits supply: using type; static type Empty(); static void Close(type).
template <typename Traits>
class UniqueResource {
public:
    using type = typename Traits::type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(type value) noexcept : mValue(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : mValue(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueResource() { reset(); }

    [[nodiscard]] type get() const noexcept { return mValue; }
    [[nodiscard]] bool valid() const noexcept { return mValue != Traits::Empty(); }
    explicit operator bool() const noexcept { return valid(); }

    // Gives up ownership without closing.
    [[nodiscard]] type release() noexcept { return std::exchange(mValue, Traits::Empty()); }

    // Closes what is held (keeping the caller's last error) and takes value.
    void reset(type value = Traits::Empty()) noexcept
    {
        type old = std::exchange(mValue, value);
        if (old != Traits::Empty()) {
            const DWORD lastError = GetLastError();
            Traits::Close(old);
            SetLastError(lastError);
        }
    }

    // For out-parameters: closes what is held and returns the slot to fill.
    [[nodiscard]] type* put() noexcept
    {
        reset();
        return &mValue;
    }

private:
    type mValue = Traits::Empty();
};

// Resources whose empty value is null, released by one call.
template <typename T, auto CloseFn>
struct NullEmptyTraits {
    using type = T;
    static T Empty() noexcept { return nullptr; }
    static void Close(T value) noexcept { CloseFn(value); }
};

// Handles whose empty value is INVALID_HANDLE_VALUE (files, tool-help snapshots).
struct FileHandleTraits {
    using type = HANDLE;
    static HANDLE Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};

inline void ReleaseScreenDc(HDC dc) noexcept
{
    ::ReleaseDC(nullptr, dc);
}

template <typename Interface> void ReleaseInterface(Interface* object) noexcept
{
    object->Release();
}

using UniqueHandle = UniqueResource<NullEmptyTraits<HANDLE, &::CloseHandle>>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueSnapshot = UniqueResource<FileHandleTraits>;
using UniqueModule = UniqueResource<NullEmptyTraits<HMODULE, &::FreeLibrary>>;
using UniqueLocalMem = UniqueResource<NullEmptyTraits<HLOCAL, &::LocalFree>>;
using UniqueCoTaskMem = UniqueResource<NullEmptyTraits<void*, &::CoTaskMemFree>>;
using UniqueGdiObject = UniqueResource<NullEmptyTraits<HGDIOBJ, &::DeleteObject>>;
using UniqueWindow = UniqueResource<NullEmptyTraits<HWND, &::DestroyWindow>>;
using UniqueRegKey = UniqueResource<NullEmptyTraits<HKEY, &::RegCloseKey>>;
using UniqueMenu = UniqueResource<NullEmptyTraits<HMENU, &::DestroyMenu>>;
using UniqueAcceleratorTable = UniqueResource<NullEmptyTraits<HACCEL, &::DestroyAcceleratorTable>>;
using UniqueGlobalMem = UniqueResource<NullEmptyTraits<HGLOBAL, &::GlobalFree>>;
using UniqueMappedView = UniqueResource<NullEmptyTraits<void*, &::UnmapViewOfFile>>;
// Files dropped on a window, from WM_DROPFILES.
using UniqueDrop = UniqueResource<NullEmptyTraits<HDROP, &::DragFinish>>;
// The screen's device context, from GetDC(nullptr).
using UniqueScreenDc = UniqueResource<NullEmptyTraits<HDC, &ReleaseScreenDc>>;
// One reference on a COM interface.
template <typename Interface>
using UniqueInterface = UniqueResource<NullEmptyTraits<Interface*, &ReleaseInterface<Interface>>>;

// An object selected into a device context for the scope of the holder; the
// object selected before is put back at the end.
class [[nodiscard]] SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : mDc(dc)
        , mPrevious(::SelectObject(dc, object))
    {
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (mPrevious != nullptr && mPrevious != HGDI_ERROR) {
            ::SelectObject(mDc, mPrevious);
        }
    }

private:
    HDC mDc;
    HGDIOBJ mPrevious;
};

// Initialises COM on the calling thread for the scope of the object.
class [[nodiscard]] ComApartment {
public:
    explicit ComApartment(DWORD model) noexcept : mResult(::CoInitializeEx(nullptr, model)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (SUCCEEDED(mResult)) {
            ::CoUninitialize();
        }
    }
    [[nodiscard]] HRESULT result() const noexcept { return mResult; }

private:
    HRESULT mResult;
};

}  // namespace resources
