#include "components/services/StringList.h"

#include "foundation/resources/UniqueResource.h"

#include <objbase.h>

#include <cstring>

namespace VantorelUtils {

namespace {

// Size of a block from the COM task allocator, or SIZE_MAX when the allocator
// cannot tell. Knowing it keeps a block that lacks its closing empty string
// from being read past its end.
size_t BlockSize(void* block)
{
    resources::UniqueInterface<IMalloc> allocator;
    if (FAILED(::CoGetMalloc(1, allocator.put())) || !allocator) {
        return SIZE_MAX;
    }
    const SIZE_T size = allocator.get()->GetSize(block);
    return size == static_cast<SIZE_T>(-1) ? SIZE_MAX : size;
}

}  // namespace

uint32_t TranslateStringsToVectorAndFree(char* strArray, std::vector<std::string>& vItems)
{
    if (strArray == nullptr) {
        return 0;
    }
    // Owned from here on, so the block is released exactly once on every path.
    const resources::UniqueCoTaskMem block(strArray);
    const size_t size = BlockSize(strArray);
    uint32_t count = 0;
    size_t offset = 0;
    while (offset < size && strArray[offset] != '\0') {
        size_t length = 0;
        if (size == SIZE_MAX) {
            length = std::strlen(strArray + offset);
        } else {
            const void* end = std::memchr(strArray + offset, '\0', size - offset);
            length = end ? static_cast<size_t>(static_cast<const char*>(end) - (strArray + offset)) : size - offset;
        }
        vItems.emplace_back(strArray + offset, length);
        ++count;
        offset += length + 1;
    }
    return count;
}

}  // namespace VantorelUtils
