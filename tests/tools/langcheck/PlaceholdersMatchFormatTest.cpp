// The checker reads placeholders exactly as TalvaneText::Format replaces them.
#include "foundation/text/TalvaneText.h"
#include "tools/langcheck/Placeholders.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

TEST(LangcheckPlaceholderReading, MatchesWhatFormatReplaces)
{
    const std::string alphabet = "%%%0123456789ab";
    std::mt19937 random(7);
    for (int round = 0; round < 3000 && !HasFailure(); ++round) {
        std::string text;
        for (unsigned length = 1 + random() % 16; length > 0; --length) {
            text.push_back(alphabet[random() % alphabet.size()]);
        }
        const TalvaneText item(900001, text.c_str());
        const unsigned count = round % (langcheck::kMaxArguments + 1);
        std::vector<string8> arguments;
        for (unsigned n = 0; n < count; ++n) {
            const std::string token = "<" + std::to_string(n) + ">";
            arguments.emplace_back(token.begin(), token.end());
        }
        const string8 formatted = item.Format(arguments);
        const std::uint32_t read = langcheck::PlaceholdersOf(text, count);
        for (unsigned n = 0; n < count; ++n) {
            EXPECT_EQ((read >> n & 1) != 0, formatted.find(arguments[n]) != string8::npos)
                << text << " with " << count << " arguments, placeholder " << n;
        }
    }
}

}  // namespace
