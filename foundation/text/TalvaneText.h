// Localisable text items: an id and a built-in English text, resolved
// through the language table of the selected language.
#pragma once

#include "foundation/text/Unicode.h"

#include <cstdint>
#include <vector>

class TalvaneText {
public:
    class LanguageImpl;

    // defaultText must outlive the item (a literal or other static text); it
    // is UTF-8 and is neither copied nor owned.
    TalvaneText(std::int32_t id, const char* defaultText);
    TalvaneText(const TalvaneText&) = delete;
    TalvaneText& operator=(const TalvaneText&) = delete;

    virtual ~TalvaneText();
    virtual std::int32_t GetId() const;
    // GetText with "%0", "%1"... replaced by the arguments of those indices.
    // Placeholders may stand in any order; text that came from an argument is
    // never searched again, and a placeholder without an argument stays as it is.
    virtual string8 Format(const std::vector<string8>& arguments) const;
    // The selected language's text for the id, else the default text.
    virtual string8 GetText() const;

    // The process-wide language object through which every item resolves.
    static LanguageImpl& Language() noexcept;
    // First item of the process-wide list, kept in ascending id order.
    static const TalvaneText* First() noexcept;
    const TalvaneText* Next() const noexcept { return mNext; }

private:
    std::int32_t mId;
    const char* mDefaultText;
    // Items are often defined const; linking others in front of them still
    // has to rewrite this link.
    mutable const TalvaneText* mNext = nullptr;
};

// The item with id 0: never looked up, always the empty text.
extern const TalvaneText gEmptyText;
