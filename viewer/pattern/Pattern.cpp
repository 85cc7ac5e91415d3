#include "viewer/pattern/Pattern.h"

#include "viewer/pattern/Compiler.h"
#include "viewer/pattern/Dfa.h"
#include "viewer/pattern/LiteralFacts.h"
#include "viewer/pattern/Matcher.h"
#include "viewer/pattern/Parser.h"
#include "viewer/pattern/Program.h"

#include <algorithm>
#include <new>

namespace tracing {

namespace pattern {
namespace {

std::string LongestRunWithout(std::string_view text, char separator)
{
    std::string_view longest;
    while (!text.empty()) {
        const std::string_view run = text.substr(0, text.find(separator));
        longest = run.size() > longest.size() ? run : longest;
        text.remove_prefix(std::min(text.size(), run.size() + 1));
    }
    return std::string(longest);
}

// Sets mAfterFieldStart and mFieldStartSkip where the automaton reads the
// tab and mFieldStart without stopping before the last byte. Without case,
// mFieldStart is lower case and the automaton treats both cases alike.
void SkipFieldStart(Program& program)
{
    if (!program.mDfa) {
        return;
    }
    const Dfa& dfa = *program.mDfa;
    std::uint32_t state = dfa.mByteNext[static_cast<std::size_t>(dfa.mStartLater) * 128 + kFieldSeparator];
    for (const char c : program.mFieldStart) {
        if (dfa.mStops[state] != 0 || static_cast<unsigned char>(c) >= 0x80) {
            return;
        }
        state = dfa.mByteNext[state * 128 + static_cast<unsigned char>(c)];
    }
    program.mAfterFieldStart = state;
    program.mFieldStartSkip = program.mFieldStart.size();
}

}  // namespace

std::optional<Pattern> Pattern::Compile(std::string_view pattern, bool matchCase, std::string& error)
{
    error.clear();
    if (pattern.empty()) {
        error = "The pattern is empty.";
        return std::nullopt;
    }
    try {
        const std::optional<Node> tree = ParsePattern(pattern, matchCase, error);
        if (!tree) {
            return std::nullopt;
        }
        std::optional<Program> program = CompileTree(*tree, matchCase, error);
        if (!program) {
            return std::nullopt;
        }
        program->mDfa = BuildDfa(*program);
        LiteralFacts facts = AnalyseLiterals(*tree, matchCase);
        program->mRequiredInField = LiteralFinder(LongestRunWithout(facts.mRequired, kFieldSeparator), matchCase);
        program->mRequired = LiteralFinder(std::move(facts.mRequired), matchCase);
        program->mWholeLiteral = facts.mWholeLiteral;
        program->mRequiredLeads = !facts.mRequired.empty() && facts.mRequired == facts.mLeading;
        program->mLeading = LiteralFinder(std::move(facts.mLeading), matchCase);
        program->mAnchoredAtStart = facts.mAnchoredAtStart;
        program->mLeadsWithTab = !program->mAnchoredAtStart && !program->mLeading.Empty()
            && program->mLeading.Literal().front() == kFieldSeparator;
        if (program->mLeadsWithTab) {
            const std::string& leading = program->mLeading.Literal();
            program->mFieldStart = leading.substr(1, leading.find(kFieldSeparator, 1) - 1);
            SkipFieldStart(*program);
        }
        if (program->mDfa && !program->mUseStartBytes && program->mLeading.Empty()) {
            // Nothing to skip to: the automaton's loop need not stop where it could.
            Dfa& dfa = *program->mDfa;
            const Dfa::State& later = dfa.mStates[static_cast<std::size_t>(dfa.mStartLater)];
            dfa.mStops[static_cast<std::size_t>(dfa.mStartLater)] = later.mMatched || later.mDead;
        }
        return Pattern(std::make_shared<const Program>(std::move(*program)));
    } catch (const std::bad_alloc&) {
        error = "There is not enough memory to compile the pattern.";
        return std::nullopt;
    }
}

SearchResult Pattern::Search(std::string_view text) const noexcept
{
    const Program& program = *mProgram;
    if (const std::optional<SearchResult> answer = ProbeAnchored(program, text)) {
        return *answer;
    }
    std::size_t from = 0;
    if (!program.mRequired.Empty()) {
        const std::size_t found = program.mRequired.Find(text, 0);
        if (found == std::string_view::npos) {
            return SearchResult::NoMatch;
        }
        if (program.mWholeLiteral) {
            return SearchResult::Match;
        }
        from = program.mRequiredLeads ? found : 0;
    }
    return RunProgram(program, text, from);
}

SearchResult Pattern::SearchFields(Fields fields, std::string& scratch, FieldTabs tabs) const noexcept
{
    const Program& program = *mProgram;
    // Looking for where a match may start is a finer test than the literal.
    if (program.mLeadsWithTab) {
        if (const std::optional<SearchResult> answer = RunDfaFromTabs(program, fields, tabs)) {
            return *answer;
        }
    } else if (!program.mRequiredInField.Empty()) {
        if (program.mRequiredInField.InFields(fields, scratch) == SearchResult::NoMatch) {
            return SearchResult::NoMatch;
        }
        // The literal is the whole pattern and holds no tab: found is matched.
        if (program.mWholeLiteral && program.mRequiredInField.Literal().size() == program.mRequired.Literal().size()) {
            return SearchResult::Match;
        }
    }
    if (const std::optional<SearchResult> answer
        = program.mLeadsWithTab ? std::nullopt : RunDfaOverFields(program, fields)) {
        return *answer;
    }
    try {
        JoinFields(fields, scratch);
    } catch (const std::bad_alloc&) {
        return SearchResult::GaveUp;
    }
    return Search(scratch);
}

bool Pattern::ReadsFirstField() const noexcept
{
    return !mProgram->mLeadsWithTab;
}

}  // namespace pattern

}  // namespace tracing
