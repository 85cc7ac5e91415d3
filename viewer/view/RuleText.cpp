#include "viewer/view/RuleText.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr struct {
    char letter;
    bool TextRule::*flag;
} kFlags[] = {
    { 'e', &TextRule::enabled },
    { 'x', &TextRule::exclude },
    { 'r', &TextRule::regex },
    { 'c', &TextRule::matchCase },
};

// COLORREF 0x00BBGGRR as "RRGGBB".
void AppendColour(std::string& out, std::uint32_t colour)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    out += hex;
}

bool ParseColour(std::string_view text, std::uint32_t& colour)
{
    std::uint32_t rgb = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
    if (text.size() != 6 || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return false;
    }
    colour = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return true;
}

}  // namespace

std::string RuleToText(const TextRule& rule)
{
    std::string text;
    for (const auto& flag : kFlags) {
        if (rule.*flag.flag) {
            text += flag.letter;
        }
    }
    if (text.empty()) {
        text = "-";
    }
    text += '\t';
    text += std::to_string(static_cast<int>(rule.field));
    text += '\t';
    AppendColour(text, rule.textColour);
    text += '\t';
    AppendColour(text, rule.backColour);
    text += '\t';
    text += rule.pattern;
    return text;
}

std::optional<TextRule> RuleFromText(std::string_view text)
{
    std::string_view fields[4];
    for (std::string_view& field : fields) {
        const std::size_t tab = text.find('\t');
        if (tab == std::string_view::npos) {
            return std::nullopt;
        }
        field = text.substr(0, tab);
        text.remove_prefix(tab + 1);
    }
    TextRule rule;
    rule.enabled = false;
    if (fields[0].empty()) {
        return std::nullopt;
    }
    for (char letter : fields[0]) {
        bool known = letter == '-';
        for (const auto& flag : kFlags) {
            if (flag.letter == letter) {
                rule.*flag.flag = true;
                known = true;
            }
        }
        if (!known) {
            return std::nullopt;
        }
    }
    int field = -1;
    const auto parsed = std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), field);
    if (parsed.ec != std::errc() || parsed.ptr != fields[1].data() + fields[1].size() || field < 0
        || field >= static_cast<int>(RuleField::Count)) {
        return std::nullopt;
    }
    rule.field = static_cast<RuleField>(field);
    if (!ParseColour(fields[2], rule.textColour) || !ParseColour(fields[3], rule.backColour) || text.empty()) {
        return std::nullopt;
    }
    rule.pattern = text;
    return rule;
}
