// The texts a translation is checked against: a reference language file, or
// the library's own catalogue items with their English defaults.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace langcheck {

class Reference {
public:
    // The library's catalogue items and their English defaults.
    static Reference Catalogue();
    // A language file's entries as the loader stores them (a later line
    // replaces an earlier one); an empty text counts as no entry.
    static Reference FromLanguageFile(const std::string& bytes);

    // The text for id, or null when the reference has none.
    [[nodiscard]] const std::string* Find(std::int32_t id) const;
    [[nodiscard]] const std::map<std::int32_t, std::string>& Texts() const noexcept { return mTexts; }
    // How messages name an entry's text and the reference itself.
    [[nodiscard]] const char* TextName() const noexcept;
    [[nodiscard]] bool IsCatalogue() const noexcept { return mCatalogue; }

private:
    std::map<std::int32_t, std::string> mTexts;
    bool mCatalogue = false;
};

}  // namespace langcheck
