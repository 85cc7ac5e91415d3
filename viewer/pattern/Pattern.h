// Regular expressions for the trace viewer's filters and highlights, in the
// ECMAScript syntax users know from std::regex, matched without backtracking:
// a search never takes more than a fixed budget of work, whatever the
// pattern and the line, and never recurses per character.
//
// Texts and patterns are UTF-8. '.' and classes take one code point (a byte
// that is not valid UTF-8 counts as one); without matchCase, ASCII letters
// match either case. Back-references, lookaround and named groups are
// refused, as are patterns past the limits in Limits.h.
#pragma once

#include "viewer/pattern/Fields.h"
#include "viewer/pattern/SearchResult.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tracing {

namespace pattern {

struct Program;

class Pattern {
public:
    // The compiled pattern, or nothing with an English sentence in error
    // saying why (empty, a syntax error and its position, a construct not
    // supported, too large).
    static std::optional<Pattern> Compile(std::string_view pattern, bool matchCase, std::string& error);

    // Whether the pattern matches anywhere in text, as std::regex_search
    // would answer. GaveUp when the work passed the step budget first.
    SearchResult Search(std::string_view text) const noexcept;
    // The same answer for the fields joined by tabs, mostly without joining
    // them: the required literal is looked for field by field and the
    // deterministic automaton steps across them. Only a line it cannot read
    // (a byte beyond ASCII, a pattern without the automaton) is joined, into
    // scratch. GaveUp also when there is no memory to join.
    SearchResult SearchFields(Fields fields, std::string& scratch, FieldTabs tabs = FieldTabs::Anywhere) const noexcept;
    // Whether SearchFields' answer may depend on the text of a first field
    // that holds no tab: not where every match starts with a tab, so that
    // nothing before the first tab can belong to one. Where not, such a
    // field (a number) may be passed empty.
    bool ReadsFirstField() const noexcept;

private:
    explicit Pattern(std::shared_ptr<const Program> program)
        : mProgram(std::move(program))
    {
    }

    // Shared: copies of a pattern cost a reference count.
    std::shared_ptr<const Program> mProgram;
};

}  // namespace pattern

}  // namespace tracing
