#include "viewer/pattern/LiteralFacts.h"

#include "viewer/pattern/Utf8.h"

#include <algorithm>

namespace tracing {

namespace pattern {
namespace {

// Runs longer than this are cut: a longer run skips no more lines.
constexpr std::size_t kMaxRun = 64;

// What is known of every match of one node. When mExact, the node matches
// mText and nothing else (a zero-width assertion counts as the empty text),
// and the three runs below are all mText.
struct Facts {
    bool mExact = false;
    std::string mText;
    std::string mPrefix;  // every match starts with it
    std::string mSuffix;  // every match ends with it
    std::string mRequired;  // every match holds it
    bool mAssertion = false;  // holds ^ $ \b or \B somewhere: a match depends on more than its own text
    bool mAnchored = false;  // every match starts with ^
    bool mZeroWidth = false;  // every match is empty
};

Facts ExactFacts(std::string text)
{
    Facts facts;
    facts.mExact = true;
    facts.mZeroWidth = text.empty();
    facts.mPrefix = facts.mSuffix = facts.mRequired = text;
    facts.mText = std::move(text);
    return facts;
}

const std::string& Longest(const std::string& a, const std::string& b)
{
    return b.size() > a.size() ? b : a;
}

// Keeps runs within kMaxRun; a text too long to keep whole is no longer exact.
void Trim(Facts& facts)
{
    if (facts.mExact && facts.mText.size() > kMaxRun) {
        facts.mExact = false;
        facts.mText.clear();
    }
    if (facts.mPrefix.size() > kMaxRun) {
        facts.mPrefix.resize(kMaxRun);
    }
    if (facts.mSuffix.size() > kMaxRun) {
        facts.mSuffix.erase(0, facts.mSuffix.size() - kMaxRun);
    }
    if (facts.mRequired.size() > kMaxRun) {
        facts.mRequired.resize(kMaxRun);
    }
}

Facts Concatenate(const Facts& left, const Facts& right)
{
    Facts facts;
    facts.mExact = left.mExact && right.mExact;
    if (facts.mExact) {
        facts.mText = left.mText + right.mText;
    }
    facts.mPrefix = left.mExact ? left.mText + right.mPrefix : left.mPrefix;
    facts.mSuffix = right.mExact ? left.mSuffix + right.mText : right.mSuffix;
    facts.mRequired = Longest(Longest(left.mRequired, right.mRequired), left.mSuffix + right.mPrefix);
    facts.mAssertion = left.mAssertion || right.mAssertion;
    facts.mAnchored = left.mAnchored || (left.mZeroWidth && right.mAnchored);
    facts.mZeroWidth = left.mZeroWidth && right.mZeroWidth;
    Trim(facts);
    return facts;
}

Facts Alternatives(const std::vector<Facts>& choices)
{
    Facts facts = choices.front();
    for (std::size_t i = 1; i < choices.size(); ++i) {
        const Facts& other = choices[i];
        facts.mExact = facts.mExact && other.mExact && facts.mText == other.mText;
        const auto prefixEnd
            = std::mismatch(facts.mPrefix.begin(), facts.mPrefix.end(), other.mPrefix.begin(), other.mPrefix.end());
        facts.mPrefix.erase(prefixEnd.first, facts.mPrefix.end());
        const auto suffixStart
            = std::mismatch(facts.mSuffix.rbegin(), facts.mSuffix.rend(), other.mSuffix.rbegin(), other.mSuffix.rend());
        facts.mSuffix.erase(facts.mSuffix.begin(), suffixStart.first.base());
        facts.mAssertion = facts.mAssertion || other.mAssertion;
        facts.mAnchored = facts.mAnchored && other.mAnchored;
        facts.mZeroWidth = facts.mZeroWidth && other.mZeroWidth;
    }
    if (!facts.mExact) {
        facts.mText.clear();
        facts.mRequired = Longest(facts.mPrefix, facts.mSuffix);
    }
    return facts;
}

std::string UnitText(std::uint32_t unit, bool matchCase)
{
    if (!matchCase && unit >= 'A' && unit <= 'Z') {
        unit += 'a' - 'A';
    }
    std::string text;
    AppendUnit(unit, text);
    return text;
}

// Recursion goes as deep as the tree, which the parser's nesting limit keeps shallow.
Facts Analyse(const Node& node, bool matchCase)
{
    switch (node.mKind) {
    case NodeKind::Empty:
        return ExactFacts({});
    case NodeKind::Unit:
        // An invalid byte in the pattern matches that byte only where it is
        // invalid in the text too: finding the byte says nothing sure.
        return node.mUnit >= kInvalidByteBase ? Facts {} : ExactFacts(UnitText(node.mUnit, matchCase));
    case NodeKind::Set:
        return {};
    case NodeKind::Assertion: {
        Facts facts = ExactFacts({});
        facts.mAssertion = true;
        facts.mAnchored = node.mAssertion == Assertion::TextStart;
        return facts;
    }
    case NodeKind::Sequence: {
        Facts facts = ExactFacts({});
        for (const Node& child : node.mChildren) {
            facts = Concatenate(facts, Analyse(child, matchCase));
        }
        return facts;
    }
    case NodeKind::Choice: {
        std::vector<Facts> choices;
        for (const Node& child : node.mChildren) {
            choices.push_back(Analyse(child, matchCase));
        }
        return Alternatives(choices);
    }
    case NodeKind::Repeat: {
        const Facts child = Analyse(node.mChildren.front(), matchCase);
        if (node.mMin == 0) {
            Facts facts;
            facts.mAssertion = child.mAssertion;
            facts.mZeroWidth = child.mZeroWidth;
            return facts;
        }
        if (child.mExact && node.mMin == node.mMax && child.mText.size() * node.mMin <= kMaxRun) {
            Facts facts = child;
            for (std::uint32_t i = 1; i < node.mMin; ++i) {
                facts = Concatenate(facts, child);
            }
            return facts;
        }
        // Once at least, perhaps more: its runs hold, but no text is exact.
        Facts facts = child;
        facts.mExact = false;
        facts.mText.clear();
        return facts;
    }
    }
    return {};
}

}  // namespace

LiteralFacts AnalyseLiterals(const Node& tree, bool matchCase)
{
    const Facts facts = Analyse(tree, matchCase);
    LiteralFacts literals;
    literals.mRequired = facts.mRequired;
    literals.mLeading = facts.mPrefix;
    literals.mAnchoredAtStart = facts.mAnchored;
    literals.mWholeLiteral = facts.mExact && !facts.mAssertion && !facts.mText.empty();
    return literals;
}

}  // namespace pattern

}  // namespace tracing
