// libFuzzer target for the rules' text form, built natively with clang (see
// scripts/fuzz.sh). Any text parses without a fault; every rule read back
// writes out as a line that reads back as the same rule; problems name lines
// of the text; making the rules ready never faults.
#include "viewer/rules/RuleText.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

using namespace tracing;

namespace {

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ParsedRules parsed = ParseRules(text);
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    std::vector<TextRule> rules;
    for (const NumberedRule& numbered : parsed.rules) {
        Require(numbered.line >= 1 && numbered.line <= lines);
        const ParsedRules again = ParseRules(RuleToLine(numbered.rule));
        Require(again.problems.empty() && again.rules.size() == 1 && again.rules[0].rule == numbered.rule);
        rules.push_back(numbered.rule);
    }
    for (const RuleProblem& problem : parsed.problems) {
        Require(problem.line >= 1 && problem.line <= lines && !problem.message.empty());
    }
    // The whole list comes back from its text, in order.
    const ParsedRules whole = ParseRules(RulesToText(rules));
    Require(whole.problems.empty() && whole.rules.size() == rules.size());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        Require(whole.rules[i].rule == rules[i]);
    }
    // Patterns are short here: the engine's own fuzzer covers long ones.
    if (size <= 512) {
        const CompiledRules compiled = CompileRules(parsed);
        Require(compiled.filters.size() + compiled.highlights.size() + compiled.problems.size()
            == parsed.rules.size() + parsed.problems.size());
    }
    return 0;
}
