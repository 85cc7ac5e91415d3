// A reference-counted owning pointer whose count lives on the heap beside
// the object and changes by interlocked operations.
#pragma once

#include <windows.h>

#include <utility>

namespace StackWalker {

template <typename T> class CountedPtr {
public:
    constexpr CountedPtr() noexcept = default;
    // Takes ownership of object (may be null). Throws std::bad_alloc for the
    // counter; the object is deleted then, so it never leaks.
    explicit CountedPtr(T* object) { Take(object); }
    CountedPtr(const CountedPtr& other) noexcept
        : mCount(other.mCount)
        , mObject(other.mObject)
    {
        if (mCount != nullptr) {
            ::InterlockedIncrement(mCount);
        }
    }
    CountedPtr& operator=(const CountedPtr& other) noexcept
    {
        CountedPtr copy(other);
        Swap(copy);
        return *this;
    }
    ~CountedPtr() { Release(); }

    // Does nothing when object is already held; otherwise lets go of the old
    // object and takes the new one with a fresh count of 1.
    void Assign(T* object)
    {
        if (object == mObject) {
            return;
        }
        Release();
        Take(object);
    }

    [[nodiscard]] T* get() const noexcept { return mObject; }
    T* operator->() const noexcept { return mObject; }
    explicit operator bool() const noexcept { return mObject != nullptr; }
    [[nodiscard]] long UseCount() const noexcept { return mCount != nullptr ? *mCount : 0; }

private:
    void Take(T* object)
    {
        if (object == nullptr) {
            return;
        }
        try {
            mCount = new long(1);
        } catch (...) {
            delete object;
            throw;
        }
        mObject = object;
    }

    void Release() noexcept
    {
        long* count = std::exchange(mCount, nullptr);
        T* object = std::exchange(mObject, nullptr);
        if (count != nullptr && ::InterlockedDecrement(count) == 0) {
            delete count;
            delete object;
        }
    }

    void Swap(CountedPtr& other) noexcept
    {
        std::swap(mCount, other.mCount);
        std::swap(mObject, other.mObject);
    }

    long* mCount = nullptr;
    T* mObject = nullptr;
};

}  // namespace StackWalker
