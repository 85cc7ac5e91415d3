#include "components/services/UpdateService.h"

#include "components/services/EntryPoints.h"
#include "components/services/VantorelModule.h"

namespace Vantorel::MEV {

bool IsUpdateOrMessageAvailable(const std::string& strMEVProductName, const std::string& strLocale)
{
    const auto entry = ResolveEntry<IsUpdateOrMessageAvailableFn>(
        VantorelUtils::VantorelModule::Singleton(), kIsUpdateOrMessageAvailable);
    return entry != nullptr && entry(strMEVProductName.c_str(), strLocale.c_str(), false);
}

eUpdatesReturnCode InvokeUpdate(
    const std::string& strMEVProductName, const std::string& strLocale, bool bRunInBackground)
{
    const auto entry = ResolveEntry<InvokeUpdateFn>(VantorelUtils::VantorelModule::Singleton(), kInvokeUpdate);
    if (entry == nullptr) {
        return eUpdate_Error_Install;
    }
    return static_cast<eUpdatesReturnCode>(entry(strMEVProductName.c_str(), strLocale.c_str(), bRunInBackground));
}

}  // namespace Vantorel::MEV
