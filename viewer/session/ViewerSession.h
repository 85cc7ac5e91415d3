// The viewer's core, apart from its window. A session owns the intake, the
// store, the log, the debug-output capture with its retry, the reading of a
// saved log, the process names of record senders, the views (each with its
// rules, shown lines, find, folded scopes and following), the bookmarks, the
// settings and the status texts. The window shows the view in front.
// It never touches a window: the window routes input to it, asks it what
// changed since it last asked (TakeChanges), and draws that.
// Everything but the intake belongs to the thread that made the session.
#pragma once

#include "viewer/capture/DebugOutputCapture.h"
#include "viewer/capture/ProcessNames.h"
#include "viewer/log/LogWriter.h"
#include "viewer/rules/RuleText.h"
#include "viewer/session/LineIntake.h"
#include "viewer/session/OpenedLog.h"
#include "viewer/session/SessionStatus.h"
#include "viewer/session/SessionView.h"
#include "viewer/settings/CommandLine.h"
#include "viewer/settings/ViewerSettings.h"
#include "viewer/store/LineStore.h"
#include "viewer/view/Cells.h"
#include "viewer/view/LineFinder.h"
#include "viewer/view/LineRules.h"
#include "viewer/view/QuickRules.h"
#include "viewer/view/ScopeDurations.h"
#include "viewer/view/ScopeSummary.h"
#include "viewer/view/ShownLines.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tracing {

class ViewerSession {
public:
    // Milliseconds from some fixed point; tests pass a clock of their own.
    using Clock = std::function<std::uint64_t()>;
    static std::uint64_t SystemTicks();

    // While another program holds the debug-output buffer, it is tried again this often.
    static constexpr std::uint64_t kCaptureRetryMs = 2000;
    // A changed find text is looked for once typing pauses this long.
    static constexpr std::uint64_t kFindPauseMs = 250;
    // What one Tick may spend taking in lines and matching rules.
    static constexpr std::uint64_t kTickBudgetMs = 40;
    // Find looks through about this many lines between looks at the time.
    static constexpr std::size_t kFindSliceLines = 16384;

    // options: the command line (a saved log to show instead of capturing,
    // the log, the limits and rules for this run).
    ViewerSession(CommandLine options, SettingsStore& settings, Clock clock = &SystemTicks);
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;
    ~ViewerSession();

    // Starts the log, the capture and the reading of a saved log, as asked.
    void Start();
    // Stops the capture (held text becomes lines first, and reaches the log),
    // the reading and the log.
    void Stop();
    // Whether this session captures and takes records, or shows a saved log
    // (or any text file), followed or not.
    bool Live() const { return !mOptions.openPath.has_value(); }
    bool FollowsFile() const { return mOptions.follow && !Live(); }
    const std::optional<std::wstring>& OpenPath() const { return mOptions.openPath; }

    // Where lines enter, from any thread.
    LineIntake& Intake() { return mIntake; }
    // A WM_COPYDATA message; false (and counted) when it is not a well-formed
    // trace record. senderThread owns the window the sender named (0: none),
    // stamp is PreciseStampNow() taken as the message came (0: the time stands in).
    bool TakeRecord(std::uintptr_t dwData, std::uint32_t cbData, const void* data, std::uint32_t senderPid,
        std::uint32_t senderThread = 0, std::int64_t stamp = 0);

    // The periodic step: takes in waiting lines, matches rules, keeps capture
    // going, applies a find text once typing paused. Bounded in time.
    void Tick();
    // Whether lines or rule matching are still waiting after the last Tick.
    bool Busy() const;

    // What the window must draw since it last asked.
    struct Changes {
        std::size_t shown = 0;  // the list's item count
        bool rowsMoved = false;  // shown lines changed other than at the end: redraw every row
        bool repaint = false;  // colours, find matches, fold markers or times changed
        bool scrollToEnd = false;  // following: bring the last line into sight
        std::optional<std::size_t> select;  // choose this line alone and bring it into sight
        bool centre = false;  // and bring the chosen line to the middle of the list
        bool views = false;  // views came, went, were renamed, or another is in front
        bool beep = false;  // a find without a match
        bool status = false;  // the status texts changed
    };
    Changes TakeChanges();

    // Following new lines (in the view in front).
    bool Following() const { return View().following; }
    void SetFollowing(bool following);
    // The user chose a line, or scrolled the last line out of sight: following stops.
    void StopFollowing() { SetFollowing(false); }

    // Find over the whole of the shown lines, without regard to case unless asked.
    void FindTextChanged(std::string text, bool matchCase);  // applied once typing pauses
    void ApplyFind(std::string text, bool matchCase);  // applied now
    bool Finding() const { return View().finder.Active(); }
    // The find text of the view in front, as last typed.
    const std::string& FindText() const { return View().findText; }
    // The next (or previous) match from the chosen line, or from an end
    // without one; it is selected, or the window beeps.
    void FindNext(bool forward, std::optional<std::size_t> chosen);

    // Folding: Left (fold) and Right (unfold) on a chosen line, a click on the
    // marker, and every scope at once.
    void Fold(std::size_t position, bool fold);
    void ToggleFold(std::size_t position);
    void FoldAll(bool fold);

    // Views: All (index 0, never closed, no filters) and the user's, kept
    // in the settings with their names and rules. /rules FILE brings in
    // front a view named after the file (made, or its rules replaced).
    std::size_t ViewCount() const { return mViews.size(); }
    const std::wstring& ViewName(std::size_t index) const { return mViews[index]->name; }
    std::size_t CurrentView() const { return mCurrent; }
    // Whether the view in front may take filters (every view but All).
    bool TakesFilters() const { return mCurrent != 0; }
    // A new view, named "View N", showing every line, in front.
    void NewView();
    // False for All, which cannot be closed.
    bool CloseView(std::size_t index);
    // False (with a note) for an empty name.
    bool RenameView(std::size_t index, std::wstring name);
    // Brings a view in front; chosen is the line chosen in the one leaving.
    void SwitchView(std::size_t index, std::optional<std::size_t> chosen);
    // All in front, with the chosen line of this view chosen there and brought to the middle.
    void ShowInAll(std::optional<std::size_t> chosen);

    // The rules of the view in front. New rules set here are kept in the settings.
    const LineRules& Rules() const { return View().rules; }
    // In All, filters open a view of their own (All shows every line).
    void SetFilters(std::vector<Rule> filters, std::optional<std::size_t> chosen);
    void SetHighlights(std::vector<Rule> highlights);
    // Rules from a file of the text form, instead of the current ones (in
    // All, in a new view named after the file); false (with a note) when the
    // file cannot be read. Bad lines are noted.
    bool ImportRules(const std::wstring& path, std::optional<std::size_t> chosen);
    bool ExportRules(const std::wstring& path);
    // One-click rules from the line at position: added to the view in front
    // (a filter asked for in All opens a view for it). False, with a note,
    // when the line gives the rule nothing to go on.
    bool AddQuickRule(QuickRule rule, std::size_t position);
    // The line at position, for the context menu's labels; nothing when it is gone.
    std::optional<LineView> LineAt(std::size_t position) const;

    // Bookmarks belong to lines, so that every view showing a line shows its mark.
    // Marks the chosen lines, or unmarks them when every one is marked.
    void ToggleMarks(const std::vector<std::size_t>& chosen);
    // The next (or previous) marked line shown in the view in front, from
    // the chosen line, going round at the end; a beep when there is none.
    void NextMark(bool forward, std::optional<std::size_t> chosen);
    void ClearMarks();
    bool Marked(std::size_t position) const;

    // The chosen lines (positions in the list, ascending), or every shown
    // line when none is chosen, in the log format.
    std::string FormatLines(const std::vector<std::size_t>& chosen) const;
    // Saves the chosen lines, or all held lines whatever is shown; false
    // (with a note) when the file cannot be written.
    bool Save(const std::wstring& path, bool all, const std::vector<std::size_t>& chosen);

    void Clear();
    bool Paused() const { return mPaused; }
    void TogglePause();
    bool CaptureWanted() const { return mSettings.capture; }
    void SetCapture(bool on);
    bool Logging() const { return mLog.GetStatus().active; }
    void StartLog(const std::wstring& path);
    void StopLog();
    TimeMode GetTimeMode() const { return mSettings.timeMode; }
    void SetTimeMode(TimeMode mode);
    // The lines held and the log's limit in force, and their change (kept).
    std::uint32_t HistoryLines() const { return static_cast<std::uint32_t>(mStore.Capacity()); }
    std::uint32_t LogLimitMB() const;
    void SetLimits(std::uint32_t historyLines, std::uint32_t logLimitMB);

    // Drawing.
    std::size_t ShownCount() const { return View().shownCount; }
    void AppendCell(std::size_t position, Column column, std::string& out) const;
    struct RowLook {
        std::optional<std::uint32_t> text;  // COLORREF values
        std::optional<std::uint32_t> back;
        int highlight = -1;  // the index of the highlight that colours it
        bool match = false;  // holds the find text
    };
    RowLook Look(std::size_t position) const;
    const std::array<std::wstring, kStatusParts>& StatusTexts() const { return mStatus.Texts(); }

    // The kept settings: columns and placement as the window leaves them,
    // kept when it closes.
    const ViewerSettings& Settings() const { return mSettings; }
    void KeepLayout(const std::optional<std::array<int, kColumns>>& widths,
        const std::optional<std::array<int, kColumns>>& order, const std::optional<WINDOWPLACEMENT>& placement);
    // Says something in the status bar until later notes push it out.
    void Note(std::wstring text) { mStatus.Note(std::move(text)); }

    // Function scopes' durations (ViewerSessionScopes.cpp): every function
    // among the shown lines with its times, and going to a line (the longest
    // call) by its sequence number: chosen and brought into sight when shown.
    std::vector<ScopeFigures> ScopeSummary() const;
    bool GoToLine(std::uint64_t sequence);

private:
    SessionView& View() { return *mViews[mCurrent]; }
    const SessionView& View() const { return *mViews[mCurrent]; }
    SessionView& AddView(std::wstring name);
    // A new view in front, with All's highlights; chosen is the line chosen in the one leaving.
    // False (with a note) when there are as many views as can be kept.
    [[nodiscard]] bool OpenView(std::wstring name, std::optional<std::size_t> chosen);
    std::wstring NextViewName() const;
    void LoadViews();
    void UseRules(SessionView& view, CompiledRules rules, std::optional<std::size_t> chosen, const wchar_t* what);
    void KeepViews();
    void ViewChanged();
    void WorkViews(bool& left);
    void ApplyFindChanges(std::uint64_t now);
    // Find in front looks on, a slice at a time; once it has looked at
    // every shown line it says so, and goes to the match asked for meanwhile.
    void CatchUpFind();
    void SayFindCount();
    void GoToMatch(bool forward, std::uint64_t from);
    void DropOldMarks();
    void ClearLines();
    void KeepSettings();
    void KeepCapturing(std::uint64_t now);
    void TakeIn();
    void SelectAfterRulesChange();
    void AfterShownChanged(bool moved);
    // A view behind the one in front: its count and find follow its shown lines.
    void AfterViewShownChanged(SessionView& view);
    void UpdateStatus();
    // What the opened file's reading has come to, for the status bar.
    std::wstring OpenedStatus() const;
    std::optional<std::uint64_t> SequenceAt(std::optional<std::size_t> position) const;
    // A held line in the log format, as Copy and Save write it.
    void AppendHeldLine(std::string& out, std::uint64_t sequence) const;

    CommandLine mOptions;
    SettingsStore& mSettingsStore;
    Clock mClock;
    ViewerSettings mSettings;

    // Declared in this order so that capture and reading stop first, then
    // the log finishes, while the store still stands.
    LineStore mStore;
    LogWriter mLog;
    LineIntake mIntake;
    DebugOutputCapture mCapture;
    OpenedLog mOpened;  // the file shown instead of capturing
    ProcessNames mSenderNames;  // record senders, on this thread
    ScopeDurations mDurations;  // one for the store, whatever the views
    std::vector<std::unique_ptr<SessionView>> mViews;  // All first; never empty
    std::size_t mCurrent = 0;
    std::set<std::uint64_t> mMarks;  // sequence numbers of marked lines
    SessionStatus mStatus;

    Changes mChanges;
    bool mPaused = false;
    std::uint64_t mRejected = 0;
    std::uint64_t mLastCaptureTry = 0;
    std::uint64_t mLastSweep = 0;
};

}  // namespace tracing
