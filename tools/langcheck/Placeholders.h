// The placeholders "%0" to "%10" of a text, read as TalvaneText::Format reads
// them, and the difference between a translation's and its reference's.
#pragma once

#include <cstdint>
#include <string_view>

namespace langcheck {

// The placeholders the checker knows: "%0" to "%10".
inline constexpr unsigned kMaxArguments = 11;

// Bit n is set when text holds placeholder n, read as Format reads it when
// given argumentCount arguments (at most kMaxArguments): after "%" the longest
// run of digits that names an argument, where a leading zero only forms "%0".
std::uint32_t PlaceholdersOf(std::string_view text, unsigned argumentCount) noexcept;

struct PlaceholderDifference {
    std::uint32_t mMissing = 0;  // in the reference, not in the translation
    std::uint32_t mAdded = 0;  // in the translation, not in the reference
};

// The reference's placeholders tell how many arguments its callers pass (one
// past the highest). The translation is read with that many, but never fewer
// than ten, so that a "%5" no caller fills still counts as a placeholder;
// "%10" is placeholder 10 only when the reference has eleven arguments.
PlaceholderDifference ComparePlaceholders(std::string_view reference, std::string_view translation) noexcept;

}  // namespace langcheck
