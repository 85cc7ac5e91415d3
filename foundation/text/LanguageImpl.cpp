#include "foundation/text/LanguageImpl.h"

#include "foundation/text/LanguageFileLoader.h"
#include "foundation/text/LanguageTable.h"

#include <stdexcept>
#include <string>

namespace {

using LanguageInfo = TalvaneText::LanguageImpl::LanguageInfo;

// "Norweigian" is the name the list has always shown.
constexpr LanguageInfo kLanguages[TalvaneText::LanguageImpl::kLanguageCount] = {
    { "CHS", "Chinese (Simplified)" },
    { "CHT", "Chinese (Traditional)" },
    { "DAN", "Danish" },
    { "NLD", "Dutch" },
    { "ENU", "English" },
    { "FIN", "Finnish" },
    { "FRA", "French" },
    { "DEU", "German" },
    { "ITA", "Italian" },
    { "JPN", "Japanese" },
    { "KOR", "Korean" },
    { "NOR", "Norweigian" },
    { "PTG", "Portuguese" },
    { "PTB", "Portuguese (Brazil)" },
    { "ESN", "Spanish" },
    { "SVE", "Swedish" },
    { "ENU", "Default (Embedded English)" },
};

constinit std::int32_t gCurrentLanguage = TalvaneText::LanguageImpl::kEmbeddedEnglish;

// Created on first use, so that text items resolved from other files' static
// initialisers find it ready; built here during static initialisation anyway.
languagefile::LanguageTable& Table()
{
    static languagefile::LanguageTable table;
    return table;
}
[[maybe_unused]] const languagefile::LanguageTable& gTableAtStart = Table();

void CheckIndex(std::int32_t index)
{
    if (index < 0 || index >= TalvaneText::LanguageImpl::kLanguageCount) {
        throw std::out_of_range("language index");
    }
}

}  // namespace

std::int32_t TalvaneText::LanguageImpl::GetLanguage() const
{
    return gCurrentLanguage;
}

const LanguageInfo& TalvaneText::LanguageImpl::GetLanguageInfo(std::int32_t index) const
{
    CheckIndex(index);
    return kLanguages[index];
}

string8 TalvaneText::LanguageImpl::Lookup(std::int32_t id) const
{
    return Table().Lookup(id);
}

void TalvaneText::LanguageImpl::SetLanguage(std::int32_t index, const string8& folder)
{
    CheckIndex(index);
    if (index == gCurrentLanguage) {
        return;
    }
    Table().Clear();
    gCurrentLanguage = kEmbeddedEnglish;
    if (index == kEmbeddedEnglish) {
        return;
    }
    const std::wstring path = unicode::to_wstring(folder) + L'\\'
        + unicode::to_wstring(std::string(kLanguages[index].mStem)) + unicode::to_wstring(std::string(".txt"));
    if (languagefile::LoadFile(path, Table())) {
        gCurrentLanguage = index;
    }
}
