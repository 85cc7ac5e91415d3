// What a session tells of function scopes' durations: the summary of the
// shown lines' scopes, and going to a call.
#include "viewer/session/ViewerSession.h"

namespace tracing {

std::vector<ScopeFigures> ViewerSession::ScopeSummary() const
{
    return SummarizeScopes(View().shown);
}

bool ViewerSession::GoToLine(std::uint64_t sequence)
{
    const std::optional<std::size_t> position = View().shown.PositionOf(sequence);
    if (!position || *position >= View().shownCount) {
        mStatus.Note(L"That line is no longer shown.");
        return false;
    }
    // The user chose a line: following it to the end would take it away again.
    SetFollowing(false);
    mChanges.select = position;
    return true;
}

}  // namespace tracing
