#include "viewer/session/ViewerSession.h"

#include "foundation/errors/TalvaneException.h"
#include "foundation/text/Unicode.h"
#include "viewer/log/LogFormat.h"
#include "viewer/log/SaveFile.h"
#include "viewer/records/ReceivedRecord.h"
#include "viewer/rules/RuleText.h"
#include "viewer/session/RuleFiles.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace {

// Rule matching runs in slices of this many lines between looks at the time.
constexpr std::size_t kLinesPerSlice = 4096;

// Spent time on the real clock: the budget bounds real work whatever clock the session is given.
class Budget {
public:
    explicit Budget(std::uint64_t milliseconds)
        : mEnd(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds))
    {
    }
    bool Left() const { return std::chrono::steady_clock::now() < mEnd; }

private:
    std::chrono::steady_clock::time_point mEnd;
};

}  // namespace

std::uint64_t ViewerSession::SystemTicks()
{
    return ::GetTickCount64();
}

ViewerSession::ViewerSession(CommandLine options, SettingsStore& settings, Clock clock)
    : mOptions(std::move(options))
    , mSettingsStore(settings)
    , mClock(std::move(clock))
    , mSettings(settings.Load())
    , mIntake(&mLog)
    , mCapture([this](const JoinedLine& line) { mIntake.AddDebugLine(line); })
    , mLoading(mIntake)
{
    // A saved log holds as many lines as the store may, within the byte bound.
    const std::uint32_t historyLines = Live() ? mOptions.historyLines.value_or(mSettings.historyLines)
                                              : ViewerSettings::kMaxHistoryLines;
    mStore.SetCapacity(historyLines,
        mOptions.historyMB ? std::size_t { *mOptions.historyMB } << 20 : LineStore::kDefaultCapacityBytes);
    mLog.SetLimit(mOptions.logLimitBytes.value_or(std::uint64_t { mSettings.logLimitMB } << 20));
    for (const std::wstring& argument : mOptions.ignored) {
        mStatus.Note(L"Ignored: " + argument);
    }
    LoadRules();
    mFollowing = Live();
    UpdateStatus();
}

ViewerSession::~ViewerSession()
{
    Stop();
}

void ViewerSession::LoadRules()
{
    if (mOptions.rulesPath) {
        std::string text;
        if (ReadRulesFile(*mOptions.rulesPath, text, mStatus)) {
            UseRules(CompileRules(ParseRules(text)), std::nullopt, L"Rules file");
            return;
        }
    }
    const std::optional<std::string> kept = mSettingsStore.LoadRules();
    if (!kept) {
        // Error lines stand out from the start.
        TextRule errors { .action = RuleAction::Highlight, .field = RuleField::Kind, .pattern = "error" };
        errors.textColour = kDefaultHighlightText;
        errors.backColour = kDefaultHighlightBack;
        std::string error;
        mRules.SetHighlights({ *Rule::Make(errors, error) });
        return;
    }
    UseRules(CompileRules(ParseRules(*kept)), std::nullopt, L"Kept rules");
}

void ViewerSession::UseRules(CompiledRules rules, std::optional<std::size_t> chosen, const wchar_t* what)
{
    for (const RuleProblem& problem : rules.problems) {
        mStatus.Note(std::wstring(what) + L", line " + std::to_wstring(problem.line) + L": "
            + unicode::utf8_to_wide(problem.message) + L" (left out)");
    }
    mRefocus = SequenceAt(chosen);
    mRules.SetFilters(std::move(rules.filters));
    mRules.SetHighlights(std::move(rules.highlights));
    mShown.FiltersChanged();
    mShown.HighlightsChanged();
    AfterShownChanged(true);
}

void ViewerSession::Start()
{
    if (!Live()) {
        mLoading.Start(*mOptions.openPath);
        UpdateStatus();
        return;
    }
    if (mOptions.logPath) {
        mLog.Start(*mOptions.logPath, mLog.Limit());
    }
    if (mSettings.capture) {
        static_cast<void>(mCapture.Start());
        mLastCaptureTry = mClock();
    }
    UpdateStatus();
}

void ViewerSession::Stop()
{
    mCapture.Stop();
    mLoading.Stop();
    mLog.Stop();
}

bool ViewerSession::TakeRecord(std::uintptr_t dwData, std::uint32_t cbData, const void* data, std::uint32_t senderPid)
{
    const auto record = Live() ? CheckRecord(dwData, cbData, data) : std::nullopt;
    if (!record) {
        ++mRejected;
        return false;
    }
    mIntake.AddRecord(*record, ArrivalTimeNow(), senderPid, mSenderNames.Lookup(senderPid, mClock()));
    return true;
}

void ViewerSession::Tick()
{
    const std::uint64_t now = mClock();
    TakeIn();
    if (mFindChanged != 0 && now - mFindChanged >= kFindPauseMs) {
        ApplyFind(mFindText, mFindCase);
    }
    if (Live()) {
        KeepCapturing(now);
        if (now - mLastSweep >= DebugOutputCapture::kSweepMs) {
            mSenderNames.Sweep(now);
            mLastSweep = now;
        }
    }
    UpdateStatus();
}

void ViewerSession::TakeIn()
{
    const Budget budget(kTickBudgetMs);
    do {
        static_cast<void>(mIntake.MoveInto(mStore, kLinesPerSlice));
        // Paused, the held lines still come and go, but no new line is shown.
        const ShownLines::Change change = mShown.Work(mPaused ? 0 : kLinesPerSlice);
        mChanges.repaint = mChanges.repaint || change.coloured;
        if (change.droppedShown != 0 || change.added != 0) {
            AfterShownChanged(change.droppedShown != 0);
        }
    } while (budget.Left() && (mIntake.Waiting() || (!mPaused && mShown.Unmatched() != 0)));
    SelectAfterRulesChange();
}

bool ViewerSession::Busy() const
{
    return mIntake.Waiting() || (!mPaused && mShown.Unmatched() != 0);
}

void ViewerSession::AfterShownChanged(bool moved)
{
    mChanges.rowsMoved = mChanges.rowsMoved || moved || mShown.Size() < mShownCount;
    mShownCount = mShown.Size();
    if (mFinder.Active()) {
        mFinder.Update(mShown);
        mChanges.repaint = true;
    }
    mChanges.scrollToEnd = mFollowing && mShownCount != 0;
}

void ViewerSession::SelectAfterRulesChange()
{
    if (!mRefocus || (mShown.Unmatched() != 0 && !mShown.FilteredPast(*mRefocus))) {
        return;
    }
    if (!mFollowing && mShownCount != 0) {
        mChanges.select = std::min(mShown.PositionAtOrAfter(*mRefocus), mShownCount - 1);
    }
    mRefocus.reset();
}

ViewerSession::Changes ViewerSession::TakeChanges()
{
    UpdateStatus();
    Changes changes = std::exchange(mChanges, Changes {});
    changes.shown = mShownCount;
    changes.status = mStatus.TakeChanged();
    return changes;
}

void ViewerSession::KeepCapturing(std::uint64_t now)
{
    switch (mCapture.GetState()) {
    case DebugOutputCapture::State::Failed:
        // A capture thread that gave up leaves its buffer to writers no more.
        mCapture.Stop();
        break;
    case DebugOutputCapture::State::TakenByOther:
        if (mSettings.capture && now - mLastCaptureTry >= kCaptureRetryMs) {
            mLastCaptureTry = now;
            static_cast<void>(mCapture.Start());
        }
        break;
    default:
        break;
    }
}

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

void ViewerSession::SetFilters(std::vector<Rule> filters, std::optional<std::size_t> chosen)
{
    mRefocus = SequenceAt(chosen);
    mRules.SetFilters(std::move(filters));
    mShown.FiltersChanged();
    AfterShownChanged(true);
    KeepRules();
}

void ViewerSession::SetHighlights(std::vector<Rule> highlights)
{
    mRules.SetHighlights(std::move(highlights));
    mShown.HighlightsChanged();
    mChanges.repaint = true;
    KeepRules();
}

bool ViewerSession::ImportRules(const std::wstring& path, std::optional<std::size_t> chosen)
{
    std::string text;
    if (!ReadRulesFile(path, text, mStatus)) {
        return false;
    }
    UseRules(CompileRules(ParseRules(text)), chosen, L"Imported rules");
    KeepRules();
    return true;
}

bool ViewerSession::ExportRules(const std::wstring& path)
{
    if (SaveFileReplacing(path, RulesToText(mRules.Definitions()))) {
        return true;
    }
    mStatus.Note(L"The rules could not be exported: " + SystemException::GetSystemErrorText(::GetLastError()));
    return false;
}

void ViewerSession::KeepRules()
{
    if (!mSettingsStore.SaveRules(RulesToText(mRules.Definitions()))) {
        mStatus.Note(L"The rules could not be kept: " + SystemException::GetSystemErrorText(::GetLastError()));
    }
}

void ViewerSession::KeepSettings()
{
    if (!mSettingsStore.Save(mSettings, Live() ? SettingsScope::All : SettingsScope::View)) {
        mStatus.Note(L"The settings could not be kept: " + SystemException::GetSystemErrorText(::GetLastError()));
    }
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

void ViewerSession::Clear()
{
    mIntake.Drop();
    mStore.Clear();
    mShown.Clear();
    mRejected = 0;
    mRefocus.reset();
    AfterShownChanged(true);
    UpdateStatus();
}

void ViewerSession::TogglePause()
{
    if (Live()) {
        mPaused = !mPaused;
        UpdateStatus();
    }
}

void ViewerSession::SetCapture(bool on)
{
    if (!Live() || mSettings.capture == on) {
        return;
    }
    mSettings.capture = on;
    KeepSettings();
    if (on) {
        mLastCaptureTry = mClock();
        static_cast<void>(mCapture.Start());
    } else {
        mCapture.Stop();
    }
    UpdateStatus();
}

void ViewerSession::StartLog(const std::wstring& path)
{
    mLog.Start(path, mLog.Limit());
    UpdateStatus();
}

void ViewerSession::StopLog()
{
    mLog.Stop();
    UpdateStatus();
}

void ViewerSession::SetTimeMode(TimeMode mode)
{
    mSettings.timeMode = mode;
    KeepSettings();
    mChanges.repaint = true;
}

std::uint32_t ViewerSession::LogLimitMB() const
{
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(mLog.Limit() >> 20, 1));
}

void ViewerSession::SetLimits(std::uint32_t historyLines, std::uint32_t logLimitMB)
{
    mSettings.historyLines = historyLines;
    mSettings.logLimitMB = logLimitMB;
    KeepSettings();
    mStore.SetCapacity(historyLines, mStore.CapacityBytes());
    mLog.SetLimit(std::uint64_t { logLimitMB } << 20);
    TakeIn();
    UpdateStatus();
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

void ViewerSession::KeepLayout(const std::optional<std::array<int, kColumns>>& widths,
    const std::optional<std::array<int, kColumns>>& order, const std::optional<WINDOWPLACEMENT>& placement)
{
    mSettings.columnWidths = widths ? widths : mSettings.columnWidths;
    mSettings.columnOrder = order ? order : mSettings.columnOrder;
    mSettings.placement = placement ? placement : mSettings.placement;
    KeepSettings();
}
