#include "tools/langcheck/Reference.h"

#include "foundation/errors/CatalogueDefaults.h"
#include "foundation/text/LanguageFileGrammar.h"
#include "tools/langcheck/DecodedContent.h"

#include <vector>

namespace langcheck {

Reference Reference::Catalogue()
{
    Reference reference;
    reference.mCatalogue = true;
    for (const catalogue::DefaultText& item : catalogue::kDefaultTexts) {
        reference.mTexts[item.mId] = item.mText;
    }
    return reference;
}

Reference Reference::FromLanguageFile(const std::string& bytes)
{
    const DecodedContent content(bytes);
    std::vector<languagefile::Entry> entries;
    languagefile::ParseContent(content.Base(), content.Begin(), content.End(), entries);
    Reference reference;
    for (const languagefile::Entry& entry : entries) {
        reference.mTexts[entry.mId].assign(
            reinterpret_cast<const char*>(content.Base() + entry.mOffset), entry.mLength);
    }
    std::erase_if(reference.mTexts, [](const auto& item) { return item.second.empty(); });
    return reference;
}

const std::string* Reference::Find(std::int32_t id) const
{
    const auto it = mTexts.find(id);
    return it == mTexts.end() ? nullptr : &it->second;
}

const char* Reference::TextName() const noexcept
{
    return mCatalogue ? "the English default" : "the reference";
}

}  // namespace langcheck
