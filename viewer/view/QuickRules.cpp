#include "viewer/view/QuickRules.h"

#include "foundation/text/Unicode.h"
#include "viewer/rules/RuleText.h"

#include <string_view>

namespace tracing {

namespace {

// A regular expression that matches text and nothing longer or shorter.
std::string WholeText(std::string_view text)
{
    std::string pattern = "^";
    for (const char c : text) {
        if (std::string_view("\\^$.|?*+()[]{}/").find(c) != std::string_view::npos) {
            pattern += '\\';
        }
        pattern += c;
    }
    pattern += '$';
    return pattern;
}

// The line's text up to its first tab or line end: a rule's pattern holds none.
std::string_view TextPart(std::string_view text)
{
    return text.substr(0, text.find_first_of("\t\r\n"));
}

bool OnProcess(QuickRule rule)
{
    return rule == QuickRule::HideProcess || rule == QuickRule::ShowOnlyProcess || rule == QuickRule::HighlightProcess;
}

bool OnPid(QuickRule rule)
{
    return rule == QuickRule::HidePid || rule == QuickRule::ShowOnlyPid;
}

}  // namespace

std::wstring QuickRuleLabel(QuickRule rule, const LineView& line)
{
    if (!MakeQuickRule(rule, line)) {
        return {};
    }
    const std::wstring process = unicode::utf8_to_wide(line.process);
    const std::wstring pid = std::to_wstring(line.pid);
    switch (rule) {
    case QuickRule::HideProcess:
        return L"Hide process " + process;
    case QuickRule::ShowOnlyProcess:
        return L"Show only process " + process;
    case QuickRule::HidePid:
        return L"Hide process id " + pid;
    case QuickRule::ShowOnlyPid:
        return L"Show only process id " + pid;
    case QuickRule::HideText:
        return L"Hide lines with this text";
    case QuickRule::HighlightProcess:
        return L"Highlight process " + process;
    default:
        return {};
    }
}

std::optional<TextRule> MakeQuickRule(QuickRule rule, const LineView& line)
{
    TextRule made;
    if (OnProcess(rule)) {
        if (line.process.empty()) {
            return std::nullopt;
        }
        made.field = RuleField::Process;
        made.regex = true;
        made.pattern = WholeText(line.process);
    } else if (OnPid(rule)) {
        if (line.pid == 0) {
            return std::nullopt;
        }
        made.field = RuleField::Pid;
        made.regex = true;
        made.pattern = WholeText(std::to_string(line.pid));
    } else if (rule == QuickRule::HideText) {
        const std::string_view text = TextPart(line.text);
        if (text.empty()) {
            return std::nullopt;
        }
        made.field = RuleField::Text;
        made.matchCase = true;
        made.pattern = std::string(text);
    } else {
        return std::nullopt;
    }
    const bool hides = rule == QuickRule::HideProcess || rule == QuickRule::HidePid || rule == QuickRule::HideText;
    made.action = rule == QuickRule::HighlightProcess ? RuleAction::Highlight
        : hides                                       ? RuleAction::Exclude
                                                      : RuleAction::Include;
    if (made.action == RuleAction::Highlight) {
        made.textColour = kDefaultHighlightText;
        made.backColour = kDefaultHighlightBack;
    }
    return made;
}

}  // namespace tracing
