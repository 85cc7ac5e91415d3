#include "viewer/view/ScopeDurations.h"

#include "viewer/view/FunctionScopes.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace tracing {

namespace {

constexpr std::uint64_t kDebugSender = std::uint64_t { 1 } << 32;
constexpr std::uint64_t kThreadSender = std::uint64_t { 2 } << 32;
constexpr std::uint64_t kWindowlessSender = std::uint64_t { 3 } << 32;

// A function record "NAME - return..." is an exit even when its entry is not
// known: it must not open a scope of its own.
bool Returning(const ScopeLine& line, std::string_view text)
{
    constexpr std::string_view kReturn = " - return";
    const auto after = static_cast<std::size_t>(line.name.data() - text.data()) + line.name.size();
    return text.substr(after, kReturn.size()) == kReturn;
}

}  // namespace

std::uint64_t PairingSender(LineOrigin origin, std::uint32_t pid, std::uint32_t thread)
{
    if (origin == LineOrigin::Debug) {
        return kDebugSender | pid;
    }
    return thread != 0 ? (kThreadSender | thread) : kWindowlessSender;
}

void AppendMilliseconds(std::string& out, std::int64_t ticks)
{
    const std::uint64_t micro = (static_cast<std::uint64_t>(std::max<std::int64_t>(ticks, 0)) + 5) / 10;
    char text[32];
    char* end = std::to_chars(text, text + sizeof text, micro / 1000).ptr;
    const auto fraction = static_cast<unsigned>(micro % 1000);
    *end++ = '.';
    *end++ = static_cast<char>('0' + fraction / 100);
    *end++ = static_cast<char>('0' + fraction / 10 % 10);
    *end++ = static_cast<char>('0' + fraction % 10);
    out.append(text, end);
}

void ScopeDurations::Add(std::uint64_t sequence, LineOrigin origin, std::int32_t kind, std::string_view text,
    std::uint64_t senderKey, std::int64_t stamp) noexcept
{
    const ScopeLine line = ReadScopeLine(origin, kind, text);
    // Most lines are neither an entry nor an exit: they cost no lookup.
    if (!line.enter && !line.traced) {
        return;
    }
    try {
        if (!line.enter) {
            if (const auto found = mSenders.find(senderKey); found != mSenders.end()) {
                std::vector<Open>& open = found->second.open;
                for (std::size_t at = open.size(); at-- > 0 && open[at].depth >= line.depth;) {
                    if (open[at].depth == line.depth && open[at].name == line.name) {
                        Close(found->second, at, sequence, stamp);
                        return;
                    }
                }
            }
            if (!line.function || Returning(line, text)) {
                return;  // an exit whose entry is not known
            }
        }
        // A function record that closes nothing is an entry with an entry text of its own.
        mEntries.push_back({ sequence, kOpen });
        mSenders[senderKey].open.push_back({ sequence, stamp, line.depth, std::string(line.name) });
    } catch (...) {
        ++mFailures;
    }
}

void ScopeDurations::Close(Sender& sender, std::size_t at, std::uint64_t sequence, std::int64_t stamp)
{
    const Open& open = sender.open[at];
    const auto entry = std::lower_bound(mEntries.begin(), mEntries.end(), open.sequence,
        [](const Entry& held, std::uint64_t wanted) { return held.sequence < wanted; });
    if (entry != mEntries.end() && entry->sequence == open.sequence && sequence > open.sequence) {
        // Stamps of different threads' clocks may disagree a little: never below zero.
        entry->duration = std::max<std::int64_t>(stamp - open.stamp, 0);
        mClosed.push_back(open.sequence);
    }
    // Deeper scopes opened since never returned; others of the same depth
    // (threads that share a sender) stay open.
    const std::uint32_t depth = open.depth;
    const auto kept = std::remove_if(sender.open.begin() + static_cast<std::ptrdiff_t>(at), sender.open.end(),
        [&, first = true](const Open& scope) mutable { return std::exchange(first, false) || scope.depth > depth; });
    sender.open.erase(kept, sender.open.end());
}

void ScopeDurations::DropBefore(std::uint64_t first)
{
    if (first <= mFirst) {
        return;
    }
    mFirst = first;
    while (!mEntries.empty() && mEntries.front().sequence < first) {
        mEntries.pop_front();
    }
    for (auto sender = mSenders.begin(); sender != mSenders.end();) {
        std::vector<Open>& open = sender->second.open;
        open.erase(std::remove_if(open.begin(), open.end(), [&](const Open& scope) { return scope.sequence < first; }),
            open.end());
        sender = open.empty() ? mSenders.erase(sender) : std::next(sender);
    }
    while (!mClosed.empty() && mClosed.front() < first) {
        mClosed.pop_front();
        ++mClosedFirst;
    }
}

void ScopeDurations::Clear()
{
    mEntries.clear();
    mSenders.clear();
    mClosedFirst += mClosed.size();
    mClosed.clear();
    mFirst = 0;
    mFailures = 0;
}

const ScopeDurations::Entry* ScopeDurations::Find(std::uint64_t sequence) const
{
    const auto found = std::lower_bound(mEntries.begin(), mEntries.end(), sequence,
        [](const Entry& held, std::uint64_t wanted) { return held.sequence < wanted; });
    return found != mEntries.end() && found->sequence == sequence ? &*found : nullptr;
}

std::optional<std::int64_t> ScopeDurations::Of(std::uint64_t sequence) const
{
    const Entry* entry = Find(sequence);
    if (entry == nullptr || entry->duration == kOpen) {
        return std::nullopt;
    }
    return entry->duration;
}

}  // namespace tracing
