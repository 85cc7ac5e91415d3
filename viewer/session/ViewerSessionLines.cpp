// What a session does with its shown lines: following, find, folding, the
// cells and colours the window draws, Copy and Save.
#include "viewer/session/ViewerSession.h"

#include "foundation/errors/TalvaneException.h"
#include "viewer/log/LogFormat.h"
#include "viewer/log/SaveFile.h"

#include <windows.h>

#include <algorithm>

namespace tracing {

void ViewerSession::SetFollowing(bool following)
{
    mFollowing = following;
    mChanges.scrollToEnd = following && mShownCount != 0;
}

void ViewerSession::FindTextChanged(std::string text, bool matchCase)
{
    mFindText = std::move(text);
    mFindCase = matchCase;
    mFindChanged = std::max<std::uint64_t>(mClock(), 1);
}

void ViewerSession::ApplyFind(std::string text, bool matchCase)
{
    mFindChanged = 0;
    mFindText = text;
    mFindCase = matchCase;
    mFinder.Set(std::move(text), matchCase);
    mFinder.Update(mShown);
    if (!mFinder.Active()) {
        mStatus.Set(kStatusFind, L"");
    } else if (mFinder.Count() == 0) {
        mStatus.Set(kStatusFind, L"No match");
    } else {
        mStatus.Set(kStatusFind, L"Matches: " + std::to_wstring(mFinder.Count()));
    }
    mChanges.repaint = true;
}

void ViewerSession::FindNext(bool forward, std::optional<std::size_t> chosen)
{
    if (mFindChanged != 0 || !mFinder.Active()) {
        ApplyFind(mFindText, mFindCase);
    }
    if (!mFinder.Active()) {
        return;
    }
    mFinder.Update(mShown);
    // Without a chosen line, forward starts at the top and backward at the bottom.
    const std::uint64_t from = SequenceAt(chosen).value_or(forward ? ~std::uint64_t { 0 } : 0);
    const std::optional<std::uint64_t> match = mFinder.Next(from, forward);
    const std::optional<std::size_t> position = match ? mShown.PositionOf(*match) : std::nullopt;
    if (!position) {
        mStatus.Set(kStatusFind, L"No match");
        mChanges.beep = true;
        return;
    }
    mChanges.select = position;
    mStatus.Set(kStatusFind,
        L"Match " + std::to_wstring(mFinder.NumberOf(*match)) + L" of " + std::to_wstring(mFinder.Count()));
}

std::optional<std::uint64_t> ViewerSession::SequenceAt(std::optional<std::size_t> position) const
{
    if (!position || *position >= mShown.Size()) {
        return std::nullopt;
    }
    return mShown.SequenceAt(*position);
}

void ViewerSession::Fold(std::size_t position, bool fold)
{
    const std::optional<std::uint64_t> sequence = SequenceAt(position);
    const LineRecord* record = sequence ? mStore.Find(*sequence) : nullptr;
    if (record == nullptr) {
        return;
    }
    FunctionScopes& scopes = mShown.Scopes();
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
    mShown.Refold();
    AfterShownChanged(true);
    mChanges.select = mShown.PositionOf(entry);
}

void ViewerSession::ToggleFold(std::size_t position)
{
    const std::optional<std::uint64_t> sequence = SequenceAt(position);
    const FunctionScopes::Scope* scope = sequence ? mShown.Scopes().At(*sequence) : nullptr;
    if (scope != nullptr && mShown.Scopes().Foldable(*scope)) {
        Fold(position, !scope->folded);
    }
}

void ViewerSession::FoldAll(bool fold)
{
    mShown.Scopes().SetAllFolded(fold);
    mShown.Refold();
    AfterShownChanged(true);
}

std::string ViewerSession::FormatLines(const std::vector<std::size_t>& chosen) const
{
    std::string text;
    const auto append = [&](std::size_t position) {
        if (const LineRecord* record = mStore.Find(mShown.SequenceAt(position))) {
            AppendLogLine(text, mStore.Line(*record));
        }
    };
    if (chosen.empty()) {
        for (std::size_t position = 0; position < std::min(mShownCount, mShown.Size()); ++position) {
            append(position);
        }
    }
    for (const std::size_t position : chosen) {
        if (position < mShown.Size()) {
            append(position);
        }
    }
    return text;
}

bool ViewerSession::Save(const std::wstring& path, bool all, const std::vector<std::size_t>& chosen)
{
    std::string text;
    if (all) {
        // Every held line, whatever the filters and folds show.
        for (std::uint64_t sequence = mStore.First(); sequence < mStore.End(); ++sequence) {
            AppendLogLine(text, mStore.Line(mStore.Record(sequence)));
        }
    } else {
        text = FormatLines(chosen);
    }
    if (SaveFileReplacing(path, text)) {
        return true;
    }
    mStatus.Note(L"The lines could not be saved to " + path + L": " + SystemException::GetSystemErrorText(::GetLastError()));
    return false;
}

void ViewerSession::AppendCell(std::size_t position, Column column, std::string& out) const
{
    if (position < mShownCount) {
        AppendCellText(out, mShown, position, column, mSettings.timeMode);
    }
}

ViewerSession::RowLook ViewerSession::Look(std::size_t position) const
{
    RowLook look;
    const std::optional<std::uint64_t> sequence = position < mShownCount ? SequenceAt(position) : std::nullopt;
    if (!sequence) {
        return look;
    }
    const int highlight = mShown.HighlightOf(*sequence);
    if (highlight >= 0) {
        const TextRule& rule = mRules.Highlights()[static_cast<std::size_t>(highlight)].Definition();
        look.text = rule.textColour;
        look.back = rule.backColour;
        look.highlight = highlight;
    }
    look.match = mFinder.Active() && mFinder.IsMatch(*sequence);
    return look;
}

}  // namespace tracing
