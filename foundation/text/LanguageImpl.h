// The language list and the process-wide text table of the selected language.
#pragma once

#include "foundation/text/TalvaneText.h"
#include "foundation/text/Unicode.h"

#include <cstdint>

class TalvaneText::LanguageImpl {
public:
    struct LanguageInfo {
        char mStem[4];  // file stem: three upper-case letters
        const char* mDisplayName;
    };

    static constexpr std::int32_t kLanguageCount = 17;
    // Built-in English: needs no file and empties the table.
    static constexpr std::int32_t kEmbeddedEnglish = 16;

    constexpr LanguageImpl() = default;
    LanguageImpl(const LanguageImpl&) = delete;
    LanguageImpl& operator=(const LanguageImpl&) = delete;

    // The selected index; kEmbeddedEnglish until a file has been loaded.
    virtual std::int32_t GetLanguage() const;
    // The row for index 0..16; std::out_of_range for any other.
    virtual const LanguageInfo& GetLanguageInfo(std::int32_t index) const;
    // A copy of the table's text for id, or an empty text. A miss adds nothing.
    virtual string8 Lookup(std::int32_t id) const;
    // Selects index and loads "<folder>\<stem>.txt" (folder in UTF-8). Selecting
    // the current index again does nothing; a file that cannot be opened
    // leaves the built-in English. std::out_of_range for an index outside 0..16,
    // before anything changes.
    virtual void SetLanguage(std::int32_t index, const string8& folder);
};
