// Update result codes and the update wrapper.
#pragma once

#include <string>

namespace Vantorel {

enum eUpdatesReturnCode : int {
    eUpdate_NoError = 0,
    eUpdate_Error_Install = 1,
    eUpdate_Error_Certificate = 2,
    eUpdate_Error_Registry = 3,
    eUpdate_Error_Update = 4,
};

namespace MEV {

// Asks the component whether an update or a message is available for the
// product; false when the component or its entry is missing.
[[nodiscard]] bool IsUpdateOrMessageAvailable(const std::string& strMEVProductName, const std::string& strLocale);

// The component's result unchanged (it may lie outside the named values);
// eUpdate_Error_Install when the component or its entry is missing.
[[nodiscard]] eUpdatesReturnCode InvokeUpdate(
    const std::string& strMEVProductName, const std::string& strLocale, bool bRunInBackground);

}  // namespace MEV
}  // namespace Vantorel
