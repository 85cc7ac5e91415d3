#include "viewer/capture/LineJoiner.h"

#include <algorithm>

namespace tracing {

void LineJoiner::Add(std::uint32_t pid, std::string_view process, std::string_view text, std::int64_t time,
    std::uint64_t tick, std::int64_t stamp)
{
    auto held = mHeld.find(pid);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view piece = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const bool ended = end != std::string_view::npos;

        // The common case, a whole line in one write, goes out without a copy.
        if (held == mHeld.end() && ended && piece.size() < kMaxHeld) {
            EmitLine(pid, process, piece, time, stamp);
            continue;
        }
        if (held == mHeld.end()) {
            held = mHeld.emplace(pid, Held { std::string(process), std::string(), time, stamp, tick }).first;
        }
        Held& line = held->second;
        line.time = time;
        line.stamp = stamp;
        line.tick = tick;
        for (std::string_view rest = piece; !rest.empty();) {
            const std::size_t take = std::min(rest.size(), kMaxHeld - line.text.size());
            line.text.append(rest.substr(0, take));
            rest.remove_prefix(take);
            if (line.text.size() == kMaxHeld) {
                EmitLine(pid, line.process, line.text, time, stamp);
                line.text.clear();
                line.cut = true;
            }
        }
        if (ended) {
            // The line end of text that just went out at kMaxHeld adds no empty line.
            std::string_view whole = line.text;
            if (!whole.empty() && whole.back() == '\r') {
                whole.remove_suffix(1);
            }
            if (!whole.empty() || !line.cut) {
                EmitLine(pid, line.process, line.text, time, stamp);
            }
            mHeld.erase(held);
            held = mHeld.end();
        }
    }
}

void LineJoiner::FlushIdle(std::uint64_t tick)
{
    for (auto held = mHeld.begin(); held != mHeld.end();) {
        if (tick - held->second.tick >= kIdleMs) {
            if (!held->second.text.empty()) {
                EmitLine(held->first, held->second.process, held->second.text, held->second.time, held->second.stamp);
            }
            held = mHeld.erase(held);
        } else {
            ++held;
        }
    }
}

void LineJoiner::FlushAll()
{
    for (const auto& [pid, held] : mHeld) {
        if (!held.text.empty()) {
            EmitLine(pid, held.process, held.text, held.time, held.stamp);
        }
    }
    mHeld.clear();
}

void LineJoiner::EmitLine(
    std::uint32_t pid, std::string_view process, std::string_view text, std::int64_t time, std::int64_t stamp)
{
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
    }
    mEmit({ pid, process, text, time, stamp });
}

}  // namespace tracing
