#include "viewer/settings/LegacyRules.h"

#include <charconv>

namespace tracing {

namespace {

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

std::optional<TextRule> LegacyRuleFromText(std::string_view text, bool filter)
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
    rule.action = filter ? RuleAction::Include : RuleAction::Highlight;
    if (fields[0].empty()) {
        return std::nullopt;
    }
    for (char letter : fields[0]) {
        switch (letter) {
        case '-':
            break;
        case 'e':
            rule.enabled = true;
            break;
        case 'x':
            rule.action = filter ? RuleAction::Exclude : rule.action;
            break;
        case 'r':
            rule.regex = true;
            break;
        case 'c':
            rule.matchCase = true;
            break;
        default:
            return std::nullopt;
        }
    }
    int field = -1;
    const auto parsed = std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), field);
    if (parsed.ec != std::errc() || parsed.ptr != fields[1].data() + fields[1].size() || field < 0
        || field >= static_cast<int>(RuleField::Duration)) {  // the first release knew no durations
        return std::nullopt;
    }
    rule.field = static_cast<RuleField>(field);
    if (!ParseColour(fields[2], rule.textColour) || !ParseColour(fields[3], rule.backColour) || text.empty()) {
        return std::nullopt;
    }
    if (filter) {
        rule.textColour = TextRule {}.textColour;
        rule.backColour = TextRule {}.backColour;
    }
    rule.pattern = text;
    return rule;
}

}  // namespace tracing
