#include "tools/tracecap/core/LineSelection.h"

#include "foundation/text/Unicode.h"
#include "foundation/trace/TraceProtocol.h"
#include "viewer/rules/RuleText.h"
#include "viewer/view/LineFields.h"

#include <windows.h>

#include <algorithm>

namespace tracecap {

using tracing::LineView;
using tracing::Rule;
using tracing::RuleAction;
using tracing::RuleField;
using tracing::TextRule;

namespace {

std::optional<Rule> TextExpression(
    RuleAction action, const std::string& expression, bool ignoreCase, const char* option, std::string& error)
{
    TextRule definition;
    definition.action = action;
    definition.regex = true;
    definition.matchCase = !ignoreCase;
    definition.field = RuleField::Text;
    definition.pattern = expression;
    std::string why;
    std::optional<Rule> rule = Rule::Make(std::move(definition), why);
    if (!rule) {
        error = std::string(option) + " \"" + expression + "\" is not a usable regular expression: " + why;
    }
    return rule;
}

bool Matches(const Rule& rule, std::string_view text)
{
    return rule.Matches(text) == tracing::MatchResult::Match;
}

}  // namespace


std::optional<LineSelection> LineSelection::Make(
    const Options& options, const std::string* rulesText, std::string& error)
{
    LineSelection selection;
    selection.mPids = options.pids;
    for (const std::string& name : options.processes) {
        selection.mProcesses.push_back(unicode::utf8_to_wide(name));
    }
    for (const std::string& expression : options.includes) {
        auto rule = TextExpression(RuleAction::Include, expression, options.ignoreCase, "--include", error);
        if (!rule) {
            return std::nullopt;
        }
        selection.mIncludes.push_back(std::move(*rule));
    }
    for (const std::string& expression : options.excludes) {
        auto rule = TextExpression(RuleAction::Exclude, expression, options.ignoreCase, "--exclude", error);
        if (!rule) {
            return std::nullopt;
        }
        selection.mExcludes.push_back(std::move(*rule));
    }
    for (const std::string& expression : options.failOn) {
        auto rule = TextExpression(RuleAction::Include, expression, options.ignoreCase, "--fail-on", error);
        if (!rule) {
            return std::nullopt;
        }
        selection.mFailOn.push_back(std::move(*rule));
    }
    if (options.until) {
        selection.mUntil = TextExpression(RuleAction::Include, *options.until, options.ignoreCase, "--until", error);
        if (!selection.mUntil) {
            return std::nullopt;
        }
    }
    if (rulesText != nullptr) {
        // A rules file that is only partly usable would capture other lines
        // than asked for: any problem refuses it whole.
        tracing::CompiledRules compiled = tracing::CompileRules(tracing::ParseRules(*rulesText));
        if (!compiled.problems.empty()) {
            const tracing::RuleProblem& first = compiled.problems.front();
            error = "--rules: " + (first.line != 0 ? "line " + std::to_string(first.line) + ": " : std::string())
                + first.message;
            return std::nullopt;
        }
        for (Rule& rule : compiled.filters) {
            if (rule.Definition().enabled) {
                (rule.Definition().action == RuleAction::Include ? selection.mIncludes : selection.mExcludes)
                    .push_back(std::move(rule));
            }
        }
    }
    selection.mFailOnError = options.failOnError;
    return selection;
}

bool LineSelection::RuleMatches(const Rule& rule, const LineView& line, std::uint64_t number) const
{
    return tracing::MatchLine(rule, line, number, mScratch) == tracing::MatchResult::Match;
}

bool LineSelection::Keeps(const LineView& line, std::uint64_t number) const
{
    if (!mPids.empty() && std::find(mPids.begin(), mPids.end(), line.pid) == mPids.end()) {
        return false;
    }
    if (!mProcesses.empty()) {
        const std::wstring process = unicode::utf8_to_wide(line.process);
        const bool named = std::any_of(mProcesses.begin(), mProcesses.end(), [&](const std::wstring& name) {
            return ::CompareStringOrdinal(process.c_str(), static_cast<int>(process.size()), name.c_str(),
                       static_cast<int>(name.size()), TRUE)
                == CSTR_EQUAL;
        });
        if (!named) {
            return false;
        }
    }
    if (!AnyRules()) {
        return true;
    }
    for (const Rule& rule : mExcludes) {
        if (RuleMatches(rule, line, number)) {
            return false;
        }
    }
    return mIncludes.empty() || std::any_of(mIncludes.begin(), mIncludes.end(), [&](const Rule& rule) {
        return RuleMatches(rule, line, number);
    });
}

bool LineSelection::Ends(const LineView& line) const
{
    return mUntil && Matches(*mUntil, line.text);
}

bool LineSelection::Fails(const LineView& line) const
{
    if (mFailOnError && line.origin == tracing::LineOrigin::Record && line.kind == UTrace::kTraceError) {
        return true;
    }
    return std::any_of(mFailOn.begin(), mFailOn.end(), [&](const Rule& rule) { return Matches(rule, line.text); });
}

}  // namespace tracecap
