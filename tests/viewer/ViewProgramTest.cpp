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

#include <algorithm>
#include <iterator>
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

// The filters or the highlights dialog, open until Done.
class RulesDialog {
public:
    explicit RulesDialog(const ViewerProgram& viewer, bool highlights = false)
        : mViewer(viewer)
        , mRuleTitle(highlights ? kHighlightRuleTitle : kFilterRuleTitle)
    {
        mDialog = viewer.OpenDialog(
            highlights ? kViewerHighlights : kViewerFilters, highlights ? kHighlightsTitle : kFiltersTitle);
    }
    bool Open() const { return mDialog != nullptr; }
    int Count() const { return ListBox_GetCount(testing_support::DirectChild(mDialog, IDC_RULES_LIST)); }

    // Fills in the rule dialog and presses OK; returns what it says below the pattern
    // when it stays open (refusing the rule), empty when it took the rule. action is
    // keep (0) or hide (1) for a filter, the colours' place in their list for a highlight.
    std::wstring Add(int action, RuleField field, bool regex, const wchar_t* pattern) const
    {
        ::PostMessageW(mDialog, WM_COMMAND, MAKEWPARAM(IDC_RULES_ADD, BN_CLICKED), 0);
        HWND rule = mViewer.OpenDialog(0, mRuleTitle);
        if (rule == nullptr) {
            return L"no rule dialog";
        }
        ComboBox_SetCurSel(testing_support::DirectChild(rule, IDC_RULE_ACTION), action);
        ComboBox_SetCurSel(testing_support::DirectChild(rule, IDC_RULE_FIELD), static_cast<int>(field));
        ComboBox_SetCurSel(testing_support::DirectChild(rule, IDC_RULE_MODE), regex ? 1 : 0);
        Offer(rule, pattern);
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
        Offer(mRefused, pattern);
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
    static void Offer(HWND rule, const wchar_t* pattern)
    {
        ::SendMessageW(
            testing_support::DirectChild(rule, IDC_RULE_PATTERN), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pattern));
        ::SendMessageW(rule, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    const ViewerProgram& mViewer;
    const wchar_t* mRuleTitle;
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
        RulesDialog filters(viewer);
        ASSERT_TRUE(filters.Open());
        EXPECT_EQ(filters.Add(1, RuleField::Text, false, L"parse - ENTER"), L"");
        EXPECT_TRUE(filters.Done(true));
    }
    ASSERT_TRUE(viewer.WaitForItems(all - 1)) << viewer.ItemCount();
    EXPECT_EQ(viewer.Texts(), ScenarioTexts({ 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11 }, extra));
    {
        RulesDialog filters(viewer);
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
    // Next, next, previous, next, and next again going round.
    ASSERT_TRUE(testing_support::ListViewSelectOnly(viewer.list(), 0));
    const struct {
        bool next;
        int selected;
    } steps[] = { { true, 4 }, { true, 7 }, { false, 4 }, { true, 7 }, { true, 4 } };
    for (const auto& step : steps) {
        step.next ? viewer.Key(VK_F3) : viewer.Command(kViewerFindPrevious);
        EXPECT_TRUE(WaitFor([&] { return viewer.Selected() == step.selected; }, 5000)) << viewer.Selected();
    }
    EXPECT_EQ(viewer.Status(kStatusFind), L"Match 1 of 2");
}

void SendScenario(const ViewerProgram& viewer, HWND senderA = nullptr)
{
    for (const ScenarioLine& line : kScenario) {
        ASSERT_EQ(viewer.SendLine(line.kind, "app", line.text, line.fromA ? senderA : nullptr), TRUE);
    }
}

using ViewProgramTest = viewer_tests::SettingsForgotten;

TEST_F(ViewProgramTest, NestedScopesOfTwoSendersFoldFindAndFilterOnTheLiveList)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    // Sender A is a window of this process; B sends without one.
    const resources::UniqueWindow senderA(
        ::CreateWindowExW(0, L"STATIC", L"A", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(senderA.valid());
    SendScenario(viewer, senderA.get());
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
        viewer_tests::AppendLine(text, line.text, line.fromA ? 100 : 200, line.fromA ? "a.exe" : "b.exe", line.kind,
            133000000000000000 + static_cast<std::int64_t>(text.size()));
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

int ColumnWidth(const ViewerProgram& viewer, ViewerColumn column)
{
    return static_cast<int>(::SendMessageW(viewer.list(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

bool IsClockTime(const std::wstring& text)
{
    return text.size() == 12 && text[2] == L':' && text[5] == L':' && text[8] == L'.';
}

// The text first, the line number last.
const std::vector<int> kMovedColumns = { 0, 7, 2, 3, 4, 5, 6, 1 };

// Corrupt values fall back to the defaults and unknown ones stay; what the
// user changes then survives a restart.
TEST_F(ViewProgramTest, CorruptSettingsFallBackAndTheViewsSettingsSurviveARestart)
{
    const auto put = [](const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, type, data, size), ERROR_SUCCESS) << name;
    };
    const wchar_t two[] = L"2";
    const std::uint64_t wide = 1;
    const int shortWidths[3] = { 500, 500, 500 };
    const int repeatedOrder[ViewerSettings::kColumns] = { 0, 0, 1, 2, 3, 4, 5, 6 };
    const DWORD number = 3;
    const wchar_t notARule[] = L"exclude everything\0";
    const wchar_t future[] = L"keep me";
    put(kTimeModeValue, REG_SZ, two, sizeof two);
    put(kCaptureValue, REG_QWORD, &wide, sizeof wide);
    put(kColumnWidthsValue, REG_BINARY, shortWidths, sizeof shortWidths);
    put(kColumnOrderValue, REG_BINARY, repeatedOrder, sizeof repeatedOrder);
    put(kPlacementValue, REG_BINARY, shortWidths, sizeof shortWidths);
    put(kFiltersValue, REG_DWORD, &number, sizeof number);
    put(kHighlightsValue, REG_MULTI_SZ, notARule, sizeof notARule);
    put(L"ComingLater", REG_SZ, future, sizeof future);
    RECT placed = {};
    {
        ViewerProgram viewer;
        ASSERT_TRUE(viewer.Started());
        SendScenario(viewer);
        ASSERT_TRUE(viewer.WaitForItems(kScenarioLines)) << "no filter";
        EXPECT_TRUE(IsClockTime(viewer.Cell(0, ViewerColumn::Time))) << viewer.Cell(0, ViewerColumn::Time);
        EXPECT_EQ(ColumnWidth(viewer, ViewerColumn::Process), 110);
        EXPECT_EQ(testing_support::ListViewColumnOrder(viewer.list(), static_cast<int>(ViewerColumn::Count)),
            (std::vector<int> { 0, 1, 2, 3, 4, 5, 6, 7 }));
        EXPECT_NE(viewer.Status(kStatusCapture), kCaptureOffText);
        // The highlights value held nothing that reads as a rule: the default highlights hold.
        EXPECT_EQ(viewer.RowStyle(6), 1);
        // The text column takes what the others leave: no horizontal scroll bar.
        RECT list = {};
        ::GetClientRect(viewer.list(), &list);
        int columns = 0;
        for (int column = 0; column < static_cast<int>(ViewerColumn::Count); ++column) {
            columns += ColumnWidth(viewer, static_cast<ViewerColumn>(column));
        }
        EXPECT_LE(columns, list.right);
        EXPECT_GE(columns, list.right - 40);
        viewer.Command(kViewerTimeSinceFirst);
        EXPECT_EQ(viewer.Cell(0, ViewerColumn::Time), L"+0.000");
        ::SendMessageW(viewer.list(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(ViewerColumn::Process), 151);
        EXPECT_TRUE(testing_support::SetListViewColumnOrder(viewer.list(), kMovedColumns));
        ::SetWindowPos(viewer.window(), nullptr, 40, 30, 700, 420, SWP_NOZORDER);
        ::GetWindowRect(viewer.window(), &placed);
        RulesDialog filters(viewer);
        ASSERT_TRUE(filters.Open());
        EXPECT_EQ(filters.Add(1, RuleField::Text, false, L"waiting"), L"");
        EXPECT_TRUE(filters.Done(true));
        ASSERT_TRUE(viewer.WaitForItems(kScenarioLines - 1));
        ASSERT_TRUE(viewer.Close());
    }
    wchar_t kept[32] = L"";
    DWORD size = sizeof kept;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"ComingLater", RRF_RT_REG_SZ, nullptr, kept, &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(kept, future);

    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    SendScenario(viewer);
    ASSERT_TRUE(viewer.WaitForItems(kScenarioLines - 1)) << "the filter is kept";
    EXPECT_EQ(viewer.Cell(1, ViewerColumn::Time).substr(0, 1), L"+");
    EXPECT_EQ(ColumnWidth(viewer, ViewerColumn::Process), 151);
    EXPECT_EQ(
        testing_support::ListViewColumnOrder(viewer.list(), static_cast<int>(ViewerColumn::Count)), kMovedColumns);
    EXPECT_EQ(viewer.RowStyle(5), 1) << "the error line keeps its highlight";
    RECT again = {};
    ::GetWindowRect(viewer.window(), &again);
    EXPECT_EQ(again.left, placed.left);
    EXPECT_EQ(again.top, placed.top);
    EXPECT_EQ(again.right - again.left, placed.right - placed.left);
}

TEST_F(ViewProgramTest, AnOpenedLogOfAHundredThousandLinesKeepsItsMalformedLines)
{
    testing_support::TempFolder folder(L"viewer");
    constexpr int kLines = 100000;
    const int malformedAt[] = { 0, 54321, kLines - 1 };
    std::string text;
    text.reserve(kLines * 90);
    for (int i = 0; i < kLines; ++i) {
        if (std::find(std::begin(malformedAt), std::end(malformedAt), i) != std::end(malformedAt)) {
            text += "malformed " + std::to_string(i) + "\tonly two fields\r\n";
            continue;
        }
        viewer_tests::AppendLine(text, "  line " + std::to_string(i), 4000 + static_cast<std::uint32_t>(i % 3),
            "big.exe", kMessage, 133000000000000000 + std::int64_t { i } * 10000);
    }
    const std::wstring path = folder.WriteFile(L"big.log", text);

    ViewerProgram viewer(L"\"" + path + L"\"", L"big.log - Tracing");
    ASSERT_TRUE(viewer.Started());
    ASSERT_TRUE(viewer.WaitForItems(kLines, 60000)) << viewer.ItemCount();
    EXPECT_TRUE(viewer.WaitForStatus(kStatusCapture, L"Read 100000 lines, 3 not in the log format"))
        << viewer.Status(kStatusCapture);
    for (int i : malformedAt) {
        EXPECT_EQ(viewer.Cell(i, ViewerColumn::Text), L"malformed " + std::to_wstring(i) + L"\tonly two fields");
        EXPECT_EQ(viewer.Cell(i, ViewerColumn::Kind), L"debug");
    }
    EXPECT_EQ(viewer.Cell(54322, ViewerColumn::Text), L"  line 54322");
    EXPECT_EQ(viewer.Cell(54322, ViewerColumn::Pid), std::to_wstring(4000 + 54322 % 3));
    EXPECT_EQ(viewer.Cell(kLines - 2, ViewerColumn::Line), std::to_wstring(kLines - 1));
}

bool LastLineInSight(const ViewerProgram& viewer)
{
    const auto top = static_cast<int>(::SendMessageW(viewer.list(), LVM_GETTOPINDEX, 0, 0));
    const auto page = static_cast<int>(::SendMessageW(viewer.list(), LVM_GETCOUNTPERPAGE, 0, 0));
    return page > 0 && top + page >= viewer.ItemCount();
}

bool Following(const ViewerProgram& viewer)
{
    return ::SendMessageW(testing_support::DirectChild(viewer.window(), kViewerFollow), BM_GETCHECK, 0, 0)
        == BST_CHECKED;
}

void SendNumbered(const ViewerProgram& viewer, int from, int to)
{
    for (int i = from; i < to; ++i) {
        ASSERT_EQ(viewer.SendLine(kMessage, "app", ("line " + std::to_string(i)).c_str()), TRUE);
    }
}

TEST_F(ViewProgramTest, FollowingStopsWhenALineIsChosenEndResumesItAndADroppedLogOpensApart)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    SendNumbered(viewer, 0, 300);
    ASSERT_TRUE(viewer.WaitForItems(300));
    EXPECT_TRUE(WaitFor([&] { return LastLineInSight(viewer); }, 5000));
    EXPECT_TRUE(Following(viewer));

    ASSERT_TRUE(testing_support::ListViewSelectOnly(viewer.list(), 10));
    EXPECT_TRUE(WaitFor([&] { return !Following(viewer); }, 5000));
    SendNumbered(viewer, 300, 600);
    ASSERT_TRUE(viewer.WaitForItems(600));
    ::Sleep(300);  // a refresh or two
    EXPECT_FALSE(LastLineInSight(viewer));
    EXPECT_EQ(viewer.Selected(), 10);
    // Copy takes the chosen lines, in the log format.
    const std::vector<LogEntry> copied = viewer_tests::ParseLog(viewer.Copied());
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_EQ(copied[0].text, "line 10");

    // The time since the previous line.
    viewer.Command(kViewerTimeSincePrevious);
    const std::wstring since = viewer.Cell(11, ViewerColumn::Time);
    EXPECT_TRUE(since.size() >= 6 && since[0] == L'+' && since[since.size() - 4] == L'.') << since;

    viewer.Key(VK_END);
    EXPECT_TRUE(WaitFor([&] { return Following(viewer); }, 5000));
    SendNumbered(viewer, 600, 650);
    ASSERT_TRUE(viewer.WaitForItems(650));
    EXPECT_TRUE(WaitFor([&] { return LastLineInSight(viewer); }, 5000));
    viewer.Command(kViewerFollow);
    EXPECT_FALSE(Following(viewer));

    // A log dropped on the live viewer opens in a window of its own.
    testing_support::TempFolder folder(L"viewer");
    std::string text;
    for (const char* line : { "one", "two", "three" }) {
        viewer_tests::AppendLine(text, line);
    }
    const std::wstring path = folder.WriteFile(L"dropped.log", text);
    ASSERT_TRUE(testing_support::DropFile(viewer.window(), path));
    const HWND list = viewer_tests::WaitForLogWindowList(L"dropped.log - Tracing");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 3; }, 10000));
    EXPECT_EQ(testing_support::ListViewCellText(list, 2, static_cast<int>(ViewerColumn::Text)), L"three");
    EXPECT_EQ(::FindWindowW(UTrace::kViewerClass, nullptr), viewer.window()) << "the live viewer is still the one";
    EXPECT_TRUE(testing_support::CloseWindowsOfClass(kLogWindowClass, 5000));
    EXPECT_TRUE(viewer.Answers());
}

TEST_F(ViewProgramTest, HighlightsColourTheirLinesAndABadRegularExpressionIsRefused)
{
    ViewerProgram viewer;
    ASSERT_TRUE(viewer.Started());
    SendScenario(viewer);
    ASSERT_TRUE(viewer.WaitForItems(kScenarioLines));
    {
        RulesDialog highlights(viewer, true);
        ASSERT_TRUE(highlights.Open());
        EXPECT_EQ(highlights.Count(), 1) << "error lines, by default";
        EXPECT_EQ(highlights.Add(4, RuleField::Text, false, L"token"), L"");
        EXPECT_EQ(highlights.Add(3, RuleField::Kind, true, L"^mess"), L"");
        EXPECT_TRUE(highlights.Done(true));
    }
    // The error line holds "token" too: the error rule comes first.
    const struct {
        int line;
        LRESULT style;
    } rows[] = { { 6, 1 }, { 4, 2 }, { 7, 2 }, { 1, 3 }, { 5, 3 }, { 0, 0 }, { 9, 0 } };
    for (const auto& row : rows) {
        EXPECT_TRUE(WaitFor([&] { return viewer.RowStyle(row.line) == row.style; }, 2000))
            << row.line << ": " << viewer.RowStyle(row.line);
    }
    // Switched off, a rule colours nothing; the next one that matches takes over.
    {
        RulesDialog highlights(viewer, true);
        ASSERT_TRUE(highlights.Open());
        highlights.Toggle(0);
        EXPECT_TRUE(highlights.Done(true));
    }
    EXPECT_TRUE(WaitFor([&] { return viewer.RowStyle(6) == 2; }, 2000)) << viewer.RowStyle(6);

    // A pattern that does not compile is refused with its reason; the viewer lives on.
    RulesDialog filters(viewer);
    ASSERT_TRUE(filters.Open());
    for (const wchar_t* bad : { L"(Load", L"[z-a]", L"*" }) {
        const std::wstring reason = filters.Add(0, RuleField::WholeLine, true, bad);
        EXPECT_NE(reason.find(L"not valid"), std::wstring::npos) << bad << ": " << reason;
        EXPECT_TRUE(viewer.Answers());
        EXPECT_TRUE(filters.Retry(L"\\t(Load|done)")) << bad;
    }
    EXPECT_EQ(filters.Count(), 3);
    EXPECT_TRUE(filters.Done(true));
    ASSERT_TRUE(viewer.WaitForItems(3)) << viewer.ItemCount();
    EXPECT_EQ(viewer.Texts(), ScenarioTexts({ 0, 9, 10 }, {}));
}

}  // namespace
