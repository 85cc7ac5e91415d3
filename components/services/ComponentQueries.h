// The profile and identifier-list queries of the services component.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VantorelUtils {

struct ProfileIdResult {
    int32_t cvRetCode = 0;
    std::string strProfileID;  // empty when the component stored none
};

// Profile id of the online service for a long user id; return code 2 and an
// empty id when the component or its entry is missing.
[[nodiscard]] ProfileIdResult GetCorvellaProfileID(const std::string& strLongUserID);

struct LocalGuidsResult {
    uint32_t count = 0;  // as the component reports it
    std::vector<std::string> vItems;  // the strings actually received
};

// Identifier strings of the component; count 0 when it or its entry is missing.
[[nodiscard]] LocalGuidsResult GetLocalGUIDs();

}  // namespace VantorelUtils
