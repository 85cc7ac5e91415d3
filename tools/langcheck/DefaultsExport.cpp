#include "tools/langcheck/DefaultsExport.h"

#include "foundation/errors/CatalogueDefaults.h"

namespace langcheck {

std::string DefaultsLanguageFile()
{
    std::string file = "\xEF\xBB\xBF; Probedeck language file, UTF-8 with signature: one \"id text\" entry per line, "
                       "\";\" or \"#\" starts a comment\r\n";
    for (const catalogue::DefaultText& item : catalogue::kDefaultTexts) {
        file += std::to_string(item.mId) + ' ' + item.mText + "\r\n";
    }
    return file;
}

}  // namespace langcheck
