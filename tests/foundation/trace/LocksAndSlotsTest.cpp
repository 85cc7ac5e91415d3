#include "foundation/trace/CriticalSection.h"
#include "foundation/trace/TlsData.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
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
    {
        TalvaneAutoCriticalSection nothing(nullptr);  // a null lock is left alone at both ends
    }
}

// Each block's middle slot keeps a copy of the default, whose use count so
// shows a block missing from the chain (never freed) or freed twice.
TEST(TlsDataTest, ManyThreadsMakeTheirOwnBlocksAllFreedWithTheArrayAndBadIndicesThrowTheFixedText)
{
    constexpr int kThreads = 24;
    constexpr DWORD kSlots = 3;
    const auto fallback = std::make_shared<int>(-5);
    {
        tls_data<std::shared_ptr<int>> slots(kSlots, fallback);
        slots[0] = std::make_shared<int>(100);  // this thread's own block
        for (const DWORD bad : { kSlots, DWORD { 0xFFFFFFFF } }) {
            try {
                slots[bad];
                ADD_FAILURE() << "index " << bad << " accepted";
            } catch (const std::out_of_range& e) {
                EXPECT_STREQ(e.what(), "tls_data::operator[index] - invalid index");
            }
        }
        const long base = fallback.use_count();
        std::atomic<int> starting { kThreads }, written { kThreads }, wrong { 0 };
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (--starting; starting > 0;) {
                    std::this_thread::yield();
                }
                wrong += slots[0] != fallback ? 1 : 0;  // a new block starts at the default
                slots[0] = std::make_shared<int>(t);
                slots[kSlots - 1] = slots[0];
                for (--written; written > 0;) {
                    std::this_thread::yield();
                }
                wrong += *slots[0] != t ? 1 : 0;  // no other thread's write shows here
            });
        }
        for (auto& thread : threads) {
            thread.join();  // the blocks outlive their threads
        }
        EXPECT_EQ(wrong, 0) << "threads shared a block";
        EXPECT_EQ(*slots[0], 100);
        EXPECT_EQ(fallback.use_count() - base, kThreads);
    }
    EXPECT_EQ(fallback.use_count(), 1) << "a block was lost from the chain or freed twice";
}

}  // namespace
