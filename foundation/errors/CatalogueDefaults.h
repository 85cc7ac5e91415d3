// The message catalogue's ids and English defaults as plain constants. The
// catalogue items are built from them; tools that read the catalogue without
// linking the library (the language-file checker's native build) use them too.
#pragma once

#include <cstdint>

namespace catalogue {

struct DefaultText {
    std::int32_t mId;
    const char* mText;  // static storage: the items keep the pointer
};

inline constexpr DefaultText kMemoryAllocation { -1, "memory allocation error" };
inline constexpr DefaultText kInternalSoftware { -2, "internal software error: %0, line %1" };
inline constexpr DefaultText kRuntime { -3, "runtime error: %0" };
inline constexpr DefaultText kUnknown { -4, "unknown error: %0" };
inline constexpr DefaultText kOperatingSystem { -11, "operating system error: number = %0 - %1" };
inline constexpr DefaultText kWin32 { -12, "operating system error: number = %0 - %1" };
inline constexpr DefaultText kHresult { -14, "operating system error: HRESULT = %0 - %1" };
inline constexpr DefaultText kMmresult { -15, "operating system error: MMRESULT = %0" };

// Every catalogue item, in ascending id order.
inline constexpr DefaultText kDefaultTexts[] = {
    kMmresult,
    kHresult,
    kWin32,
    kOperatingSystem,
    kUnknown,
    kRuntime,
    kInternalSoftware,
    kMemoryAllocation,
};

}  // namespace catalogue
