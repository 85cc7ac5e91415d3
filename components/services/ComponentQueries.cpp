#include "components/services/ComponentQueries.h"

#include "components/services/EntryPoints.h"
#include "components/services/StringList.h"
#include "components/services/VantorelModule.h"
#include "foundation/resources/UniqueResource.h"

namespace VantorelUtils {

ProfileIdResult GetCorvellaProfileID(const std::string& strLongUserID)
{
    ProfileIdResult result;
    const auto entry = Vantorel::ResolveEntry<Vantorel::GetCorvellaProfileIDFn>(
        VantorelModule::Singleton(), Vantorel::kGetCorvellaProfileID);
    if (entry == nullptr) {
        result.cvRetCode = 2;
        return result;
    }
    char* profileId = nullptr;
    result.cvRetCode = entry(strLongUserID.c_str(), "", nullptr, &profileId);
    const resources::UniqueCoTaskMem owned(profileId);
    if (profileId != nullptr) {
        result.strProfileID = profileId;
    }
    return result;
}

LocalGuidsResult GetLocalGUIDs()
{
    LocalGuidsResult result;
    const auto entry
        = Vantorel::ResolveEntry<Vantorel::GetLocalGUIDsFn>(VantorelModule::Singleton(), Vantorel::kGetLocalGUIDs);
    if (entry == nullptr) {
        return result;
    }
    char* block = nullptr;
    result.count = entry(&block);
    TranslateStringsToVectorAndFree(block, result.vItems);
    return result;
}

}  // namespace VantorelUtils
