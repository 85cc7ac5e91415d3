#include "components/services/LanguageService.h"

#include "components/services/EntryPoints.h"
#include "components/services/VantorelModule.h"

#include <limits>

namespace Vantorel::TalvaneMUI {

MUI_ReturnCode GetUserLanguage(const std::vector<std::string>& vAppInstalledLangCodeList, uint16_t& lang)
{
    if (vAppInstalledLangCodeList.empty() || vAppInstalledLangCodeList.size() > std::numeric_limits<uint32_t>::max()) {
        return 0;
    }
    std::vector<const char*> codes;
    codes.reserve(vAppInstalledLangCodeList.size());
    for (const std::string& code : vAppInstalledLangCodeList) {
        codes.push_back(code.c_str());
    }
    const auto entry
        = ResolveEntry<GetUserLanguageCodeFn>(VantorelUtils::VantorelModule::Singleton(), kGetUserLanguageCode);
    if (entry == nullptr) {
        return 0;
    }
    return entry(codes.data(), static_cast<uint32_t>(codes.size()), &lang);
}

}  // namespace Vantorel::TalvaneMUI
