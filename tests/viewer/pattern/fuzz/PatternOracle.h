// The comparisons the pattern fuzzer makes on every input, and the Wine
// build's replay of its corpus makes on every seed: this engine against
// std::regex, where both accept the pattern and std::regex can be trusted to
// finish; a search against the plain stepping of every thread, without
// the deterministic automaton and the literal prefilters, on any text; and
// against the same text split at its tabs and searched field by field.
// Plain C++, so that it builds natively and for Windows alike.
//
// An input is one flag byte (odd: match case), the pattern up to the first
// line feed, and the text after it.
#pragma once

#include "viewer/pattern/Compiler.h"
#include "viewer/pattern/Matcher.h"
#include "viewer/pattern/Parser.h"
#include "viewer/pattern/Pattern.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace pattern_oracle {

using namespace tracing;

struct Input {
    bool mMatchCase = true;
    std::string_view mPattern;
    std::string_view mText;
};

inline Input SplitInput(const std::uint8_t* data, std::size_t size)
{
    Input input;
    if (size == 0) {
        return input;
    }
    input.mMatchCase = (data[0] & 1) != 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t end = rest.find('\n');
    input.mPattern = rest.substr(0, end);
    input.mText = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return input;
}

// \xHH and \uHHHH name code points, which the engine matches as their UTF-8
// bytes; this std::regex keeps only the low byte of the value, so the two can
// be compared only on ASCII values.
inline bool EscapesBeyondAscii(std::string_view escape)
{
    if (escape.empty() || (escape[0] != 'x' && escape[0] != 'u')) {
        return false;
    }
    const std::size_t digits = escape[0] == 'x' ? 2 : 4;
    if (escape.size() < 1 + digits) {
        return false;
    }
    unsigned value = 0;
    for (std::size_t i = 1; i <= digits; ++i) {
        const char c = escape[i];
        const int digit = c >= '0' && c <= '9' ? c - '0'
            : c >= 'a' && c <= 'f'             ? c - 'a' + 10
            : c >= 'A' && c <= 'F'             ? c - 'A' + 10
                                               : -1;
        if (digit < 0) {
            return false;  // not an escape of a value: read as the letter
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value >= 0x80;
}

// std::regex backtracks: it is asked only about short ASCII texts, and only
// patterns that keep it polynomial and small (no repeated group that holds a
// quantifier or an alternative, few quantifiers). \cX is left out: this
// std::regex reads it wrongly.
inline bool StdRegexCanJudge(const Input& input)
{
    constexpr std::size_t kMaxPattern = 32;
    constexpr std::size_t kMaxText = 64;
    if (input.mPattern.size() > kMaxPattern || input.mText.size() > kMaxText) {
        return false;
    }
    for (const std::string_view part : { input.mPattern, input.mText }) {
        for (const char c : part) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                return false;
            }
        }
    }
    const auto isQuantifier = [](char c) { return c == '*' || c == '+' || c == '?' || c == '{'; };
    int quantifiers = 0;
    bool groupHolds[33] = {};  // per open group: a quantifier or '|' inside
    int depth = 0;
    for (std::size_t i = 0; i < input.mPattern.size(); ++i) {
        const char c = input.mPattern[i];
        if (c == '\\') {
            if (i + 1 < input.mPattern.size() && input.mPattern[i + 1] == 'c') {
                return false;
            }
            if (EscapesBeyondAscii(input.mPattern.substr(i + 1))) {
                return false;
            }
            ++i;
        } else if (c == '(') {
            groupHolds[++depth] = false;
        } else if (c == ')' && depth > 0) {
            const bool held = groupHolds[depth--];
            if (held && i + 1 < input.mPattern.size() && isQuantifier(input.mPattern[i + 1])) {
                return false;
            }
            groupHolds[depth] = groupHolds[depth] || held;
        } else if (isQuantifier(c) || c == '|') {
            quantifiers += c == '|' ? 0 : 1;
            for (int d = 0; d <= depth; ++d) {
                groupHolds[d] = true;
            }
        }
    }
    return quantifiers <= 3;
}

// A description of how the engine's answer differs from std::regex's, or
// nothing when they agree or cannot be compared. The engine must also never
// give up on a text short enough to compare.
inline std::optional<std::string> Disagreement(const Input& input)
{
    std::string error;
    const auto compiled = pattern::Pattern::Compile(input.mPattern, input.mMatchCase, error);
    if (!compiled) {
        if (error.empty()) {
            return "refused without a reason";
        }
        return std::nullopt;
    }
    const pattern::SearchResult result = compiled->Search(input.mText);
    if (result == pattern::SearchResult::GaveUp && input.mText.size() <= 64) {
        return "gave up on a short text";
    }
    // The text split at its tabs, searched field by field: no field holds a
    // tab, so the search may also be told so.
    std::vector<std::string_view> fields;
    for (std::string_view rest = input.mText;;) {
        const std::size_t tab = rest.find('\t');
        fields.push_back(rest.substr(0, tab));
        if (tab == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(tab + 1);
    }
    std::string joined;
    if (compiled->SearchFields(fields, joined) != result) {
        return std::string("searched field by field, the text answers otherwise");
    }
    if (compiled->SearchFields(fields, joined, pattern::FieldTabs::Between) != result) {
        return std::string("searched field by field with tabs only between them, the text answers otherwise");
    }
    // The program alone, stepped from the start of the text.
    std::string ignored;
    const auto tree = pattern::ParsePattern(input.mPattern, input.mMatchCase, ignored);
    const auto plain = pattern::CompileTree(*tree, input.mMatchCase, ignored);
    const pattern::SearchResult stepped = pattern::RunProgram(*plain, input.mText, 0);
    if (stepped != pattern::SearchResult::GaveUp && result != pattern::SearchResult::GaveUp && stepped != result) {
        return std::string(stepped == pattern::SearchResult::Match ? "only the plain stepping matches"
                                                                   : "only the full search matches");
    }
    if (!StdRegexCanJudge(input)) {
        return std::nullopt;
    }
    bool expected = false;
    try {
        auto flags = std::regex::ECMAScript;
        if (!input.mMatchCase) {
            flags |= std::regex::icase;
        }
        const std::regex reference(input.mPattern.begin(), input.mPattern.end(), flags);
        expected = std::regex_search(input.mText.begin(), input.mText.end(), reference);
    } catch (...) {
        return std::nullopt;  // std::regex refuses the pattern or gives up
    }
    if (expected != (result == pattern::SearchResult::Match)) {
        return std::string(
            expected ? "std::regex matches, the engine does not" : "the engine matches, std::regex does not");
    }
    return std::nullopt;
}

}  // namespace pattern_oracle
