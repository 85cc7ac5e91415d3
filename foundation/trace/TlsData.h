// A fixed number of slots of type T per thread, on one thread-local-storage
// index. Each thread's block is made on its first access and kept in a chain
// so that the array can free every block, also those of ended threads.
#pragma once

#include "foundation/trace/CriticalSection.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <new>
#include <stdexcept>

namespace tls_detail {
// Throws SystemException::Win32 for code; kept out of line so that this
// header does not pull in the exception family.
[[noreturn]] void ThrowWin32(DWORD code);
}  // namespace tls_detail

template <typename T>
class tls_data : public TalvaneCriticalSection {
public:
    tls_data(DWORD count, const T& defaultValue)
        : mIndex(::TlsAlloc()), mBlocks(nullptr), mCount(count), mDefault(defaultValue)
    {
        if (mIndex == TLS_OUT_OF_INDEXES) {
            tls_detail::ThrowWin32(::GetLastError());
        }
    }

    tls_data(const tls_data&) = delete;
    tls_data& operator=(const tls_data&) = delete;

    // Frees every block regardless of which threads still run: the array
    // must outlive every use.
    ~tls_data() override
    {
        ::TlsFree(mIndex);
        while (mBlocks != nullptr) {
            Block* block = mBlocks;
            mBlocks = block->mNext;
            DestroyBlock(block, mCount);
        }
    }

    // Slot index of the calling thread's block, made on first use. Once the
    // block exists no lock is taken: only its own thread reaches a block
    // through thread-local storage, and the chain changes only when a block
    // is made, under the lock. Like TlsGetValue, it clears the last error.
    T& operator[](DWORD index)
    {
        if (index >= mCount) {
            throw std::out_of_range("tls_data::operator[index] - invalid index");
        }
        if (auto* block = static_cast<Block*>(::TlsGetValue(mIndex))) {
            return block->Slots()[index];
        }
        return NewBlock()->Slots()[index];
    }

    DWORD Count() const noexcept { return mCount; }

private:
    // One allocation per thread: the link, then mCount values of T.
    struct Block {
        Block* mNext;
        T* Slots() noexcept
        {
            return std::launder(reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(this) + kSlotOffset));
        }
    };
    static constexpr std::size_t kSlotOffset = (sizeof(Block) + alignof(T) - 1) / alignof(T) * alignof(T);
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "over-aligned slot types are not supported");

    static void DestroyBlock(Block* block, DWORD count) noexcept
    {
        std::destroy_n(block->Slots(), count);
        block->~Block();
        ::operator delete(static_cast<void*>(block));
    }

    // Owns a block until it is linked into the chain.
    struct BlockDeleter {
        DWORD count;
        void operator()(Block* block) const noexcept { DestroyBlock(block, count); }
    };

    struct MemoryDeleter {
        void operator()(void* memory) const noexcept { ::operator delete(memory); }
    };

    // Makes the calling thread's block and links it into the chain.
    [[gnu::noinline]] Block* NewBlock()
    {
        TalvaneAutoCriticalSection hold(this);
        std::unique_ptr<Block, BlockDeleter> fresh(MakeBlock(), BlockDeleter { mCount });
        if (!::TlsSetValue(mIndex, fresh.get())) {
            tls_detail::ThrowWin32(::GetLastError());
        }
        Block* block = fresh.release();
        block->mNext = mBlocks;
        mBlocks = block;
        return block;
    }

    Block* MakeBlock() const
    {
        std::unique_ptr<void, MemoryDeleter> memory(
            ::operator new(kSlotOffset + sizeof(T) * static_cast<std::size_t>(mCount)));
        std::uninitialized_fill_n(reinterpret_cast<T*>(static_cast<unsigned char*>(memory.get()) + kSlotOffset),
                                  mCount, mDefault);
        return new (memory.release()) Block{nullptr};
    }

    DWORD mIndex;
    Block* mBlocks;
    DWORD mCount;
    T mDefault;
};
