#include "viewer/pattern/Pattern.h"

#include "viewer/pattern/Compiler.h"
#include "viewer/pattern/Matcher.h"
#include "viewer/pattern/Parser.h"
#include "viewer/pattern/Program.h"

#include <new>

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
        return Pattern(std::make_shared<const Program>(std::move(*program)));
    } catch (const std::bad_alloc&) {
        error = "There is not enough memory to compile the pattern.";
        return std::nullopt;
    }
}

SearchResult Pattern::Search(std::string_view text) const noexcept
{
    return RunProgram(*mProgram, text, 0);
}

}  // namespace pattern
