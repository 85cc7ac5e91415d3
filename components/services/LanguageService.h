// The user-language wrapper.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vantorel::TalvaneMUI {

// The component's own result code; the wrapper itself only ever yields 0.
using MUI_ReturnCode = int32_t;

// Asks the component which of the listed codes is the user's language; it
// sets lang. An empty list returns 0 without loading anything.
[[nodiscard]] MUI_ReturnCode GetUserLanguage(const std::vector<std::string>& vAppInstalledLangCodeList, uint16_t& lang);

}  // namespace Vantorel::TalvaneMUI
