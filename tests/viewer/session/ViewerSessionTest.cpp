// The viewer's core in this process: what it shows, finds, folds and
// follows, the rules it takes from files and keeps, and what its status
// bar says, driven as the window drives it.
#include "tests/viewer/session/SessionHarness.h"
#include "viewer/file/FileLines.h"

#include "foundation/trace/TraceProtocol.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "viewer/log/LogFormat.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <string>
#include <vector>

using namespace tracing;

namespace {

using session_tests::Harness;
using session_tests::Made;

constexpr std::int32_t kError = UTrace::kTraceError;
constexpr std::int32_t kMessage = UTrace::kTraceMessage;
constexpr std::int32_t kFunction = UTrace::kTraceFunction;

std::vector<std::string> Strings(std::initializer_list<const char*> texts)
{
    return { texts.begin(), texts.end() };
}

TEST(ViewerSessionTest, CountsWhatArrivesWhatIsRejectedAndWhatPauseHolds)
{
    Harness viewer;
    const TraceRecord good = TraceRecord::Fill(kError, 0, 0, "app", "caf\xE9 \x80 \x81");  // ANSI, code page 1252
    TraceRecord noNul = TraceRecord::Fill(kMessage, 0, 0, "app", "x");
    noNul.text[1] = 'y';
    EXPECT_TRUE(viewer->TakeRecord(good.magic, good.length, &good, 0));
    EXPECT_FALSE(viewer->TakeRecord(noNul.magic, noNul.length, &noNul, 0));
    EXPECT_FALSE(viewer->TakeRecord(0x1234, good.length, &good, 0));
    viewer.Add(7, kMessage, "second");
    EXPECT_EQ(viewer.Settle().shown, 2u);
    EXPECT_EQ(viewer.Status(kStatusCounts), L"Lines: 2    Dropped: 0    Rejected: 2");
    // A record's text comes in as UTF-8; a byte the code page leaves undefined still becomes a character.
    const std::string first = viewer.Texts()[0];
    EXPECT_EQ(first.substr(0, 10), "caf\xC3\xA9 \xE2\x82\xAC ");
    EXPECT_GT(first.size(), 10u);
    EXPECT_EQ(viewer.Texts()[1], "second");

    // Paused, lines are held but not shown.
    viewer->TogglePause();
    viewer.Add(7, kMessage, "third");
    EXPECT_EQ(viewer.Settle().shown, 2u);
    EXPECT_EQ(viewer.Status(kStatusCounts), L"Lines: 3    Dropped: 0    Rejected: 2    Paused");
    viewer->TogglePause();
    EXPECT_EQ(viewer.Settle().shown, 3u);

    viewer->Clear();
    EXPECT_EQ(viewer.Settle().shown, 0u);
    EXPECT_EQ(viewer.Status(kStatusCounts), L"Lines: 0    Dropped: 0    Rejected: 0");
}

// Debug output is shown as written where it is UTF-8, and read as ANSI (code page 1252 here) where not.
TEST(ViewerSessionTest, DebugLinesInUtf8ArriveAsWrittenAndOthersConverted)
{
    Harness viewer;
    const char* const utf8 = "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x80\x93 \xE6\xB8\xA9\xE5\xBA\xA6";
    for (const char* text : { utf8, "caf\xE9" }) {
        viewer->Intake().AddDebugLine({ .pid = 5, .process = "writer.exe", .text = text, .time = 133000000000000000 });
    }
    viewer.Settle();
    EXPECT_EQ(viewer.Texts(), Strings({ utf8, "caf\xC3\xA9" }));
}

TEST(ViewerSessionTest, FindCountsMatchesWalksThemRoundAndWaitsForTypingToPause)
{
    Harness viewer;
    viewer->NewView();  // a view that takes filters
    for (const char* text : { "open a", "read", "OPEN b", "close", "open c" }) {
        viewer.Add(1, kMessage, text);
    }
    viewer.Settle();
    viewer->FindTextChanged("open", false);
    viewer.Settle();
    EXPECT_EQ(viewer.Status(kStatusFind), L"") << "typing has not paused yet";
    viewer.now += ViewerSession::kFindPauseMs;
    viewer.Settle();
    EXPECT_EQ(viewer.Status(kStatusFind), L"Matches: 3");
    EXPECT_TRUE(viewer->Look(2).match);
    EXPECT_FALSE(viewer->Look(1).match);

    const struct {
        bool forward;
        std::optional<std::size_t> chosen;
        std::size_t selected;
        const wchar_t* status;
    } steps[] = {
        { true, std::nullopt, 0, L"Match 1 of 3" },
        { true, 0, 2, L"Match 2 of 3" },
        { true, 4, 0, L"Match 1 of 3" },  // round from the end
        { false, 0, 4, L"Match 3 of 3" },
        { false, std::nullopt, 4, L"Match 3 of 3" },
        { false, 3, 2, L"Match 2 of 3" },
    };
    for (const auto& step : steps) {
        viewer->FindNext(step.forward, step.chosen);
        EXPECT_EQ(viewer->TakeChanges().select, step.selected) << step.forward << " from " << step.chosen.value_or(99);
        EXPECT_EQ(viewer.Status(kStatusFind), step.status);
    }
    // A filter changes what is shown and lines come later: find looks again,
    // in every field of the line.
    viewer->SetFilters({ Made({ .action = RuleAction::Exclude, .pattern = "open a" }) }, std::nullopt);
    viewer.Add(1, kMessage, "d", "opener");
    viewer.Settle();
    EXPECT_TRUE(viewer->Look(4).match);
    viewer->FindNext(false, 0);
    EXPECT_EQ(viewer->TakeChanges().select, 4u);
    EXPECT_EQ(viewer.Status(kStatusFind), L"Match 3 of 3");
    viewer->ApplyFind("OPEN", true);
    EXPECT_EQ(viewer.Status(kStatusFind), L"Matches: 1");
    viewer->ApplyFind("nowhere", false);
    viewer->FindNext(true, std::nullopt);
    const ViewerSession::Changes missed = viewer->TakeChanges();
    EXPECT_TRUE(missed.beep);
    EXPECT_FALSE(missed.select);
    EXPECT_EQ(viewer.Status(kStatusFind), L"No match");
}

TEST(ViewerSessionTest, FoldingHidesASendersScopeAndChoosesItsEntry)
{
    Harness viewer;
    viewer.Add(1, kFunction, "Load - enter");
    viewer.Add(1, kMessage, "  reading");
    viewer.Add(2, kMessage, "other program");
    viewer.Add(1, kFunction, "Load - return");
    viewer.Add(1, kMessage, "done");
    viewer.Settle();
    const auto marker = [&] {
        std::string cell;
        viewer->AppendCell(0, Column::Fold, cell);
        return cell;
    };
    EXPECT_EQ(marker(), "-");
    // Left on a line inside the scope folds the scope around it.
    viewer->Fold(1, true);
    EXPECT_EQ(viewer->TakeChanges().select, 0u);
    EXPECT_EQ(viewer.Texts(), Strings({ "Load - enter", "other program", "done" }));
    EXPECT_EQ(marker(), "+");
    viewer->ToggleFold(0);
    EXPECT_EQ(viewer->ShownCount(), 5u);
    viewer->FoldAll(true);
    EXPECT_EQ(viewer->ShownCount(), 3u);
    viewer->Fold(0, false);
    EXPECT_EQ(viewer->ShownCount(), 5u);
}

TEST(ViewerSessionTest, FollowingScrollsToNewLinesUntilItStops)
{
    Harness viewer;
    viewer.Add(1, kMessage, "one");
    EXPECT_TRUE(viewer.Settle().scrollToEnd);
    viewer->StopFollowing();
    viewer.Add(1, kMessage, "two");
    EXPECT_FALSE(viewer.Settle().scrollToEnd);
    viewer->SetFollowing(true);
    EXPECT_TRUE(viewer->TakeChanges().scrollToEnd);
    EXPECT_TRUE(viewer->Following());
}

TEST(ViewerSessionTest, RulesFromAFileHaveAViewOfTheirOwnAndBadLinesOfItAndOfTheKeptRulesAreNotedByNumber)
{
    testing_support::TempFolder folder;
    const std::wstring rules = folder.WriteFile(L"run.rules",
        "# for this run\r\n"
        "include\ttext\ttext\tkeep\r\n"
        "include\tcolumn\ttext\tx\r\n"
        "highlight\ttext\tregex\t(unclosed\r\n"
        "highlight\tkind\ttext\terror\t#ff0000\t#ffffff\r\n");
    CommandLine options;
    options.rulesPath = rules;
    Harness viewer(options, "exclude\ttext\ttext\tkeep\r\n");
    viewer.Add(1, kError, "keep this");
    viewer.Add(1, kMessage, "drop this");
    viewer.Settle();
    EXPECT_EQ(viewer.Texts(), Strings({ "keep this" }));
    EXPECT_EQ(viewer->Look(0).back, 0x0000FFu);
    // The file's rules are a view of their own, named after it and in front.
    EXPECT_EQ(viewer->ViewName(viewer->CurrentView()), L"run.rules");
    const std::wstring notes = viewer.Status(kStatusLog);
    EXPECT_NE(notes.find(L"Rules file, line 3: unknown field"), std::wstring::npos) << notes;
    EXPECT_NE(notes.find(L"Rules file, line 4: Syntax error"), std::wstring::npos) << notes;
    // The file's view is kept with the others; the kept filters of before
    // views went to a view of their own.
    ASSERT_TRUE(viewer.settings().views);
    ASSERT_EQ(viewer.settings().views->views.size(), 2u);
    EXPECT_EQ(viewer.settings().views->views[0].name, L"View 2");
    EXPECT_EQ(ParseRules(viewer.settings().views->views[0].rules).rules.at(0).rule.pattern, "keep");
    EXPECT_EQ(viewer.settings().views->views[1].name, L"run.rules");
    EXPECT_EQ(viewer.settings().views->current, 2u);
    // The next start with the file takes its rules as they are then, in the same view.
    folder.WriteFile(L"run.rules", "exclude\ttext\ttext\tdrop\r\n");
    Harness again(options, viewer.settings().rules, viewer.settings().views);
    EXPECT_EQ(again->ViewCount(), 3u);
    EXPECT_EQ(again->CurrentView(), 2u);
    ASSERT_EQ(again->Rules().Filters().size(), 1u);
    EXPECT_EQ(again->Rules().Filters()[0].Definition().pattern, "drop");

    // A rules file that cannot be read leaves the kept rules in force, and says why.
    CommandLine missing;
    missing.rulesPath = folder.File(L"none.rules");
    Harness fallback(missing, "exclude\ttext\ttext\tkeep\r\n");
    EXPECT_EQ(fallback->Rules().Filters().size(), 1u);
    EXPECT_NE(fallback.Status(kStatusLog).find(L"cannot be read"), std::wstring::npos);
    // Kept rules that do not compile are left out with a note.
    Harness kept({}, "include\ttext\tregex\t[z-a]\r\nexclude\ttext\ttext\tnoise\r\n");
    EXPECT_EQ(kept->Rules().Filters().size(), 1u);
    EXPECT_NE(kept.Status(kStatusLog).find(L"Kept rules, line 1:"), std::wstring::npos);
    // No kept rules at all: error lines are highlighted.
    Harness fresh;
    ASSERT_EQ(fresh->Rules().Highlights().size(), 1u);
    EXPECT_EQ(fresh->Rules().Highlights()[0].Definition().field, RuleField::Kind);
}

TEST(ViewerSessionTest, AChangedFilterChoosesTheChosenLineAgainOrTheNextOneShown)
{
    Harness viewer;
    viewer->NewView();
    for (const char* text : { "a 1", "b 2", "a 3", "b 4" }) {
        viewer.Add(1, kMessage, text);
    }
    viewer.Settle();
    viewer->StopFollowing();
    viewer->SetFilters({ Made({ .pattern = "a" }) }, 1);  // "b 2" chosen: "a 3" takes its place
    EXPECT_EQ(viewer.Settle().select, 1u);
    EXPECT_EQ(viewer.Texts(), Strings({ "a 1", "a 3" }));
    viewer->SetFilters({}, 0);
    EXPECT_EQ(viewer.Settle().select, 0u);
    EXPECT_EQ(viewer.Texts().size(), 4u);

    // A rule that reaches its bound of work on a line does not match it, and the line is counted.
    viewer.Add(1, kMessage, std::string(60000, 'a'));
    viewer->SetFilters({ Made({ .regex = true, .pattern = "\\w{1000}[!?]" }) }, std::nullopt);
    viewer.Settle();
    EXPECT_TRUE(viewer.Texts().empty());
    EXPECT_NE(viewer.Status(kStatusCounts).find(L"Rules gave up on: 1"), std::wstring::npos)
        << viewer.Status(kStatusCounts);
}

TEST(ViewerSessionTest, SettingsAndRulesAreKeptAndAFailedSaveIsSaid)
{
    Harness viewer;
    viewer->SetTimeMode(TimeMode::SinceFirst);
    EXPECT_EQ(viewer.settings().settings.timeMode, TimeMode::SinceFirst);
    viewer->SetLimits(5000, 3);
    EXPECT_EQ(viewer.settings().settings.historyLines, 5000u);
    EXPECT_EQ(viewer->HistoryLines(), 5000u);
    EXPECT_EQ(viewer->LogLimitMB(), 3u);
    viewer.settings().failSaves = true;
    viewer->SetHighlights({ Made({ .action = RuleAction::Highlight, .pattern = "x" }) });
    viewer->SetTimeMode(TimeMode::Clock);
    viewer.Settle();
    const std::wstring notes = viewer.Status(kStatusLog);
    EXPECT_NE(notes.find(L"The rules could not be kept"), std::wstring::npos) << notes;
    EXPECT_NE(notes.find(L"The settings could not be kept"), std::wstring::npos) << notes;
}

TEST(ViewerSessionTest, ImportedRulesReplaceTheOthersAndExportWritesTheirTextForm)
{
    testing_support::TempFolder folder;
    const std::wstring path = folder.File(L"out.rules");
    Harness viewer({}, "exclude\tprocess\ttext+case\tnoisy.exe\r\nhighlight\ttext\ttext\twarn\t#ffeecc\t#884400\r\n");
    ASSERT_TRUE(viewer->ExportRules(path));
    const std::string exported = testing_support::ReadFileBytes(path);
    EXPECT_NE(exported.find("exclude\tprocess\ttext+case\tnoisy.exe\r\n"), std::string::npos) << exported;
    EXPECT_NE(exported.find("highlight\ttext\ttext\twarn\t#ffeecc\t#884400\r\n"), std::string::npos) << exported;

    folder.WriteFile(L"out.rules", "include\ttext\ttext\tonly\n");
    ASSERT_TRUE(viewer->ImportRules(path, std::nullopt));
    EXPECT_EQ(viewer->Rules().Filters().size(), 1u);
    EXPECT_TRUE(viewer->Rules().Highlights().empty());
    ASSERT_TRUE(viewer.settings().views);
    EXPECT_EQ(viewer.settings().views->views.at(0).rules, RulesToText(viewer->Rules().Definitions()));
    EXPECT_FALSE(viewer->ImportRules(folder.File(L"missing.rules"), std::nullopt));
    // A folder is not a rules file either.
    EXPECT_FALSE(viewer->ImportRules(folder.path(), std::nullopt));
}

TEST(ViewerSessionTest, CopyTakesTheChosenLinesAndSaveAllEveryHeldLine)
{
    testing_support::TempFolder folder;
    Harness viewer;
    viewer.Add(1, kMessage, "one");
    viewer.Add(2, kError, "two\tparts");
    viewer.Add(1, kMessage, "three");
    viewer.Settle();
    viewer->SetFilters({ Made({ .action = RuleAction::Exclude, .pattern = "three" }) }, std::nullopt);
    viewer.Settle();
    const auto entries = [](const std::string& text) {
        std::vector<std::string> texts;
        for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const auto entry = ParseLogLine(std::string_view(text).substr(start, end - start));
            texts.push_back(entry ? entry->text : "<unparsed>");
        }
        return texts;
    };
    EXPECT_EQ(entries(viewer->FormatLines({ 1 })), Strings({ "two parts" }));
    EXPECT_EQ(entries(viewer->FormatLines({})), Strings({ "one", "two parts" }));
    const std::wstring path = folder.WriteFile(L"all.txt", "what was there before\r\n");
    ASSERT_TRUE(viewer->Save(path, true, {}));
    EXPECT_EQ(entries(testing_support::ReadFileBytes(path)), Strings({ "one", "two parts", "three" }));
    EXPECT_FALSE(viewer->Save(folder.File(L"no such folder\\x.txt"), false, {}));
    viewer.Settle();
    EXPECT_NE(viewer.Status(kStatusLog).find(L"could not be saved"), std::wstring::npos);
}

TEST(ViewerSessionTest, ASavedLogIsReadApartWithItsOutcomeInTheStatusBar)
{
    testing_support::TempFolder folder;
    std::string log;
    for (int i = 0; i < 1000; ++i) {
        AppendLogLine(log, { 133000000000000000 + i, 5, LineOrigin::Record, kMessage, "app.exe", "src",
                               "line " + std::to_string(i) });
    }
    log += "not a log line\r\n";
    const std::wstring path = folder.WriteFile(L"saved.log", log);
    CommandLine options;
    options.openPath = path;
    Harness viewer(options);
    EXPECT_FALSE(viewer->Live());
    for (int i = 0; i < 500 && viewer.Status(kStatusCapture).rfind(L"Read ", 0) != 0; ++i) {
        viewer.Settle();
        ::Sleep(10);
    }
    viewer.Settle();
    EXPECT_EQ(viewer.Status(kStatusCapture), L"Read 1001 lines, 1 not in the log format");
    EXPECT_EQ(viewer.Status(kStatusCounts), L"Lines: 1001");
    EXPECT_EQ(viewer.Texts().back(), "not a log line");
    EXPECT_FALSE(viewer->TakeRecord(0, 0, nullptr, 0)) << "a saved log takes no records";

    CommandLine missing;
    missing.openPath = folder.File(L"missing.log");
    Harness nothing(missing);
    for (int i = 0; i < 500 && nothing.Status(kStatusCapture).rfind(L"The log cannot be read", 0) != 0; ++i) {
        nothing.Settle();
        ::Sleep(10);
    }
    EXPECT_EQ(nothing.Status(kStatusCapture).rfind(L"The log cannot be read: ", 0), 0u) << nothing.Status(kStatusCapture);
}

// Settles the session until check holds, at most five seconds.
template <typename Check> bool SettleUntil(Harness& viewer, Check check)
{
    for (const ULONGLONG start = ::GetTickCount64(); ::GetTickCount64() - start < 5000; ::Sleep(10)) {
        viewer.Settle();
        if (check()) {
            return true;
        }
    }
    return false;
}

TEST(ViewerSessionTest, AFollowedFileShowsWhatIsAddedSaysWhenItStartsAgainAndCopiesALongLineWhole)
{
    testing_support::TempFolder folder;
    const std::wstring path = folder.WriteFile(L"followed.log", "one\ntwo\n");
    CommandLine options;
    options.openPath = path;
    options.follow = true;
    Harness viewer(options);
    ASSERT_TRUE(SettleUntil(viewer, [&] { return viewer.Texts().size() == 2; }));
    EXPECT_TRUE(viewer->Following()) << "a followed file follows its new lines, as the live list does";
    EXPECT_EQ(viewer.Status(kStatusCapture), L"Following: 2 lines, 2 not in the log format");

    const std::string longLine(FileLines::kMaxLineBytes + 5000, 'w');
    {
        std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::app);
        file << "three\n" << longLine << "\n";
    }
    ASSERT_TRUE(SettleUntil(viewer, [&] { return viewer.Texts().size() == 4; }));
    EXPECT_EQ(viewer.Texts()[3].size(), LineStore::kMaxTextBytes) << "shown cut";
    std::string copied = viewer->FormatLines({ 3 });
    EXPECT_NE(copied.find(longLine + "\r\n"), std::string::npos) << "copied whole";
    const std::wstring saved = folder.File(L"saved.txt");
    ASSERT_TRUE(viewer->Save(saved, true, {}));
    EXPECT_NE(testing_support::ReadFileBytes(saved).find(longLine + "\r\n"), std::string::npos) << "saved whole";

    { std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << "again\n"; }
    ASSERT_TRUE(SettleUntil(viewer, [&] { return viewer.Texts() == std::vector<std::string> { "again" }; }));
    EXPECT_NE(viewer.Status(kStatusLog).find(L"The file was truncated or replaced: reading it from its start"),
        std::wstring::npos)
        << viewer.Status(kStatusLog);
    EXPECT_EQ(viewer.Status(kStatusCounts), L"Lines: 1");
}

TEST(ViewerSessionTest, FindInAnOpenedFileFindsWhatItFindsInTheLiveListAndGoesToMatchesOnceItHasLooked)
{
    testing_support::TempFolder folder;
    std::string log;
    for (int i = 0; i < 100000; ++i) {
        AppendLogLine(log, { 133000000000000000 + i, 5, LineOrigin::Record, kMessage, "app.exe", "src",
                               "line " + std::to_string(i) + (i % 25000 == 3 ? " Needle" : "") });
    }
    log += "a plain line\r\n";
    CommandLine options;
    options.openPath = folder.WriteFile(L"find.log", log);
    Harness viewer(options);
    ASSERT_TRUE(SettleUntil(viewer, [&] { return viewer->ShownCount() == 100001; }));

    // Asked for before find has looked at every line, the next match is gone to once it has.
    viewer->ApplyFind("needle", false);
    viewer->FindNext(true, std::nullopt);
    const ViewerSession::Changes changes = viewer.Settle();
    EXPECT_EQ(changes.select, std::optional<std::size_t>(3));
    EXPECT_EQ(viewer.Status(kStatusFind), L"Match 1 of 4");
    // Texts that a line's kind name or numbers may hold are matched line by line.
    viewer->ApplyFind("debug", true);
    viewer.Settle();
    EXPECT_EQ(viewer.Status(kStatusFind), L"Matches: 1") << "the plain line shows as debug output";
    viewer->ApplyFind("99999", true);
    viewer.Settle();
    EXPECT_EQ(viewer.Status(kStatusFind), L"Matches: 2") << "\"line 99999\", and line number 99999";
}

TEST(ViewerSessionTest, AFileNotYetMadeIsWaitedForWhenFollowed)
{
    testing_support::TempFolder folder;
    CommandLine options;
    options.openPath = folder.File(L"later.log");
    options.follow = true;
    Harness viewer(options);
    ASSERT_TRUE(SettleUntil(viewer, [&] { return viewer.Status(kStatusCapture).starts_with(L"Waiting for the file"); }))
        << viewer.Status(kStatusCapture);
    folder.WriteFile(L"later.log", "made\n");
    EXPECT_TRUE(SettleUntil(viewer, [&] { return viewer.Texts() == std::vector<std::string> { "made" }; }));
}

}  // namespace

namespace {

// The cells of a column, every shown line.
std::vector<std::string> CellsOf(Harness& viewer, Column column)
{
    std::vector<std::string> cells;
    for (std::size_t position = 0; position < viewer->ShownCount(); ++position) {
        std::string cell;
        viewer->AppendCell(position, column, cell);
        cells.push_back(cell);
    }
    return cells;
}

TEST(ViewerSessionTest, AFilterOnDurationsShowsTheSlowCallOnceItReturnsAndRedrawsEveryRow)
{
    Harness viewer({}, "include\tduration\t>=\t50\r\n");
    // Two threads of one program, told apart by the windows they name; the
    // stamps travel through the intake with the records.
    const auto record = [&](std::uint32_t thread, const char* text, std::int64_t ms) {
        viewer->Intake().Add({ 133000000000000000, 4, LineOrigin::Record, kFunction, "app.exe", "app", text },
            { ms * 10000, thread });
    };
    record(21, "Work - enter", 1000);
    record(22, "Work - enter", 1005);
    record(22, "Work - return", 1015);
    EXPECT_EQ(viewer.Settle().shown, 0u) << "10 ms, and one still open";
    record(21, "Work - return", 1090);
    const ViewerSession::Changes changes = viewer.Settle();
    EXPECT_EQ(changes.shown, 1u);
    EXPECT_TRUE(changes.rowsMoved);
    EXPECT_EQ(CellsOf(viewer, Column::Duration), Strings({ "90.000" }));
    viewer->SetFilters({}, std::nullopt);
    viewer.Settle();
    EXPECT_EQ(CellsOf(viewer, Column::Duration), Strings({ "90.000", "10.000", "", "" }));
}

}  // namespace
