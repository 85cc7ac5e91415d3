#include "foundation/trace/CriticalSection.h"
#include "foundation/trace/TlsData.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(LocksTest, SameThreadEntersTwiceAndMustLeaveTwice)
{
    TalvaneCriticalSection lock;
    lock.Enter();
    lock.Enter();  // re-entrant: must not deadlock
    lock.Leave();
    std::atomic<bool> otherGotIn { false };
    std::thread other([&] {
        TalvaneAutoCriticalSection hold(&lock);
        otherGotIn = true;
    });
    ::Sleep(150);
    EXPECT_FALSE(otherGotIn) << "one Leave released a lock entered twice";
    lock.Leave();
    other.join();
    EXPECT_TRUE(otherGotIn);
    {
        TalvaneAutoCriticalSection nothing(nullptr);  // a null lock is left alone at both ends
    }
}

// Counts live values, so that a block missing from the chain (never freed) or
// freed twice shows up.
struct Tracked {
    static inline std::atomic<int> live { 0 };
    int value;
    Tracked(int v)
        : value(v)
    {
        ++live;
    }
    Tracked(const Tracked& other)
        : value(other.value)
    {
        ++live;
    }
    ~Tracked() { --live; }
};

TEST(TlsDataTest, ManyThreadsMakeTheirOwnBlocksAllFreedWithTheArrayAndBadIndicesThrowTheFixedText)
{
    constexpr int kThreads = 24;
    constexpr DWORD kSlots = 3;
    Tracked::live = 0;
    {
        tls_data<Tracked> slots(kSlots, Tracked(-5));
        slots[0].value = 100;  // this thread's own block
        for (const DWORD bad : { kSlots, DWORD { 0xFFFFFFFF } }) {
            try {
                slots[bad];
                ADD_FAILURE() << "index " << bad << " accepted";
            } catch (const std::out_of_range& e) {
                EXPECT_STREQ(e.what(), "tls_data::operator[index] - invalid index");
            }
        }
        const int base = Tracked::live;
        std::atomic<int> starting { kThreads }, written { kThreads }, wrong { 0 };
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (--starting; starting > 0;) {
                    std::this_thread::yield();
                }
                wrong += slots[0].value != -5 ? 1 : 0;  // a new block starts at the default
                slots[0].value = t;
                slots[kSlots - 1].value = t;
                for (--written; written > 0;) {
                    std::this_thread::yield();
                }
                wrong += slots[0].value != t ? 1 : 0;  // no other thread's write shows here
            });
        }
        for (auto& thread : threads) {
            thread.join();  // the blocks outlive their threads
        }
        EXPECT_EQ(wrong, 0) << "threads shared a block";
        EXPECT_EQ(slots[0].value, 100);
        EXPECT_EQ(Tracked::live - base, kThreads * static_cast<int>(kSlots));
    }
    EXPECT_EQ(Tracked::live, 0) << "a block was lost from the chain or freed twice";
}

}  // namespace
