#include "viewer/session/ViewerSession.h"

#include "foundation/errors/TalvaneException.h"
#include "viewer/records/ReceivedRecord.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace tracing {

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
    , mOpened(mStore, mDurations)
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
    LoadViews();
    UpdateStatus();
}

ViewerSession::~ViewerSession()
{
    Stop();
}

void ViewerSession::Start()
{
    if (!Live()) {
        mOpened.Start(*mOptions.openPath, mOptions.follow);
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
    mOpened.Stop();
    mLog.Stop();
}

bool ViewerSession::TakeRecord(std::uintptr_t dwData, std::uint32_t cbData, const void* data, std::uint32_t senderPid,
    std::uint32_t senderThread, std::int64_t stamp)
{
    const auto record = Live() ? CheckRecord(dwData, cbData, data) : std::nullopt;
    if (!record) {
        ++mRejected;
        return false;
    }
    mIntake.AddRecord(
        *record, ArrivalTimeNow(), senderPid, mSenderNames.Lookup(senderPid, mClock()), { stamp, senderThread });
    return true;
}

void ViewerSession::Tick()
{
    const std::uint64_t now = mClock();
    TakeIn();
    ApplyFindChanges(now);
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
        bool clearAsked = false;
        static_cast<void>(mIntake.MoveInto(mStore, kLinesPerSlice, &mDurations, clearAsked));
        if (clearAsked) {
            // A program wrote the clear command: the lines before it go, the ones after it stay.
            ClearLines();
        }
        // Half a slice of a file's lines, so that the pages they are read in
        // are still at hand when the view in front takes them.
        if (mOpened.Work(kLinesPerSlice / 2)) {
            ClearLines();
            mStatus.Note(L"The file was truncated or replaced: reading it from its start");
        }
        mDurations.DropBefore(mStore.First());
        // Paused, the held lines still come and go, but no new line is shown.
        const ShownLines::Change change = View().shown.Work(mPaused ? 0 : kLinesPerSlice);
        mChanges.repaint = mChanges.repaint || change.coloured;
        if (change.droppedShown != 0 || change.added != 0 || change.reshown) {
            AfterShownChanged(change.droppedShown != 0 || change.reshown);
        }
        CatchUpFind();
    } while (budget.Left()
        && (mIntake.Waiting() || mOpened.Waiting() || (!mPaused && View().shown.Unmatched() != 0)
            || View().finder.Behind(View().shown)));
    // The views behind catch up with what time is left, so that bringing one in front is quick.
    for (std::size_t index = 0; index < mViews.size() && budget.Left() && !mPaused; ++index) {
        SessionView& view = *mViews[index];
        if (index != mCurrent) {
            const ShownLines::Change change = view.shown.Work(kLinesPerSlice);
            if (change.droppedShown != 0 || change.added != 0 || change.reshown) {
                AfterViewShownChanged(view);
            }
        }
    }
    DropOldMarks();
    SelectAfterRulesChange();
}

bool ViewerSession::Busy() const
{
    return mIntake.Waiting() || mOpened.Waiting() || (!mPaused && View().shown.Unmatched() != 0)
        || View().finder.Behind(View().shown);
}

void ViewerSession::AfterViewShownChanged(SessionView& view)
{
    view.shownCount = view.shown.Size();
    if (view.finder.Active()) {
        view.finder.Update(view.shown, kFindSliceLines);
    }
}

void ViewerSession::AfterShownChanged(bool moved)
{
    SessionView& view = View();
    mChanges.rowsMoved = mChanges.rowsMoved || moved || view.shown.Size() < view.shownCount;
    view.shownCount = view.shown.Size();
    if (view.finder.Active()) {
        view.finder.Update(view.shown, kFindSliceLines);
        mChanges.repaint = true;
    }
    mChanges.scrollToEnd = view.following && view.shownCount != 0;
}

void ViewerSession::SelectAfterRulesChange()
{
    SessionView& view = View();
    const auto reached = [&view](std::uint64_t sequence) {
        return view.shown.Unmatched() == 0 || view.shown.FilteredPast(sequence);
    };
    if (view.reveal && reached(*view.reveal)) {
        if (const std::optional<std::size_t> position = view.shown.PositionOf(*view.reveal)) {
            mChanges.select = position;
            mChanges.centre = true;
        }
        view.reveal.reset();
    }
    if (!view.refocus || !reached(*view.refocus)) {
        return;
    }
    if (!view.following && view.shownCount != 0) {
        mChanges.select = std::min(view.shown.PositionAtOrAfter(*view.refocus), view.shownCount - 1);
    }
    view.refocus.reset();
}

ViewerSession::Changes ViewerSession::TakeChanges()
{
    UpdateStatus();
    Changes changes = std::exchange(mChanges, Changes {});
    changes.shown = View().shownCount;
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

void ViewerSession::KeepSettings()
{
    if (!mSettingsStore.Save(mSettings, Live() ? SettingsScope::All : SettingsScope::View)) {
        mStatus.Note(L"The settings could not be kept: " + SystemException::GetSystemErrorText(::GetLastError()));
    }
}

void ViewerSession::Clear()
{
    mIntake.Drop();
    ClearLines();
    mRejected = 0;
    UpdateStatus();
}

void ViewerSession::ClearLines()
{
    mStore.Clear();
    mDurations.Clear();
    mMarks.clear();
    for (const std::unique_ptr<SessionView>& view : mViews) {
        view->shown.Clear();
        view->refocus.reset();
        view->reveal.reset();
        view->chosen.reset();
        AfterViewShownChanged(*view);
    }
    AfterShownChanged(true);
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

void ViewerSession::KeepLayout(const std::optional<std::array<int, kColumns>>& widths,
    const std::optional<std::array<int, kColumns>>& order, const std::optional<WINDOWPLACEMENT>& placement)
{
    mSettings.columnWidths = widths ? widths : mSettings.columnWidths;
    mSettings.columnOrder = order ? order : mSettings.columnOrder;
    mSettings.placement = placement ? placement : mSettings.placement;
    KeepSettings();
}

}  // namespace tracing
