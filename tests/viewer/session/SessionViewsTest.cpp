// Views over one capture, one-click rules, bookmarks and the clear command,
// driven through the session as the window drives it.
#include "tests/viewer/session/SessionHarness.h"

#include "foundation/trace/TraceProtocol.h"
#include "viewer/session/LineIntake.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tracing;

namespace {

using session_tests::Harness;
using session_tests::Made;

constexpr std::int32_t kMessage = UTrace::kTraceMessage;

std::vector<std::string> Strings(std::initializer_list<const char*> texts)
{
    return { texts.begin(), texts.end() };
}

// Lines of two programs: pid 1 is app.exe, pid 2 has no name.
void AddLines(Harness& viewer, std::initializer_list<std::pair<std::uint32_t, const char*>> lines)
{
    for (const auto& [pid, text] : lines) {
        viewer.Add(pid, kMessage, text);
    }
    viewer.Settle();
}

std::vector<std::wstring> Names(Harness& viewer)
{
    std::vector<std::wstring> names;
    for (std::size_t index = 0; index < viewer->ViewCount(); ++index) {
        names.push_back(viewer->ViewName(index));
    }
    return names;
}

TEST(SessionViews, EachViewHasItsOwnFiltersFindAndFollowingOverTheSameLines)
{
    Harness viewer;
    AddLines(viewer, { { 1, "alpha" }, { 2, "beta" }, { 1, "gamma" } });
    viewer->NewView();
    EXPECT_TRUE(viewer.Settle().views);
    viewer->SetFilters({ Made({ .pattern = "a" }) }, std::nullopt);
    viewer->NewView();
    viewer->SetFilters({ Made({ .action = RuleAction::Exclude, .pattern = "alpha" }) }, std::nullopt);
    viewer.Settle();
    EXPECT_EQ(Names(viewer), (std::vector<std::wstring> { L"All", L"View 2", L"View 3" }));
    EXPECT_EQ(viewer.Texts(), Strings({ "beta", "gamma" }));
    viewer->ApplyFind("gamma", false);
    viewer->StopFollowing();

    // New lines reach every view, each through its own rules.
    AddLines(viewer, { { 2, "delta" } });
    viewer->SwitchView(1, 0);
    viewer.Settle();
    EXPECT_EQ(viewer.Texts(), Strings({ "alpha", "beta", "gamma", "delta" }));
    EXPECT_TRUE(viewer->Following());
    EXPECT_FALSE(viewer->Finding());
    viewer->SwitchView(0, std::nullopt);
    viewer.Settle();
    EXPECT_EQ(viewer.Texts().size(), 4u);
    EXPECT_FALSE(viewer->TakesFilters());

    // Back in View 3: its find and its chosen line come back with it.
    viewer->SwitchView(2, std::nullopt);
    const ViewerSession::Changes back = viewer.Settle();
    EXPECT_TRUE(back.views);
    EXPECT_TRUE(viewer->Finding());
    EXPECT_EQ(viewer->FindText(), "gamma");
    EXPECT_FALSE(viewer->Following());
    EXPECT_EQ(back.select, 0u) << "the line chosen when it was left";
    EXPECT_EQ(viewer.Texts(), Strings({ "beta", "gamma", "delta" }));
}

TEST(SessionViews, AllTakesNoFiltersSoFiltersSetThereOpenAViewOfTheirOwn)
{
    Harness viewer;
    AddLines(viewer, { { 1, "keep" }, { 1, "drop" } });
    viewer->SetFilters({ Made({ .action = RuleAction::Exclude, .pattern = "drop" }) }, std::nullopt);
    viewer.Settle();
    EXPECT_EQ(viewer->CurrentView(), 1u);
    EXPECT_EQ(viewer.Texts(), Strings({ "keep" }));
    EXPECT_TRUE(viewer->Rules().Filters().size() == 1 && viewer->Rules().Highlights().size() == 1)
        << "a new view starts with All's highlights";
    viewer->SwitchView(0, std::nullopt);
    viewer.Settle();
    EXPECT_TRUE(viewer->Rules().Filters().empty());
    EXPECT_EQ(viewer.Texts().size(), 2u);
}

TEST(SessionViews, ViewsAreNamedClosedAndKeptWithTheirRulesForTheNextStart)
{
    Harness viewer;
    viewer->NewView();
    viewer->NewView();
    viewer->SetFilters({ Made({ .action = RuleAction::Exclude, .pattern = "noise" }) }, std::nullopt);
    EXPECT_FALSE(viewer->RenameView(2, L"   "));
    EXPECT_FALSE(viewer->RenameView(0, L"Everything"));
    EXPECT_TRUE(viewer->RenameView(2, L"  Quiet  "));
    EXPECT_FALSE(viewer->CloseView(0));
    EXPECT_TRUE(viewer->CloseView(1));
    EXPECT_EQ(Names(viewer), (std::vector<std::wstring> { L"All", L"Quiet" }));
    EXPECT_EQ(viewer->CurrentView(), 1u);
    viewer->NewView();
    EXPECT_EQ(viewer->ViewName(2), L"View 2") << "the lowest free number";

    // The next start: the same views, their rules, the same one in front.
    const KeptViews kept = *viewer.settings().views;
    ASSERT_EQ(kept.views.size(), 2u);
    EXPECT_EQ(kept.current, 2u);
    viewer->SwitchView(1, std::nullopt);
    Harness next({}, viewer.settings().rules, viewer.settings().views);
    EXPECT_EQ(Names(next), (std::vector<std::wstring> { L"All", L"Quiet", L"View 2" }));
    EXPECT_EQ(next->CurrentView(), 1u);
    ASSERT_EQ(next->Rules().Filters().size(), 1u);
    EXPECT_EQ(next->Rules().Filters()[0].Definition().pattern, "noise");
    EXPECT_EQ(next->Rules().Highlights().size(), 1u);
}

TEST(SessionViews, RulesKeptBeforeThereWereViewsKeepTheirFiltersInAViewOfTheirOwn)
{
    Harness viewer({}, "exclude\ttext\ttext\tnoise\r\nhighlight\tkind\ttext\terror\r\n");
    AddLines(viewer, { { 1, "noise" }, { 1, "signal" } });
    EXPECT_EQ(Names(viewer), (std::vector<std::wstring> { L"All", L"View 2" }));
    EXPECT_EQ(viewer->CurrentView(), 1u);
    EXPECT_EQ(viewer.Texts(), Strings({ "signal" }));
    viewer->SwitchView(0, std::nullopt);
    viewer.Settle();
    EXPECT_EQ(viewer.Texts(), Strings({ "noise", "signal" }));
    EXPECT_EQ(viewer->Rules().Highlights().size(), 1u);
}

TEST(SessionViews, ShowInAllChoosesTheSameLineThereInTheMiddleUnfoldingItsScope)
{
    Harness viewer;
    viewer.Add(1, UTrace::kTraceFunction, "Work - enter");
    AddLines(viewer, { { 1, "  inside" }, { 2, "other" }, { 1, "  needle" } });
    viewer.Add(1, UTrace::kTraceFunction, "Work - return");
    viewer.Settle();
    viewer->FoldAll(true);
    viewer.Settle();
    viewer->NewView();
    viewer->SetFilters({ Made({ .pattern = "needle" }) }, std::nullopt);
    viewer.Settle();
    ASSERT_EQ(viewer.Texts(), Strings({ "  needle" }));
    viewer->ShowInAll(0);
    const ViewerSession::Changes changes = viewer.Settle();
    EXPECT_EQ(viewer->CurrentView(), 0u);
    EXPECT_TRUE(changes.views);
    EXPECT_TRUE(changes.centre);
    ASSERT_TRUE(changes.select);
    std::string text;
    viewer->AppendCell(*changes.select, Column::Text, text);
    EXPECT_EQ(text, "  needle");
    EXPECT_FALSE(viewer->Following());
    // Nothing chosen: nothing to show.
    viewer->ShowInAll(std::nullopt);
    EXPECT_TRUE(viewer.Settle().beep);
}

TEST(SessionViews, BookmarksBelongToLinesAndShowInEveryViewThatShowsThem)
{
    Harness viewer;
    AddLines(viewer, { { 1, "a1" }, { 2, "b2" }, { 1, "a3" }, { 2, "b4" }, { 1, "a5" } });
    viewer->ToggleMarks({ 1, 2, 4 });
    EXPECT_TRUE(viewer->Marked(1) && viewer->Marked(2) && viewer->Marked(4) && !viewer->Marked(0));
    std::string margin;
    viewer->AppendCell(1, Column::Fold, margin);
    EXPECT_EQ(margin.rfind(kBookmarkMark, 0), 0u) << margin;
    viewer->ToggleMarks({ 1, 2 });  // both marked: both unmarked
    EXPECT_FALSE(viewer->Marked(1) || viewer->Marked(2));
    viewer->ToggleMarks({ 1, 2 });
    viewer->ToggleMarks({ 0, 1 });  // not all marked: all marked
    EXPECT_TRUE(viewer->Marked(0) && viewer->Marked(1));

    viewer->NewView();
    viewer->SetFilters({ Made({ .pattern = "a" }) }, std::nullopt);
    viewer.Settle();
    ASSERT_EQ(viewer.Texts(), Strings({ "a1", "a3", "a5" }));
    EXPECT_TRUE(viewer->Marked(0) && viewer->Marked(1) && viewer->Marked(2));
    // F2 and Shift+F2 walk the marks shown here, going round.
    const struct {
        bool forward;
        std::optional<std::size_t> from;
        std::size_t to;
    } steps[] = { { true, std::nullopt, 0 }, { true, 0, 1 }, { true, 2, 0 }, { false, 0, 2 }, { false, 2, 1 } };
    for (const auto& step : steps) {
        viewer->NextMark(step.forward, step.from);
        EXPECT_EQ(viewer->TakeChanges().select, step.to) << step.forward << " from " << step.from.value_or(99);
    }
    viewer->ClearMarks();
    viewer->NextMark(true, std::nullopt);
    EXPECT_TRUE(viewer->TakeChanges().beep);
    EXPECT_FALSE(viewer->Marked(0));
}

TEST(SessionViews, OneClickRulesAddToTheViewInFrontAndTakeEffectAtOnce)
{
    Harness viewer;
    const auto add = [&](std::uint32_t pid, const char* process, const char* text) {
        viewer->Intake().Add({ 133000000000000000, pid, LineOrigin::Debug, 0, process, "", text });
    };
    add(1, "app.exe", "from app");
    add(2, "other.exe", "from the other");
    add(3, "", "noise\tand more");
    viewer->NewView();
    viewer.Settle();
    ASSERT_TRUE(viewer->AddQuickRule(QuickRule::HideProcess, 0));
    viewer.Settle();
    EXPECT_EQ(viewer.Texts(), Strings({ "from the other", "noise\tand more" }));
    ASSERT_EQ(viewer->Rules().Filters().size(), 1u);
    EXPECT_EQ(RuleToLine(viewer->Rules().Filters()[0].Definition()), "exclude\tprocess\tregex\t^app\\.exe$");

    // A line without a program name gives a process rule nothing to go on, and says so.
    EXPECT_FALSE(viewer->AddQuickRule(QuickRule::ShowOnlyProcess, 1));
    viewer.Settle();
    EXPECT_NE(viewer.Status(kStatusLog).find(L"nothing to go on"), std::wstring::npos);
    ASSERT_TRUE(viewer->AddQuickRule(QuickRule::ShowOnlyPid, 0));
    viewer.Settle();
    EXPECT_EQ(RuleToLine(viewer->Rules().Filters()[1].Definition()), "include\tpid\tregex\t^2$");
    EXPECT_EQ(viewer.Texts(), Strings({ "from the other" }));

    // In All, a filter opens a view for it; a highlight goes first in All.
    viewer->SwitchView(0, std::nullopt);
    viewer.Settle();
    ASSERT_TRUE(viewer->AddQuickRule(QuickRule::HighlightProcess, 1));
    viewer.Settle();
    EXPECT_EQ(viewer->CurrentView(), 0u);
    EXPECT_EQ(viewer->Look(1).highlight, 0);
    EXPECT_EQ(viewer->Look(0).highlight, -1);
    ASSERT_TRUE(viewer->AddQuickRule(QuickRule::HideText, 2));
    viewer.Settle();
    EXPECT_EQ(viewer->CurrentView(), 2u);
    EXPECT_EQ(RuleToLine(viewer->Rules().Filters()[0].Definition()), "exclude\ttext\ttext+case\tnoise");
    EXPECT_EQ(viewer.Texts(), Strings({ "from app", "from the other" }));
}

TEST(SessionViews, TheClearCommandClearsEveryViewButNotTheLinesAfterIt)
{
    Harness viewer;
    viewer->NewView();
    AddLines(viewer, { { 1, "before" } });
    viewer->ToggleMarks({ 0 });
    const auto debugLine = [&](const char* text) {
        viewer->Intake().AddDebugLine({ 7, "writer.exe", text, 133000000000000000 });
    };
    debugLine("DBGVIEWCLEAR");
    debugLine("after");
    debugLine("not DBGVIEWCLEAR");
    viewer.Settle();
    EXPECT_EQ(viewer.Texts(), Strings({ "after", "not DBGVIEWCLEAR" }));
    EXPECT_FALSE(viewer->Marked(0));
    viewer->SwitchView(0, std::nullopt);
    viewer.Settle();
    EXPECT_EQ(viewer.Texts(), Strings({ "after", "not DBGVIEWCLEAR" }));
    // A record with that text is a line like any other.
    viewer.Add(1, kMessage, "DBGVIEWCLEAR");
    viewer.Settle();
    EXPECT_EQ(viewer.Texts().size(), 3u);
}

}  // namespace
