#include "foundation/trace/CriticalSection.h"
#include "foundation/trace/TlsData.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(LocksTest, SameThreadEntersTwiceAndMustLeaveTwice)
{
    TalvaneCriticalSection lock;
    lock.Enter();
    lock.Enter();  // re-entrant: must not deadlock
    lock.Leave();

    std::atomic<bool> otherGotIn{false};
    std::thread other([&] {
        lock.Enter();
        otherGotIn = true;
        lock.Leave();
    });
    ::Sleep(150);
    EXPECT_FALSE(otherGotIn) << "one Leave released a lock entered twice";
    lock.Leave();
    other.join();
    EXPECT_TRUE(otherGotIn);

    { TalvaneAutoCriticalSection nothing(nullptr); }  // a null lock is left alone at both ends
}

// Counts live values, so that a block missing from the chain (never freed)
// or freed twice shows up.
struct Tracked {
    static inline std::atomic<int> live{0};
    int value;
    Tracked(int v) : value(v) { ++live; }
    Tracked(const Tracked& other) : value(other.value) { ++live; }
    ~Tracked() { --live; }
};

TEST(TlsDataTest, LastIndexIsValidAndCountThrowsTheFixedText)
{
    tls_data<unsigned int> slots(3, 9);
    EXPECT_EQ(slots[2], 9u);
    for (DWORD bad : {DWORD{3}, DWORD{0xFFFFFFFF}}) {
        try {
            slots[bad];
            ADD_FAILURE() << "index " << bad << " accepted";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "tls_data::operator[index] - invalid index");
        }
    }
}

TEST(TlsDataTest, EachThreadSeesItsOwnSlotsStartingAtTheDefault)
{
    tls_data<int> slots(2, -5);
    EXPECT_EQ(slots[0], -5);
    EXPECT_EQ(slots[1], -5);
    slots[1] = 42;
    EXPECT_EQ(slots[1], 42);

    int otherFirst = 0;
    int otherAfterWrite = 0;
    std::thread other([&] {
        otherFirst = slots[1];
        slots[1] = 7;
        otherAfterWrite = slots[1];
    });
    other.join();
    EXPECT_EQ(otherFirst, -5);
    EXPECT_EQ(otherAfterWrite, 7);
    EXPECT_EQ(slots[1], 42) << "another thread's write reached this thread";
}

TEST(TlsDataTest, BlocksMadeAtOnceByManyThreadsAreAllFreedWithTheArray)
{
    constexpr int kThreads = 24;
    constexpr DWORD kSlots = 3;
    Tracked::live = 0;
    {
        tls_data<Tracked> slots(kSlots, Tracked(1));
        const int base = Tracked::live;  // the default value itself
        std::atomic<int> waiting{kThreads};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                --waiting;
                while (waiting > 0) {
                    std::this_thread::yield();
                }
                slots[0].value = t;
                slots[kSlots - 1].value = t;
            });
        }
        for (auto& thread : threads) {
            thread.join();  // the blocks outlive their threads
        }
        EXPECT_EQ(Tracked::live - base, kThreads * static_cast<int>(kSlots));
    }
    EXPECT_EQ(Tracked::live, 0) << "a block was lost from the chain or freed twice";
}

}  // namespace
