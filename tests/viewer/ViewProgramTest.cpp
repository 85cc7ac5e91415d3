// Tracing.exe's view of its lines, driven from here: folded function scopes,
// find, filters and highlights, on the live list and on an opened log.
#include "tests/viewer/ViewerProgram.h"

#include "foundation/resources/UniqueResource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RemoteControls.h"
#include "tests/support/TempFolder.h"
#include "viewer/resources/resource.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <windowsx.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::WaitFor;
using viewer_tests::ViewerProgram;

constexpr std::int32_t kError = UTrace::kTraceError;
constexpr std::int32_t kMessage = UTrace::kTraceMessage;
constexpr std::int32_t kFunction = UTrace::kTraceFunction;

// Two senders: A nests three deep and returns; B's scope never closes.
struct ScenarioLine {
    bool fromA;
    std::int32_t kind;
    const char* text;
};
const ScenarioLine kScenario[] = {
    { true, kFunction, "Load - enter" },  // 0
    { true, kMessage, "  reading" },  // 1
    { false, kFunction, "Serve - enter" },  // 2
    { true, kFunction, "  Parse - enter" },  // 3
    { true, kFunction, "    Token - enter" },  // 4
    { false, kMessage, "  waiting" },  // 5
    { true, kError, "      bad token" },  // 6
    { true, kFunction, "    Token - return = 0" },  // 7
    { true, kFunction, "  Parse - return" },  // 8
    { true, kFunction, "Load - return" },  // 9
    { true, kMessage, "done" },  // 10
    { false, kMessage, "  still serving" },  // 11
};
constexpr int kScenarioLines = static_cast<int>(std::size(kScenario));

std::vector<std::wstring> ScenarioTexts(std::initializer_list<int> lines, const std::vector<std::wstring>& extra)
{
    std::vector<std::wstring> texts;
    for (int line : lines) {
        const std::string text = kScenario[line].text;
        texts.emplace_back(text.begin(), text.end());
    }
    texts.insert(texts.end(), extra.begin(), extra.end());
    return texts;
}

HWND WaitForDialog(const ViewerProgram& viewer, const wchar_t* title)
{
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = testing_support::FindProcessWindow(viewer.pid(), title)) != nullptr; }, 10000);
    return dialog;
}

// The filters dialog, open until Done.
class FiltersDialog {
public:
    explicit FiltersDialog(const ViewerProgram& viewer)
        : mViewer(viewer)
    {
        // Posted: the dialog is modal and does not return until it closes.
        ::PostMessageW(viewer.window(), WM_COMMAND, MAKEWPARAM(kViewerFilters, 0), 0);
        mDialog = WaitForDialog(viewer, kFiltersTitle);
    }
    bool Open() const { return mDialog != nullptr; }
    int Count() const { return ListBox_GetCount(testing_support::DirectChild(mDialog, IDC_RULES_LIST)); }

    // Fills in the rule dialog and presses OK; returns what it says below the pattern
    // when it stays open (refusing the rule), empty when it took the rule.
    std::wstring Add(bool exclude, RuleField field, bool regex, const wchar_t* pattern) const
    {
        ::PostMessageW(mDialog, WM_COMMAND, MAKEWPARAM(IDC_RULES_ADD, BN_CLICKED), 0);
        HWND rule = WaitForDialog(mViewer, kFilterRuleTitle);
        if (rule == nullptr) {
            return L"no rule dialog";
        }
        ComboBox_SetCurSel(testing_support::DirectChild(rule, IDC_RULE_ACTION), exclude ? 1 : 0);
        ComboBox_SetCurSel(testing_support::DirectChild(rule, IDC_RULE_FIELD), static_cast<int>(field));
        ComboBox_SetCurSel(testing_support::DirectChild(rule, IDC_RULE_MODE), regex ? 1 : 0);
        ::SendMessageW(
            testing_support::DirectChild(rule, IDC_RULE_PATTERN), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pattern));
        ::SendMessageW(rule, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // A refusal says why at once; a rule taken closes the dialog.
        HWND error = testing_support::DirectChild(rule, IDC_RULE_ERROR);
        std::wstring reason;
        WaitFor([&] { return !::IsWindow(rule) || !(reason = testing_support::WindowText(error)).empty(); }, 5000);
        mRefused = ::IsWindow(rule) ? rule : nullptr;
        return mRefused != nullptr ? reason : L"";
    }
    // After a refusal: another pattern in the same rule dialog.
    bool Retry(const wchar_t* pattern) const
    {
        ::SendMessageW(
            testing_support::DirectChild(mRefused, IDC_RULE_PATTERN), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pattern));
        ::SendMessageW(mRefused, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return WaitFor([&] { return !::IsWindow(mRefused); }, 2000);
    }
    void Toggle(int index) const
    {
        ListBox_SetCurSel(testing_support::DirectChild(mDialog, IDC_RULES_LIST), index);
        ::SendMessageW(mDialog, WM_COMMAND, MAKEWPARAM(IDC_RULES_TOGGLE, BN_CLICKED), 0);
    }
    bool Done(bool ok) const
    {
        ::SendMessageW(mDialog, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
        return WaitFor([&] { return !::IsWindow(mDialog); }, 5000);
    }

private:
    const ViewerProgram& mViewer;
    HWND mDialog = nullptr;
    mutable HWND mRefused = nullptr;
};

// Folding, find, filters and highlights over the scenario, shown as its
// kScenarioLines lines followed by extra (which hold no scopes).
void CheckScenario(const ViewerProgram& viewer, const std::vector<std::wstring>& extra)
{
    const int all = kScenarioLines + static_cast<int>(extra.size());
    ASSERT_TRUE(viewer.WaitForItems(all)) << viewer.ItemCount();

    // Error lines are highlighted by the first (default) highlight rule.
    EXPECT_EQ(viewer.RowStyle(6), 1);
    EXPECT_EQ(viewer.RowStyle(5), 0);

    // Everything folded: each sender's outermost scope stands for its lines.
    viewer.Command(kViewerFoldAll);
    EXPECT_EQ(viewer.Texts(), ScenarioTexts({ 0, 2, 10 }, extra));
    EXPECT_EQ(viewer.Cell(0, ViewerColumn::Fold), L"+");
    EXPECT_EQ(viewer.Cell(1, ViewerColumn::Fold), L"+");
    EXPECT_EQ(viewer.Cell(2, ViewerColumn::Fold), L"");
    viewer.Command(kViewerUnfoldAll);
    EXPECT_EQ(viewer.ItemCount(), all);
    EXPECT_EQ(viewer.Cell(3, ViewerColumn::Fold), L"-");

    // A click on the middle scope's marker folds it; the other sender's line stays.
    const RECT marker = testing_support::ListViewCellRect(viewer.list(), 3, 0);
    ASSERT_GT(marker.bottom, marker.top);
    const LPARAM at = MAKELPARAM(marker.left + 6, (marker.top + marker.bottom) / 2);
    ::PostMessageW(viewer.list(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(viewer.list(), WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(viewer.WaitForItems(all - 4)) << viewer.ItemCount();
    EXPECT_EQ(viewer.Texts(), ScenarioTexts({ 0, 1, 2, 3, 5, 9, 10, 11 }, extra));
    EXPECT_EQ(viewer.Cell(3, ViewerColumn::Fold), L"+");

    // A filter that hides the folded entry line shows what it held.
    {
        FiltersDialog filters(viewer);
        ASSERT_TRUE(filters.Open());
        EXPECT_EQ(filters.Add(true, RuleField::Text, false, L"parse - ENTER"), L"");
        EXPECT_TRUE(filters.Done(true));
    }
    ASSERT_TRUE(viewer.WaitForItems(all - 1)) << viewer.ItemCount();
    EXPECT_EQ(viewer.Texts(), ScenarioTexts({ 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11 }, extra));
    {
        FiltersDialog filters(viewer);
        ASSERT_TRUE(filters.Open());
        filters.Toggle(0);  // off, not deleted
        EXPECT_TRUE(filters.Done(true));
    }
    ASSERT_TRUE(viewer.WaitForItems(all - 4)) << viewer.ItemCount();

    // Right unfolds the focused scope; Left on a line inside one folds it.
    ASSERT_TRUE(testing_support::ListViewSelectOnly(viewer.list(), 3));
    viewer.Key(VK_RIGHT);
    ASSERT_TRUE(viewer.WaitForItems(all));
    ASSERT_TRUE(testing_support::ListViewSelectOnly(viewer.list(), 6));
    viewer.Key(VK_LEFT);
    ASSERT_TRUE(viewer.WaitForItems(all - 2));
    EXPECT_EQ(viewer.Selected(), 4) << "the folded scope's entry line is chosen";
    EXPECT_EQ(viewer.Cell(4, ViewerColumn::Fold), L"+");
    viewer.Command(kViewerUnfoldAll);
    ASSERT_EQ(viewer.ItemCount(), all);

    // Find: without regard to case, then with it; F3 goes to the next match.
    HWND findBox = testing_support::DirectChild(viewer.window(), kViewerFindText);
    ::SendMessageW(findBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"TOKEN"));
    EXPECT_TRUE(viewer.WaitForStatus(kStatusFind, L"Matches: 3")) << viewer.Status(kStatusFind);
    EXPECT_EQ(viewer.RowStyle(4) & kRowIsMatch, kRowIsMatch);
    EXPECT_EQ(viewer.RowStyle(6), 1 | kRowIsMatch);
    EXPECT_EQ(viewer.RowStyle(5) & kRowIsMatch, 0);
    ::SendMessageW(findBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Token"));
    ::SendMessageW(testing_support::DirectChild(viewer.window(), kViewerMatchCase), BM_CLICK, 0, 0);
    EXPECT_TRUE(viewer.WaitForStatus(kStatusFind, L"Matches: 2")) << viewer.Status(kStatusFind);
    ASSERT_TRUE(testing_support::ListViewSelectOnly(viewer.list(), 0));
    viewer.Key(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 4; }, 5000)) << viewer.Selected();
    viewer.Key(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 7; }, 5000)) << viewer.Selected();
    EXPECT_EQ(viewer.Status(kStatusFind), L"Match 2 of 2");
    viewer.Command(kViewerFindPrevious);
    EXPECT_EQ(viewer.Selected(), 4);
    viewer.Key(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 7; }, 5000)) << viewer.Selected();
    viewer.Key(VK_F3);
    EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == 4; }, 5000)) << "going round: " << viewer.Selected();
}

class ViewProgramTest : public ::testing::Test {
protected:
    void SetUp() override { viewer_tests::ForgetSettings(); }
    void TearDown() override { viewer_tests::ForgetSettings(); }
};

TEST_F(ViewProgramTest, NestedScopesOfTwoSendersFoldFindAndFilterOnTheLiveList)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    // Sender A is a window of this process; B sends without one.
    const resources::UniqueWindow senderA(
        ::CreateWindowExW(0, L"STATIC", L"A", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(senderA.valid());
    for (const ScenarioLine& line : kScenario) {
        ASSERT_EQ(viewer.SendLine(line.kind, "app", line.text, line.fromA ? senderA.get() : nullptr), TRUE);
    }
    CheckScenario(viewer, {});
    // Lines that arrive into a folded open scope stay inside it.
    viewer.Command(kViewerFoldAll);
    ASSERT_EQ(viewer.SendLine(kMessage, "app", "  later", nullptr), TRUE);
    ASSERT_EQ(viewer.SendLine(kMessage, "app", "after all", senderA.get()), TRUE);
    EXPECT_TRUE(viewer.WaitForItems(4)) << viewer.ItemCount();
    EXPECT_EQ(viewer.Cell(3, ViewerColumn::Text), L"after all");
}

TEST_F(ViewProgramTest, AnOpenedLogFoldsFindsAndFiltersInAWindowOfItsOwn)
{
    testing_support::TempFolder folder(L"viewer");
    std::string text;
    for (const ScenarioLine& line : kScenario) {
        LineView view;
        view.time = 133000000000000000 + text.size();
        view.pid = line.fromA ? 100 : 200;
        view.process = line.fromA ? "a.exe" : "b.exe";
        view.origin = LineOrigin::Record;
        view.kind = line.kind;
        view.source = "app";
        view.text = line.text;
        AppendLogLine(text, view);
    }
    text += "not a log line\r\n";
    const std::wstring path = folder.WriteFile(L"saved run.log", text);

    ViewerProgram viewer(L"\"" + path + L"\"", L"saved run.log - Tracing");
    ASSERT_TRUE(viewer.Started());
    EXPECT_EQ(::FindWindowW(UTrace::kViewerClass, nullptr), nullptr) << "a log window is not the live viewer";
    CheckScenario(viewer, { L"not a log line" });
    EXPECT_EQ(viewer.Status(kStatusCapture), L"Read 13 lines, 1 not in the log format");
    EXPECT_EQ(viewer.Cell(kScenarioLines, ViewerColumn::Kind), L"debug");
    EXPECT_EQ(viewer.Cell(0, ViewerColumn::Process), L"a.exe");
    EXPECT_EQ(viewer.Cell(0, ViewerColumn::Pid), L"100");
}

TEST_F(ViewProgramTest, ABadRegularExpressionIsRefusedWithItsReasonAndTheViewerLivesOn)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    for (const ScenarioLine& line : kScenario) {
        ASSERT_EQ(viewer.SendLine(line.kind, "app", line.text), TRUE);
    }
    ASSERT_TRUE(viewer.WaitForItems(kScenarioLines));
    FiltersDialog filters(viewer);
    ASSERT_TRUE(filters.Open());
    for (const wchar_t* bad : { L"(Load", L"[z-a]", L"*" }) {
        const std::wstring reason = filters.Add(false, RuleField::WholeLine, true, bad);
        EXPECT_NE(reason.find(L"not valid"), std::wstring::npos) << bad << ": " << reason;
        DWORD_PTR answer = 0;
        EXPECT_NE(::SendMessageTimeoutW(viewer.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
        EXPECT_TRUE(filters.Retry(L"\\t(Load|done)")) << bad;
    }
    EXPECT_EQ(filters.Count(), 3);
    EXPECT_TRUE(filters.Done(true));
    ASSERT_TRUE(viewer.WaitForItems(3)) << viewer.ItemCount();
    EXPECT_EQ(viewer.Texts(), ScenarioTexts({ 0, 9, 10 }, {}));
}

}  // namespace
