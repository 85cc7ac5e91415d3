#include "viewer/view/FunctionScopes.h"

#include <algorithm>

namespace tracing {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of a leading "h:m:s.mmm : " stamp, or 0.
std::size_t StampLength(std::string_view text)
{
    std::size_t at = 0;
    for (int part = 0; part < 3; ++part) {
        const std::size_t start = at;
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
        }
        const char separator = part < 2 ? ':' : '.';
        if (at == start || at >= text.size() || text[at] != separator) {
            return 0;
        }
        ++at;
    }
    if (text.size() < at + 6 || !IsDigit(text[at]) || !IsDigit(text[at + 1]) || !IsDigit(text[at + 2])
        || text.substr(at + 3, 3) != " : ") {
        return 0;
    }
    return at + 6;
}

}  // namespace

ScopeLine ReadScopeLine(LineOrigin origin, std::int32_t kind, std::string_view text)
{
    constexpr std::string_view kEnter = " - enter";
    constexpr std::string_view kSeparator = " - ";
    bool traced = origin == LineOrigin::Record && kind == 4;
    if (origin == LineOrigin::Debug) {
        // "SOURCE: " with a source of no spaces (an empty one gives ": ").
        const std::size_t colon = text.find(": ");
        if (colon != std::string_view::npos && text.substr(0, colon).find(' ') == std::string_view::npos) {
            text.remove_prefix(colon + 2);
            traced = true;
        }
    }
    text.remove_prefix(StampLength(text));
    const std::size_t spaces = std::min(text.find_first_not_of(' '), text.size());
    text.remove_prefix(spaces);
    ScopeLine line;
    line.depth = static_cast<std::uint32_t>(spaces / 2);
    line.function = origin == LineOrigin::Record && kind == 4;
    line.traced = traced;
    line.enter = text.size() > kEnter.size() && text.substr(text.size() - kEnter.size()) == kEnter;
    line.name = text.substr(0, std::min(text.find(kSeparator), text.size()));
    return line;
}

void FunctionScopes::Add(std::uint64_t sequence, const LineRecord& record, std::string_view text)
{
    const ScopeLine line = ReadScopeLine(record.origin, record.kind, text);
    const std::uint64_t senderKey = SenderOf(record);
    Sender& sender = mSenders[senderKey];
    bool exit = false;
    // A line at depth d ends every open scope entered at d or deeper; the
    // one at d ends with this line when it is that function's exit line.
    while (!sender.open.empty() && sender.open.back().depth >= line.depth) {
        const Open& open = sender.open.back();
        const bool isExit = !exit && open.depth == line.depth && line.traced && !line.enter && line.name == open.name;
        if (Scope* scope = At(open.entry)) {
            scope->end = isExit ? sequence : sender.last;
        }
        exit = exit || isExit;
        sender.open.pop_back();
    }
    if (!exit && (line.function || line.enter)) {
        mScopes.push_back({ sequence, kOpen, senderKey, false });
        sender.open.push_back({ sequence, line.depth, std::string(line.name) });
    }
    sender.last = sequence;
}

void FunctionScopes::DropBefore(std::uint64_t first)
{
    while (!mScopes.empty() && mScopes.front().entry < first) {
        mFolded -= mScopes.front().folded ? 1 : 0;
        mScopes.pop_front();
    }
    // Senders that have gone quiet are forgotten once all their lines are.
    for (auto sender = mSenders.begin(); sender != mSenders.end();) {
        sender = sender->second.last < first ? mSenders.erase(sender) : std::next(sender);
    }
}

void FunctionScopes::Clear()
{
    mScopes.clear();
    mSenders.clear();
    mFolded = 0;
}

FunctionScopes::Scope* FunctionScopes::At(std::uint64_t sequence)
{
    const auto found = std::lower_bound(mScopes.begin(), mScopes.end(), sequence,
        [](const Scope& scope, std::uint64_t at) { return scope.entry < at; });
    return found != mScopes.end() && found->entry == sequence ? &*found : nullptr;
}

std::uint64_t FunctionScopes::LastLine(const Scope& scope) const
{
    if (scope.end != kOpen) {
        return scope.end;
    }
    const auto sender = mSenders.find(scope.sender);
    return sender == mSenders.end() ? scope.entry : sender->second.last;
}

FunctionScopes::Scope* FunctionScopes::Enclosing(std::uint64_t sequence, std::uint64_t sender)
{
    auto at = std::lower_bound(
        mScopes.begin(), mScopes.end(), sequence, [](const Scope& scope, std::uint64_t s) { return scope.entry < s; });
    // The nearest entry before the line whose scope reaches it is the innermost.
    while (at != mScopes.begin()) {
        --at;
        if (at->sender == sender && LastLine(*at) >= sequence && Foldable(*at)) {
            return &*at;
        }
    }
    return nullptr;
}

void FunctionScopes::SetFolded(Scope& scope, bool folded)
{
    if (scope.folded != folded) {
        scope.folded = folded;
        mFolded += folded ? 1 : static_cast<std::size_t>(-1);
    }
}

void FunctionScopes::SetAllFolded(bool folded)
{
    for (Scope& scope : mScopes) {
        SetFolded(scope, folded && Foldable(scope));
    }
}

}  // namespace tracing
