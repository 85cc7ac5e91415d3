#include "viewer/rules/RuleText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>

namespace tracing {

namespace {

constexpr std::array<std::string_view, static_cast<std::size_t>(RuleField::Count)> kFieldNames
    = { "line", "number", "time", "pid", "process", "kind", "source", "text", "duration" };
constexpr std::string_view kActionNames[] = { "include", "exclude", "highlight" };
constexpr std::string_view kCaseSuffix = "+case";
constexpr std::string_view kCompareNames[] = { "", ">=", "<" };
constexpr char kHexDigits[] = "0123456789abcdef";

// COLORREF 0x00BBGGRR as "#rrggbb".
void AppendColour(std::string& out, std::uint32_t colour)
{
    out += '#';
    for (const std::uint32_t part : { colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF }) {
        out += kHexDigits[part >> 4];
        out += kHexDigits[part & 0xF];
    }
}

bool ParseColour(std::string_view text, std::uint32_t& colour)
{
    std::uint32_t rgb = 0;
    if (text.size() != 7 || text[0] != '#') {
        return false;
    }
    const auto result = std::from_chars(text.data() + 1, text.data() + text.size(), rgb, 16);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return false;
    }
    colour = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(tab + 1);
    }
}

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The rule of one line, or the reason it is not one.
std::string ParseLine(std::string_view line, TextRule& rule)
{
    const std::vector<std::string_view> fields = SplitTabs(line);
    if (fields.size() < 4) {
        return "expected ACTION, FIELD, MATCH and PATTERN separated by tabs";
    }
    std::string_view action = fields[0];
    rule.enabled = action.empty() || action[0] != '-';
    if (!rule.enabled) {
        action.remove_prefix(1);
    }
    const auto actionAt = std::find(std::begin(kActionNames), std::end(kActionNames), action);
    if (actionAt == std::end(kActionNames)) {
        return "unknown action \"" + std::string(fields[0]) + "\" (include, exclude or highlight)";
    }
    rule.action = static_cast<RuleAction>(actionAt - std::begin(kActionNames));
    const auto fieldAt = std::find(kFieldNames.begin(), kFieldNames.end(), fields[1]);
    if (fieldAt == kFieldNames.end()) {
        return "unknown field \"" + std::string(fields[1])
            + "\" (line, number, time, pid, process, kind, source, text or duration)";
    }
    rule.field = static_cast<RuleField>(fieldAt - kFieldNames.begin());
    std::string_view match = fields[2];
    const auto compareAt = std::find(std::begin(kCompareNames) + 1, std::end(kCompareNames), match);
    rule.compare = compareAt == std::end(kCompareNames)
        ? RuleCompare::None
        : static_cast<RuleCompare>(compareAt - std::begin(kCompareNames));
    rule.matchCase = match.size() > kCaseSuffix.size() && match.substr(match.size() - kCaseSuffix.size()) == kCaseSuffix;
    if (rule.matchCase) {
        match.remove_suffix(kCaseSuffix.size());
    }
    if (match != "text" && match != "regex" && rule.compare == RuleCompare::None) {
        return "unknown match \"" + std::string(fields[2]) + "\" (text, regex, text+case, regex+case, >= or <)";
    }
    rule.regex = match == "regex";
    if (fields[3].empty()) {
        return "the pattern is empty";
    }
    if (fields[3].find('\r') != std::string_view::npos) {
        return "the pattern holds a carriage return";
    }
    rule.pattern = fields[3];
    if (std::string problem = DurationRuleProblem(rule); !problem.empty()) {
        return problem;
    }
    if (fields.size() > 4 && rule.action != RuleAction::Highlight) {
        return "only a highlight takes colours";
    }
    if (fields.size() > 6) {
        return "too many fields";
    }
    if (rule.action == RuleAction::Highlight) {
        rule.backColour = kDefaultHighlightBack;
        rule.textColour = kDefaultHighlightText;
    }
    if (fields.size() > 4 && !ParseColour(fields[4], rule.backColour)) {
        return "the background colour \"" + std::string(fields[4]) + "\" is not #rrggbb";
    }
    if (fields.size() > 5 && !ParseColour(fields[5], rule.textColour)) {
        return "the text colour \"" + std::string(fields[5]) + "\" is not #rrggbb";
    }
    return {};
}

}  // namespace

std::string RuleToLine(const TextRule& rule)
{
    std::string line = rule.enabled ? "" : "-";
    line += kActionNames[static_cast<std::size_t>(rule.action)];
    line += '\t';
    line += kFieldNames[static_cast<std::size_t>(rule.field)];
    line += '\t';
    if (rule.compare != RuleCompare::None) {
        line += kCompareNames[static_cast<std::size_t>(rule.compare)];
    } else {
        line += rule.regex ? "regex" : "text";
    }
    if (rule.matchCase && rule.compare == RuleCompare::None) {
        line += kCaseSuffix;
    }
    line += '\t';
    line += rule.pattern;
    if (rule.action == RuleAction::Highlight) {
        line += '\t';
        AppendColour(line, rule.backColour);
        line += '\t';
        AppendColour(line, rule.textColour);
    }
    return line;
}

std::string RulesToText(const std::vector<TextRule>& rules)
{
    std::string text = "# Tracing rules: ACTION <tab> FIELD <tab> MATCH <tab> PATTERN [<tab> #BACK [<tab> #TEXT]]\r\n";
    for (const TextRule& rule : rules) {
        text += RuleToLine(rule);
        text += "\r\n";
    }
    return text;
}

ParsedRules ParseRules(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);  // a byte-order mark an editor may have added
    }
    ParsedRules parsed;
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (IsBlank(line) || line[0] == '#') {
            continue;
        }
        TextRule rule;
        std::string problem = ParseLine(line, rule);
        if (problem.empty()) {
            parsed.rules.push_back({ number, std::move(rule) });
        } else {
            parsed.problems.push_back({ number, std::move(problem) });
        }
    }
    return parsed;
}

CompiledRules CompileRules(ParsedRules parsed)
{
    CompiledRules compiled;
    compiled.problems = std::move(parsed.problems);
    std::string error;
    for (NumberedRule& numbered : parsed.rules) {
        const bool filter = numbered.rule.IsFilter();
        if (auto rule = Rule::Make(std::move(numbered.rule), error)) {
            (filter ? compiled.filters : compiled.highlights).push_back(std::move(*rule));
        } else {
            compiled.problems.push_back({ numbered.line, std::move(error) });
        }
    }
    std::sort(compiled.problems.begin(), compiled.problems.end(),
        [](const RuleProblem& a, const RuleProblem& b) { return a.line < b.line; });
    return compiled;
}

}  // namespace tracing
