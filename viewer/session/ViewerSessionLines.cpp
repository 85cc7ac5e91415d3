// What a session does with its shown lines: following, find, folding, the
// cells and colours the window draws, Copy and Save.
#include "viewer/session/ViewerSession.h"

#include "foundation/errors/TalvaneException.h"
#include "viewer/log/LogFormat.h"
#include "viewer/log/SaveFile.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace tracing {

void ViewerSession::SetFollowing(bool following)
{
    View().following = following;
    mChanges.scrollToEnd = following && View().shownCount != 0;
}

void ViewerSession::FindTextChanged(std::string text, bool matchCase)
{
    SessionView& view = View();
    view.findText = std::move(text);
    view.findCase = matchCase;
    view.findChanged = std::max<std::uint64_t>(mClock(), 1);
}

void ViewerSession::ApplyFindChanges(std::uint64_t now)
{
    SessionView& view = View();
    if (view.findChanged != 0 && now - view.findChanged >= kFindPauseMs) {
        ApplyFind(view.findText, view.findCase);
    }
}

void ViewerSession::ApplyFind(std::string text, bool matchCase)
{
    SessionView& view = View();
    view.findChanged = 0;
    view.findText = text;
    view.findCase = matchCase;
    view.pendingFind.reset();
    view.finder.Set(std::move(text), matchCase);
    view.finder.Update(view.shown, kFindSliceLines);
    SayFindCount();
    mChanges.repaint = true;
}

void ViewerSession::SayFindCount()
{
    const SessionView& view = View();
    if (!view.finder.Active()) {
        mStatus.Set(kStatusFind, L"");
    } else if (view.finder.Behind(view.shown)) {
        mStatus.Set(kStatusFind, L"Finding: " + std::to_wstring(view.finder.Count()) + L" matches so far");
    } else if (view.finder.Count() == 0) {
        mStatus.Set(kStatusFind, L"No match");
    } else {
        mStatus.Set(kStatusFind, L"Matches: " + std::to_wstring(view.finder.Count()));
    }
}

void ViewerSession::CatchUpFind()
{
    SessionView& view = View();
    if (!view.finder.Behind(view.shown)) {
        return;
    }
    view.finder.Update(view.shown, kFindSliceLines);
    mChanges.repaint = true;
    if (view.finder.Behind(view.shown)) {
        return;
    }
    SayFindCount();
    if (const std::optional<SessionView::PendingFind> pending = std::exchange(view.pendingFind, std::nullopt)) {
        GoToMatch(pending->forward, pending->from);
    }
}

void ViewerSession::FindNext(bool forward, std::optional<std::size_t> chosen)
{
    SessionView& view = View();
    if (view.findChanged != 0 || !view.finder.Active()) {
        ApplyFind(view.findText, view.findCase);
    }
    if (!view.finder.Active()) {
        return;
    }
    // Without a chosen line, forward starts at the top and backward at the bottom.
    const std::uint64_t from = SequenceAt(chosen).value_or(forward ? ~std::uint64_t { 0 } : 0);
    view.finder.Update(view.shown, kFindSliceLines);
    if (view.finder.Behind(view.shown)) {
        // Found once find has looked at every shown line.
        view.pendingFind = SessionView::PendingFind { forward, from };
        SayFindCount();
        return;
    }
    GoToMatch(forward, from);
}

void ViewerSession::GoToMatch(bool forward, std::uint64_t from)
{
    SessionView& view = View();
    const std::optional<std::uint64_t> match = view.finder.Next(from, forward);
    const std::optional<std::size_t> position = match ? view.shown.PositionOf(*match) : std::nullopt;
    if (!position) {
        mStatus.Set(kStatusFind, L"No match");
        mChanges.beep = true;
        return;
    }
    mChanges.select = position;
    mStatus.Set(kStatusFind,
        L"Match " + std::to_wstring(view.finder.NumberOf(*match)) + L" of " + std::to_wstring(view.finder.Count()));
}

std::optional<std::uint64_t> ViewerSession::SequenceAt(std::optional<std::size_t> position) const
{
    const ShownLines& shown = View().shown;
    if (!position || *position >= shown.Size()) {
        return std::nullopt;
    }
    return shown.SequenceAt(*position);
}

std::optional<LineView> ViewerSession::LineAt(std::size_t position) const
{
    const std::optional<std::uint64_t> sequence = SequenceAt(position);
    const LineRecord* record = sequence ? mStore.Find(*sequence) : nullptr;
    return record != nullptr ? std::optional<LineView>(mStore.Line(*record)) : std::nullopt;
}

void ViewerSession::Fold(std::size_t position, bool fold)
{
    const std::optional<std::uint64_t> sequence = SequenceAt(position);
    const LineRecord* record = sequence ? mStore.Find(*sequence) : nullptr;
    if (record == nullptr) {
        return;
    }
    FunctionScopes& scopes = View().shown.Scopes();
    FunctionScopes::Scope* scope = scopes.At(*sequence);
    if (scope != nullptr && !scopes.Foldable(*scope)) {
        scope = nullptr;
    }
    // Left on a line inside a scope, or on an entry already folded, folds the scope around it.
    if (fold && (scope == nullptr || scope->folded)) {
        scope = scopes.Enclosing(*sequence, SenderOf(*record));
    }
    if (scope == nullptr || scope->folded == fold) {
        return;
    }
    scopes.SetFolded(*scope, fold);
    const std::uint64_t entry = scope->entry;
    View().shown.Refold();
    AfterShownChanged(true);
    mChanges.select = View().shown.PositionOf(entry);
    if (!mChanges.select) {
        View().refocus = entry;  // chosen once the refold reaches it
    }
}

void ViewerSession::ToggleFold(std::size_t position)
{
    const std::optional<std::uint64_t> sequence = SequenceAt(position);
    const FunctionScopes::Scope* scope = sequence ? View().shown.Scopes().At(*sequence) : nullptr;
    if (scope != nullptr && View().shown.Scopes().Foldable(*scope)) {
        Fold(position, !scope->folded);
    }
}

void ViewerSession::FoldAll(bool fold)
{
    View().shown.Scopes().SetAllFolded(fold);
    View().shown.Refold();
    AfterShownChanged(true);
}

void ViewerSession::AppendHeldLine(std::string& out, std::uint64_t sequence) const
{
    const LineRecord* record = mStore.Find(sequence);
    if (record == nullptr) {
        return;
    }
    LineView line = mStore.Line(*record);
    // A file's line cut for showing is copied and saved whole.
    const std::optional<std::string> whole = mOpened.CutText(sequence);
    if (whole && !ParseLogFields(*whole, line)) {
        line.text = *whole;
    }
    AppendLogLine(out, line);
}

std::string ViewerSession::FormatLines(const std::vector<std::size_t>& chosen) const
{
    std::string text;
    const ShownLines& shown = View().shown;
    const std::size_t shownCount = View().shownCount;
    const auto append = [&](std::size_t position) {
        AppendHeldLine(text, shown.SequenceAt(position));
    };
    if (chosen.empty()) {
        for (std::size_t position = 0; position < std::min(shownCount, shown.Size()); ++position) {
            append(position);
        }
    }
    for (const std::size_t position : chosen) {
        if (position < shown.Size()) {
            append(position);
        }
    }
    return text;
}

bool ViewerSession::Save(const std::wstring& path, bool all, const std::vector<std::size_t>& chosen)
{
    bool saved = false;
    if (all) {
        // Every held line, whatever the filters and folds show, a megabyte
        // at a time: an opened file's lines may be far more than memory holds.
        std::uint64_t sequence = mStore.First();
        saved = SaveFileReplacing(path, [&](std::string& piece) {
            for (; sequence < mStore.End() && piece.size() < (std::size_t { 1 } << 20); ++sequence) {
                AppendHeldLine(piece, sequence);
            }
            return !piece.empty();
        });
    } else {
        saved = SaveFileReplacing(path, FormatLines(chosen));
    }
    if (saved) {
        return true;
    }
    mStatus.Note(L"The lines could not be saved to " + path + L": " + SystemException::GetSystemErrorText(::GetLastError()));
    return false;
}

void ViewerSession::AppendCell(std::size_t position, Column column, std::string& out) const
{
    if (position >= View().shownCount) {
        return;
    }
    if (column == Column::Fold && Marked(position)) {
        out += kBookmarkMark;
    }
    AppendCellText(out, View().shown, position, column, mSettings.timeMode);
}

ViewerSession::RowLook ViewerSession::Look(std::size_t position) const
{
    RowLook look;
    const SessionView& view = View();
    const std::optional<std::uint64_t> sequence = position < view.shownCount ? SequenceAt(position) : std::nullopt;
    if (!sequence) {
        return look;
    }
    const int highlight = view.shown.HighlightOf(*sequence);
    if (highlight >= 0) {
        const TextRule& rule = view.rules.Highlights()[static_cast<std::size_t>(highlight)].Definition();
        look.text = rule.textColour;
        look.back = rule.backColour;
        look.highlight = highlight;
    }
    look.match = view.finder.Active() && view.finder.IsMatch(*sequence);
    return look;
}

}  // namespace tracing
