// One view of a session: a tab over the session's one store, with its own
// rules, shown lines, folds, find and following. The first view, All, takes
// highlights but no filters, so it shows every line.
#pragma once

#include "viewer/store/LineStore.h"
#include "viewer/view/LineFinder.h"
#include "viewer/view/LineRules.h"
#include "viewer/view/ShownLines.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tracing {

inline constexpr wchar_t kAllViewName[] = L"All";
// Before a marked line's fold marker, in the list's first column.
inline constexpr char kBookmarkMark[] = "\xE2\x97\x8F ";

struct SessionView {
    SessionView(std::wstring viewName, const LineStore& store, const ScopeDurations& durations)
        : name(std::move(viewName))
        , shown(store, rules, durations)
    {
    }
    SessionView(const SessionView&) = delete;
    SessionView& operator=(const SessionView&) = delete;

    std::wstring name;
    LineRules rules;
    ShownLines shown;
    LineFinder finder;
    bool following = true;
    std::size_t shownCount = 0;  // as last reported to the window
    std::string findText;
    bool findCase = false;
    std::uint64_t findChanged = 0;  // when the find text changed, 0 when applied
    // Find next (or previous) from a line, asked for while find was still looking.
    struct PendingFind {
        bool forward;
        std::uint64_t from;
    };
    std::optional<PendingFind> pendingFind;
    // After a filter change: the chosen line, or the nearest shown after it, is chosen again.
    std::optional<std::uint64_t> refocus;
    // A line to choose and bring to the middle once the rules have reached it (Show in All).
    std::optional<std::uint64_t> reveal;
    // The line chosen when another view was brought in front, chosen again on return.
    std::optional<std::uint64_t> chosen;
};

}  // namespace tracing
