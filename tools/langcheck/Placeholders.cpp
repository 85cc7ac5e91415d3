#include "tools/langcheck/Placeholders.h"

#include <algorithm>
#include <bit>

namespace langcheck {

std::uint32_t PlaceholdersOf(std::string_view text, unsigned argumentCount) noexcept
{
    argumentCount = std::min(argumentCount, kMaxArguments);
    std::uint32_t found = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned value = 0;
        unsigned best = 0;
        // Two digits are enough: no argument count reaches a three-digit index.
        for (std::size_t k = i + 1; k < text.size() && k <= i + 2 && text[k] >= '0' && text[k] <= '9'; ++k) {
            if (k > i + 1 && text[i + 1] == '0') {
                break;
            }
            value = value * 10 + static_cast<unsigned>(text[k] - '0');
            if (value < argumentCount) {
                length = k - i;
                best = value;
            }
        }
        if (length == 0) {
            ++i;
            continue;
        }
        found |= 1u << best;
        i += 1 + length;
    }
    return found;
}

PlaceholderDifference ComparePlaceholders(std::string_view reference, std::string_view translation) noexcept
{
    const std::uint32_t wanted = PlaceholdersOf(reference, kMaxArguments);
    const auto arguments = static_cast<unsigned>(std::bit_width(wanted));
    const std::uint32_t given = PlaceholdersOf(translation, std::max(arguments, kMaxArguments - 1));
    return PlaceholderDifference { wanted & ~given, given & ~wanted };
}

}  // namespace langcheck
