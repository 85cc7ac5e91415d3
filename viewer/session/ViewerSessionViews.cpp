// A session's views: made, closed, renamed, brought in front; Show in All;
// and the bookmarks every view shares.
#include "viewer/session/ViewerSession.h"

#include <algorithm>

namespace tracing {

namespace {

// Longer names are cut: a tab has no room for them.
constexpr std::size_t kMaxViewName = 64;

std::wstring Trimmed(std::wstring name)
{
    const std::size_t first = name.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) {
        return {};
    }
    name = name.substr(first, name.find_last_not_of(L" \t\r\n") - first + 1);
    return name.substr(0, kMaxViewName);
}

}  // namespace

void ViewerSession::NewView()
{
    if (OpenView(NextViewName(), std::nullopt)) {
        KeepViews();
    }
}

bool ViewerSession::OpenView(std::wstring name, std::optional<std::size_t> chosen)
{
    if (mViews.size() > KeptViews::kMaxViews) {
        mStatus.Note(L"There are as many views as can be kept: close one first");
        mChanges.beep = true;
        return false;
    }
    View().chosen = SequenceAt(chosen);
    SessionView& view = AddView(std::move(name));
    view.rules.SetHighlights(mViews.front()->rules.Highlights());
    view.shown.HighlightsChanged();
    view.following = Live() || FollowsFile();
    mCurrent = mViews.size() - 1;
    ViewChanged();
    return true;
}

bool ViewerSession::CloseView(std::size_t index)
{
    if (index == 0 || index >= mViews.size()) {
        return false;
    }
    mViews.erase(mViews.begin() + static_cast<std::ptrdiff_t>(index));
    if (mCurrent >= index) {
        mCurrent = mCurrent == index ? std::min(index, mViews.size() - 1) : mCurrent - 1;
    }
    ViewChanged();
    KeepViews();
    return true;
}

bool ViewerSession::RenameView(std::size_t index, std::wstring name)
{
    name = Trimmed(std::move(name));
    if (index >= mViews.size()) {
        return false;
    }
    if (index == 0 || name.empty()) {
        mStatus.Note(index == 0 ? L"All keeps its name" : L"A view needs a name");
        return false;
    }
    mViews[index]->name = std::move(name);
    mChanges.views = true;
    KeepViews();
    return true;
}

void ViewerSession::SwitchView(std::size_t index, std::optional<std::size_t> chosen)
{
    if (index >= mViews.size() || index == mCurrent) {
        return;
    }
    View().chosen = SequenceAt(chosen);
    mCurrent = index;
    ViewChanged();
    KeepViews();
}

void ViewerSession::ViewChanged()
{
    SessionView& view = View();
    mChanges.views = true;
    mChanges.repaint = true;
    mChanges.select.reset();
    mChanges.centre = false;
    AfterShownChanged(true);
    if (!view.following && view.chosen) {
        if (const std::optional<std::size_t> position = view.shown.PositionOf(*view.chosen)) {
            mChanges.select = position;
        }
    }
    SayFindCount();
}

void ViewerSession::ShowInAll(std::optional<std::size_t> chosen)
{
    const std::optional<std::uint64_t> sequence = SequenceAt(chosen);
    if (!sequence) {
        mChanges.beep = true;
        return;
    }
    SwitchView(0, chosen);
    SessionView& all = View();
    all.following = false;
    // A line folded away in All comes out of its scopes.
    const LineRecord* record = mStore.Find(*sequence);
    FunctionScopes& scopes = all.shown.Scopes();
    bool unfolded = false;
    for (FunctionScopes::Scope* scope = record != nullptr ? scopes.Enclosing(*sequence, SenderOf(*record)) : nullptr;
         scope != nullptr; scope = scopes.Enclosing(scope->entry, scope->sender)) {
        if (scope->folded) {
            scopes.SetFolded(*scope, false);
            unfolded = true;
        }
    }
    if (unfolded) {
        all.shown.Refold();
        AfterShownChanged(true);
    }
    all.reveal = sequence;
    SelectAfterRulesChange();
}

void ViewerSession::ToggleMarks(const std::vector<std::size_t>& chosen)
{
    std::vector<std::uint64_t> lines;
    for (const std::size_t position : chosen) {
        if (const std::optional<std::uint64_t> sequence = SequenceAt(position)) {
            lines.push_back(*sequence);
        }
    }
    const bool allMarked = std::all_of(lines.begin(), lines.end(), [this](std::uint64_t line) { return mMarks.count(line) != 0; });
    for (const std::uint64_t line : lines) {
        if (allMarked) {
            mMarks.erase(line);
        } else {
            mMarks.insert(line);
        }
    }
    mChanges.repaint = mChanges.repaint || !lines.empty();
}

void ViewerSession::NextMark(bool forward, std::optional<std::size_t> chosen)
{
    const ShownLines& shown = View().shown;
    const std::optional<std::uint64_t> from = SequenceAt(chosen);
    // Marks after (or before) the chosen line first, then round from the other end.
    std::vector<std::uint64_t> order;
    if (forward) {
        const auto split = from ? mMarks.upper_bound(*from) : mMarks.begin();
        order.assign(split, mMarks.end());
        order.insert(order.end(), mMarks.begin(), split);
    } else {
        const auto split = from ? mMarks.lower_bound(*from) : mMarks.end();
        order.assign(std::make_reverse_iterator(split), mMarks.rend());
        order.insert(order.end(), mMarks.rbegin(), std::make_reverse_iterator(split));
    }
    for (const std::uint64_t line : order) {
        if (const std::optional<std::size_t> position = shown.PositionOf(line)) {
            View().following = false;
            mChanges.select = position;
            return;
        }
    }
    mStatus.Note(L"No bookmark is shown in this view");
    mChanges.beep = true;
}

void ViewerSession::ClearMarks()
{
    mChanges.repaint = mChanges.repaint || !mMarks.empty();
    mMarks.clear();
}

bool ViewerSession::Marked(std::size_t position) const
{
    const std::optional<std::uint64_t> sequence = SequenceAt(position);
    return sequence && mMarks.count(*sequence) != 0;
}

void ViewerSession::DropOldMarks()
{
    mMarks.erase(mMarks.begin(), mMarks.lower_bound(mStore.First()));
}

}  // namespace tracing
