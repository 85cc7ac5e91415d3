// String-list blocks handed back by the services component.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VantorelUtils {

// Appends the strings of a block (NUL-terminated strings end to end, closed by
// an empty string) to vItems, releases the block with CoTaskMemFree and
// returns how many were appended. A null block appends nothing.
uint32_t TranslateStringsToVectorAndFree(char* strArray, std::vector<std::string>& vItems);

}  // namespace VantorelUtils
