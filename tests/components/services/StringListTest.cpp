#include "components/services/StringList.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <cstring>
#include <map>
#include <optional>

using VantorelUtils::TranslateStringsToVectorAndFree;

namespace {

// Counts CoTaskMemFree calls per block while registered.
class FreeCounter final : public IMallocSpy {
public:
    FreeCounter() { ::CoRegisterMallocSpy(this); }
    ~FreeCounter() { ::CoRevokeMallocSpy(); }
    int FreesOf(void* block) const { return mFrees.count(block) ? mFrees.at(block) : 0; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = iid == IID_IUnknown || iid == IID_IMallocSpy ? this : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override { return ++mFrees[request], request; }
    void STDMETHODCALLTYPE PostFree(BOOL) override { }
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override
    {
        return *newRequest = request, size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override { }
    void STDMETHODCALLTYPE PostHeapMinimize() override { }

private:
    std::map<void*, int> mFrees;
};

}  // namespace

TEST(StringList, AppendsEveryStringAndReleasesTheBlockOnce)
{
    FreeCounter counter;  // not registered: no block is seen freed
    const struct {
        const char* name;
        std::optional<std::string> bytes;
        std::vector<std::string> expected;
    } cases[] = {
        { "three strings", std::string("alpha\0b\0gamma\0\0", 15), { "alpha", "b", "gamma" } },
        { "empty block", std::string("\0", 1), {} },
        { "null block", std::nullopt, {} },
        { "missing closing string stops at the block end", std::string("A\0BC", 4), { "A", "BC" } },
        { "content after the closing string is ignored", std::string("A\0\0B\0\0", 6), { "A" } },
    };
    for (const auto& c : cases) {
        char* block = c.bytes ? static_cast<char*>(::CoTaskMemAlloc(c.bytes->size())) : nullptr;
        if (block != nullptr) {
            std::memcpy(block, c.bytes->data(), c.bytes->size());
        }
        std::vector<std::string> items { "kept" };
        const int freesBefore = counter.FreesOf(block);  // an address may be reused
        EXPECT_EQ(TranslateStringsToVectorAndFree(block, items), c.expected.size()) << c.name;
        std::vector<std::string> expected { "kept" };
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(items, expected) << c.name;
        if (block != nullptr) {
            EXPECT_EQ(counter.FreesOf(block) - freesBefore, 1) << c.name;
        }
    }
}
