#include "viewer/pattern/Parser.h"

#include "viewer/pattern/Limits.h"
#include "viewer/pattern/Utf8.h"

namespace tracing {

namespace pattern {
namespace {

// A group being read: the alternatives closed so far and the one being read.
struct OpenGroup {
    std::vector<Node> mAlternatives;
    std::vector<Node> mSequence;
    std::size_t mOpenedAt = 0;
};

Node MakeSequence(std::vector<Node> parts)
{
    if (parts.size() == 1) {
        return std::move(parts.front());
    }
    Node node;
    node.mKind = parts.empty() ? NodeKind::Empty : NodeKind::Sequence;
    node.mChildren = std::move(parts);
    return node;
}

Node CloseGroup(OpenGroup& group)
{
    group.mAlternatives.push_back(MakeSequence(std::move(group.mSequence)));
    if (group.mAlternatives.size() == 1) {
        return std::move(group.mAlternatives.front());
    }
    Node node;
    node.mKind = NodeKind::Choice;
    node.mChildren = std::move(group.mAlternatives);
    return node;
}

Node MakeSet(CharSet set)
{
    Node node;
    node.mKind = NodeKind::Set;
    node.mSet = std::move(set);
    return node;
}

bool IsAsciiAlphanumeric(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// What an escape stands for: one unit, a set such as \d, or an assertion.
struct Escape {
    enum class Kind : std::uint8_t { Unit, Set, Assertion } mKind = Kind::Unit;
    std::uint32_t mUnit = 0;
    CharSet mSet;
    Assertion mAssertion = Assertion::WordBoundary;
};

// Reads left to right without recursion: an open group is an entry on a
// stack of its own, so deep nesting costs heap, not the machine's stack.
class Parser {
public:
    Parser(std::string_view pattern, bool matchCase)
        : mPattern(pattern)
        , mMatchCase(matchCase)
    {
    }

    std::optional<Node> Parse(std::string& error);

private:
    bool AtEnd() const { return mAt >= mPattern.size(); }
    char Peek(std::size_t ahead = 0) const { return mAt + ahead < mPattern.size() ? mPattern[mAt + ahead] : '\0'; }
    std::uint32_t ReadUnit();

    bool OpenGroupHere(std::vector<OpenGroup>& groups);
    bool ReadAtom(std::vector<Node>& sequence);
    bool AddRepeated(std::vector<Node>& sequence, Node atom);
    bool ReadCount(std::uint32_t& min, std::uint32_t& max);
    bool ReadClass(Node& node);
    bool ReadClassItem(Escape& item);
    bool ReadEscape(bool inClass, Escape& escape);
    bool ReadHex(std::size_t digits, std::uint32_t& value);

    // Both return false, for "return SyntaxError(...)".
    bool SyntaxError(std::size_t at, const std::string& what);
    bool Unsupported(std::size_t at, const std::string& what);
    std::string Position(std::size_t at) const;

    std::string_view mPattern;
    bool mMatchCase;
    std::size_t mAt = 0;
    std::string mError;
};

std::optional<Node> Parser::Parse(std::string& error)
{
    std::vector<OpenGroup> groups(1);
    bool ok = true;
    while (ok && !AtEnd()) {
        switch (Peek()) {
        case '|': {
            OpenGroup& group = groups.back();
            group.mAlternatives.push_back(MakeSequence(std::move(group.mSequence)));
            group.mSequence.clear();
            ++mAt;
            break;
        }
        case '(':
            ok = OpenGroupHere(groups);
            break;
        case ')': {
            if (groups.size() == 1) {
                ok = SyntaxError(mAt, "')' closes no group");
                break;
            }
            Node group = CloseGroup(groups.back());
            groups.pop_back();
            ++mAt;
            ok = AddRepeated(groups.back().mSequence, std::move(group));
            break;
        }
        default:
            ok = ReadAtom(groups.back().mSequence);
            break;
        }
    }
    if (ok && groups.size() > 1) {
        ok = SyntaxError(groups.back().mOpenedAt, "the group opened here is not closed");
    }
    if (!ok) {
        error = std::move(mError);
        return std::nullopt;
    }
    return CloseGroup(groups.front());
}

std::uint32_t Parser::ReadUnit()
{
    std::uint32_t unit = 0;
    mAt += DecodeUnit(reinterpret_cast<const unsigned char*>(mPattern.data()) + mAt, mPattern.size() - mAt, unit);
    return unit;
}

bool Parser::OpenGroupHere(std::vector<OpenGroup>& groups)
{
    const std::size_t at = mAt;
    if (Peek(1) == '?') {
        if (Peek(2) == '=' || Peek(2) == '!') {
            return Unsupported(at, "Lookahead assertions (?= and (?! are not supported");
        }
        if (Peek(2) == '<' && (Peek(3) == '=' || Peek(3) == '!')) {
            return Unsupported(at, "Lookbehind assertions (?<= and (?<! are not supported");
        }
        if (Peek(2) == '<') {
            return Unsupported(at, "Named groups (?<name>...) are not supported");
        }
        if (Peek(2) != ':') {
            return SyntaxError(at, "'(?' must begin a group such as (?:ab)");
        }
        mAt += 3;
    } else {
        mAt += 1;
    }
    if (groups.size() > static_cast<std::size_t>(kMaxNesting)) {
        return Unsupported(at, "Groups nested more than " + std::to_string(kMaxNesting) + " deep are not supported");
    }
    groups.emplace_back().mOpenedAt = at;
    return true;
}

bool Parser::ReadAtom(std::vector<Node>& sequence)
{
    const std::size_t at = mAt;
    Node atom;
    switch (Peek()) {
    case '*':
    case '+':
    case '?':
    case '{':
        return SyntaxError(
            at, std::string("'") + Peek() + "' has nothing to repeat; write \\" + Peek() + " for the character itself");
    case '^':
    case '$':
        ++mAt;
        atom.mKind = NodeKind::Assertion;
        atom.mAssertion = mPattern[at] == '^' ? Assertion::TextStart : Assertion::TextEnd;
        break;
    case '.':
        ++mAt;
        atom = MakeSet(CharSet::AnyButLineBreaks());
        break;
    case '[':
        if (!ReadClass(atom)) {
            return false;
        }
        break;
    case '\\': {
        Escape escape;
        if (!ReadEscape(false, escape)) {
            return false;
        }
        if (escape.mKind == Escape::Kind::Set) {
            atom = MakeSet(std::move(escape.mSet));
        } else if (escape.mKind == Escape::Kind::Assertion) {
            atom.mKind = NodeKind::Assertion;
            atom.mAssertion = escape.mAssertion;
        } else {
            atom.mKind = NodeKind::Unit;
            atom.mUnit = escape.mUnit;
        }
        break;
    }
    default:
        atom.mKind = NodeKind::Unit;
        atom.mUnit = ReadUnit();
        break;
    }
    if (atom.mKind == NodeKind::Assertion) {
        const char next = Peek();
        if (next == '*' || next == '+' || next == '?' || next == '{') {
            return SyntaxError(mAt, "an assertion such as ^, $, \\b or \\B cannot be repeated");
        }
        sequence.push_back(std::move(atom));
        return true;
    }
    return AddRepeated(sequence, std::move(atom));
}

// Appends atom to sequence, wrapped in the quantifier that follows it, if any.
bool Parser::AddRepeated(std::vector<Node>& sequence, Node atom)
{
    std::uint32_t min = 0;
    std::uint32_t max = 0;
    switch (Peek()) {
    case '*':
        max = kUnbounded;
        ++mAt;
        break;
    case '+':
        min = 1;
        max = kUnbounded;
        ++mAt;
        break;
    case '?':
        max = 1;
        ++mAt;
        break;
    case '{':
        if (!ReadCount(min, max)) {
            return false;
        }
        break;
    default:
        sequence.push_back(std::move(atom));
        return true;
    }
    // A lazy quantifier finds the same lines as a greedy one: a search asks
    // only whether there is a match.
    if (Peek() == '?') {
        ++mAt;
    }
    const char next = Peek();
    if (next == '*' || next == '+' || next == '?' || next == '{') {
        return SyntaxError(mAt, "a quantifier cannot follow another quantifier");
    }
    Node repeat;
    repeat.mKind = NodeKind::Repeat;
    repeat.mMin = min;
    repeat.mMax = max;
    repeat.mChildren.push_back(std::move(atom));
    sequence.push_back(std::move(repeat));
    return true;
}

// {n}, {n,} or {n,m}, at '{'.
bool Parser::ReadCount(std::uint32_t& min, std::uint32_t& max)
{
    const std::size_t at = mAt;
    bool tooLarge = false;
    const auto readNumber = [&](std::uint32_t& value) {
        const std::size_t start = mAt;
        value = 0;
        while (Peek() >= '0' && Peek() <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(Peek() - '0');
            if (value > kMaxRepeat) {
                tooLarge = true;
                value = kMaxRepeat;
            }
            ++mAt;
        }
        return mAt > start;
    };
    ++mAt;
    bool wellFormed = readNumber(min);
    max = min;
    if (wellFormed && Peek() == ',') {
        ++mAt;
        if (!readNumber(max)) {
            max = kUnbounded;
        }
    }
    wellFormed = wellFormed && Peek() == '}';
    if (!wellFormed) {
        return SyntaxError(at, "'{' must begin a count such as {2}, {2,} or {2,5}; write \\{ for the brace itself");
    }
    ++mAt;
    if (tooLarge) {
        return Unsupported(at, "Counts above " + std::to_string(kMaxRepeat) + " are not supported");
    }
    if (max < min) {
        return SyntaxError(at, "the count's largest number is below its smallest");
    }
    return true;
}

bool Parser::ReadClass(Node& node)
{
    const std::size_t open = mAt;
    ++mAt;
    const bool negated = Peek() == '^';
    if (negated) {
        ++mAt;
    }
    // ECMAScript reads [] as a class of nothing, other dialects "[]a]" as one
    // holding ']' and 'a': neither reading is safe to guess.
    if (Peek() == ']') {
        return SyntaxError(mAt, "a class cannot start with ']'; write \\] for the bracket itself");
    }
    std::vector<UnitRange> ranges;
    for (;;) {
        if (AtEnd()) {
            return SyntaxError(open, "the class opened here is not closed");
        }
        if (Peek() == ']') {
            ++mAt;
            break;
        }
        Escape first;
        if (!ReadClassItem(first)) {
            return false;
        }
        if (Peek() == '-' && mAt + 1 < mPattern.size() && Peek(1) != ']') {
            const std::size_t dash = mAt;
            ++mAt;
            Escape last;
            if (!ReadClassItem(last)) {
                return false;
            }
            if (first.mKind != Escape::Kind::Unit || last.mKind != Escape::Kind::Unit) {
                return SyntaxError(dash, "a range cannot start or end with a class such as \\d");
            }
            if (last.mUnit < first.mUnit) {
                return SyntaxError(dash, "the range runs backwards");
            }
            ranges.push_back({ first.mUnit, last.mUnit });
        } else if (first.mKind == Escape::Kind::Set) {
            ranges.insert(ranges.end(), first.mSet.Ranges().begin(), first.mSet.Ranges().end());
        } else {
            ranges.push_back({ first.mUnit, first.mUnit });
        }
    }
    CharSet set(std::move(ranges));
    if (!mMatchCase) {
        set = set.WithBothCases();
    }
    node = MakeSet(negated ? set.Negated() : std::move(set));
    return true;
}

bool Parser::ReadClassItem(Escape& item)
{
    if (Peek() == '\\') {
        return ReadEscape(true, item);
    }
    if (Peek() == '[' && (Peek(1) == ':' || Peek(1) == '.' || Peek(1) == '=')) {
        return Unsupported(mAt, "POSIX classes such as [:alpha:] are not supported");
    }
    item.mKind = Escape::Kind::Unit;
    item.mUnit = ReadUnit();
    return true;
}

bool Parser::ReadEscape(bool inClass, Escape& escape)
{
    const std::size_t at = mAt;
    if (mAt + 1 >= mPattern.size()) {
        return SyntaxError(at, "the pattern ends in the middle of an escape");
    }
    const char letter = Peek(1);
    mAt += 2;
    escape.mKind = Escape::Kind::Unit;
    switch (letter) {
    case 'd':
    case 'D':
    case 'w':
    case 'W':
    case 's':
    case 'S': {
        const char lower = static_cast<char>(letter | 0x20);
        CharSet set = lower == 'd' ? CharSet::Digits() : lower == 'w' ? CharSet::WordCharacters() : CharSet::Spaces();
        escape.mKind = Escape::Kind::Set;
        escape.mSet = letter == lower ? std::move(set) : set.Negated();
        return true;
    }
    case 'b':
        if (inClass) {
            escape.mUnit = '\b';
        } else {
            escape.mKind = Escape::Kind::Assertion;
            escape.mAssertion = Assertion::WordBoundary;
        }
        return true;
    case 'B':
        if (inClass) {
            return SyntaxError(at, "\\B has no meaning inside a class");
        }
        escape.mKind = Escape::Kind::Assertion;
        escape.mAssertion = Assertion::NotWordBoundary;
        return true;
    case 't':
        escape.mUnit = '\t';
        return true;
    case 'n':
        escape.mUnit = '\n';
        return true;
    case 'v':
        escape.mUnit = '\v';
        return true;
    case 'f':
        escape.mUnit = '\f';
        return true;
    case 'r':
        escape.mUnit = '\r';
        return true;
    case '0':
        if (Peek() >= '0' && Peek() <= '9') {
            return Unsupported(at, "Octal escapes such as \\01 are not supported");
        }
        escape.mUnit = 0;
        return true;
    case 'x':
        return ReadHex(2, escape.mUnit) || SyntaxError(at, "\\x must be followed by two hexadecimal digits");
    case 'u': {
        if (!ReadHex(4, escape.mUnit)) {
            return SyntaxError(at, "\\u must be followed by four hexadecimal digits");
        }
        // A surrogate pair written as two escapes stands for one code point,
        // as it does in the UTF-16 strings the syntax was made for.
        std::uint32_t low = 0;
        const std::size_t second = mAt;
        if (escape.mUnit >= 0xD800 && escape.mUnit <= 0xDBFF && Peek() == '\\' && Peek(1) == 'u') {
            mAt += 2;
            if (ReadHex(4, low) && low >= 0xDC00 && low <= 0xDFFF) {
                escape.mUnit = 0x10000 + ((escape.mUnit - 0xD800) << 10) + (low - 0xDC00);
            } else {
                mAt = second;
            }
        }
        return true;
    }
    case 'c':
        if ((Peek() >= 'a' && Peek() <= 'z') || (Peek() >= 'A' && Peek() <= 'Z')) {
            escape.mUnit = static_cast<std::uint32_t>(Peek()) % 32;
            ++mAt;
            return true;
        }
        return SyntaxError(at, "\\c must be followed by a letter");
    default:
        break;
    }
    if (letter >= '1' && letter <= '9') {
        return Unsupported(at,
            inClass ? "Octal escapes such as \\1 are not supported" : "Back-references such as \\1 are not supported");
    }
    if (IsAsciiAlphanumeric(letter)) {
        return SyntaxError(at, std::string("\\") + letter + " is not a known escape");
    }
    // Any other character escaped stands for itself: \. \* \\ \/ and so on.
    mAt = at + 1;
    escape.mUnit = ReadUnit();
    return true;
}

bool Parser::ReadHex(std::size_t digits, std::uint32_t& value)
{
    value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(Peek(i));
        if (digit < 0) {
            return false;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    mAt += digits;
    return true;
}

std::string Parser::Position(std::size_t at) const
{
    // Counted in characters from 1, as the user sees the pattern.
    std::size_t position = 1;
    for (std::size_t i = 0; i < at; ++position) {
        std::uint32_t unit = 0;
        i += DecodeUnit(reinterpret_cast<const unsigned char*>(mPattern.data()) + i, mPattern.size() - i, unit);
    }
    return std::to_string(position);
}

bool Parser::SyntaxError(std::size_t at, const std::string& what)
{
    mError = "Syntax error at position " + Position(at) + ": " + what + ".";
    return false;
}

bool Parser::Unsupported(std::size_t at, const std::string& what)
{
    mError = what + " (at position " + Position(at) + ").";
    return false;
}

}  // namespace

std::optional<Node> ParsePattern(std::string_view pattern, bool matchCase, std::string& error)
{
    return Parser(pattern, matchCase).Parse(error);
}

}  // namespace pattern

}  // namespace tracing
