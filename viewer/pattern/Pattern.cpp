#include "viewer/pattern/Pattern.h"

#include "viewer/pattern/Compiler.h"
#include "viewer/pattern/Dfa.h"
#include "viewer/pattern/LiteralFacts.h"
#include "viewer/pattern/Matcher.h"
#include "viewer/pattern/Parser.h"
#include "viewer/pattern/Program.h"

#include <new>

namespace tracing {

namespace pattern {

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
        program->mRequired = LiteralFinder(std::move(facts.mRequired), matchCase);
        program->mWholeLiteral = facts.mWholeLiteral;
        program->mRequiredLeads = !facts.mRequired.empty() && facts.mRequired == facts.mLeading;
        program->mLeading = LiteralFinder(std::move(facts.mLeading), matchCase);
        program->mAnchoredAtStart = facts.mAnchoredAtStart;
        return Pattern(std::make_shared<const Program>(std::move(*program)));
    } catch (const std::bad_alloc&) {
        error = "There is not enough memory to compile the pattern.";
        return std::nullopt;
    }
}

SearchResult Pattern::Search(std::string_view text) const noexcept
{
    const Program& program = *mProgram;
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

}  // namespace pattern

}  // namespace tracing
