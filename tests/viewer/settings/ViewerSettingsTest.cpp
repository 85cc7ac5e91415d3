// What the viewer is told before it starts: its command line and its kept settings.
#include "viewer/rules/RuleText.h"
#include "viewer/settings/CommandLine.h"
#include "viewer/settings/ViewerSettings.h"

#include "tests/viewer/ViewerProgram.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace tracing;

namespace {

TEST(CommandLineTest, ReadsLogHistoryAndLimitAndIgnoresTheRest)
{
    const struct {
        const char* name;
        std::vector<std::wstring> arguments;
        std::optional<std::wstring> logPath;
        std::optional<std::uint64_t> limit;
        std::optional<std::uint32_t> history;
        std::vector<std::wstring> ignored;
        std::optional<std::wstring> openPath;
    } rows[] = {
        { "nothing", {}, {}, {}, {}, {}, {} },
        { "all three", { L"/log", L"C:\\a b\\t.log", L"/log-limit", L"2", L"/history", L"500" }, L"C:\\a b\\t.log",
            std::uint64_t { 2 } << 20, 500u, {}, {} },
        { "dash and any case", { L"-LOG", L"x.log", L"-History", L"7" }, L"x.log", {}, 7u, {}, {} },
        { "a fractional limit", { L"/log-limit", L"0.5" }, {}, std::uint64_t { 1 } << 19, {}, {}, {} },
        { "a limit too small", { L"/log-limit", L"0.001" }, {}, {}, {}, { L"/log-limit 0.001" }, {} },
        { "a limit not a number", { L"/log-limit", L"1e3" }, {}, {}, {}, { L"/log-limit 1e3" }, {} },
        { "a history of none", { L"/history", L"0" }, {}, {}, {}, { L"/history 0" }, {} },
        { "a fractional history", { L"/history", L"2.5" }, {}, {}, {}, { L"/history 2.5" }, {} },
        { "an option without its value", { L"/log" }, {}, {}, {}, { L"/log" }, {} },
        { "an unknown option and a log to show", { L"/verbose", L"file.txt" }, {}, {}, {}, { L"/verbose" },
            L"file.txt" },
        { "a second log to show", { L"a.log", L"-history", L"9", L"b.log" }, {}, {}, 9u, { L"b.log" }, L"a.log" },
        { "the smallest limit", { L"/log-limit", L"0.004" }, {}, std::uint64_t { 4194 }, {}, {}, {} },
    };
    for (const auto& row : rows) {
        const CommandLine parsed = ParseCommandLine(row.arguments);
        EXPECT_EQ(parsed.logPath, row.logPath) << row.name;
        EXPECT_EQ(parsed.logLimitBytes, row.limit) << row.name;
        EXPECT_EQ(parsed.historyLines, row.history) << row.name;
        EXPECT_EQ(parsed.ignored, row.ignored) << row.name;
        EXPECT_EQ(parsed.openPath, row.openPath) << row.name;
    }
    const CommandLine followed = ParseCommandLine({ L"-FOLLOW", L"C:\\logs\\app.log" });
    EXPECT_EQ(followed.openPath, std::optional<std::wstring>(L"C:\\logs\\app.log"));
    EXPECT_TRUE(followed.follow);
    EXPECT_FALSE(ParseCommandLine({ L"app.log" }).follow);
    const CommandLine both = ParseCommandLine({ L"a.log", L"/follow", L"b.log" });
    EXPECT_EQ(both.openPath, std::optional<std::wstring>(L"a.log")) << "one file a window";
    EXPECT_FALSE(both.follow);
    EXPECT_EQ(both.ignored, (std::vector<std::wstring> { L"/follow", L"b.log" }));
    EXPECT_EQ(ParseCommandLine({ L"/rules", L"r.rules" }).rulesPath, std::optional<std::wstring>(L"r.rules"));
    EXPECT_EQ(ParseCommandLine({ L"/history-mb", L"3" }).historyMB, std::optional<std::uint32_t>(3));
    EXPECT_EQ(ParseCommandLine({ L"/history-mb", L"0" }).ignored, std::vector<std::wstring> { L"/history-mb 0" });
    EXPECT_EQ(SplitArguments(L"Tracing.exe /log \"C:\\a b\\t.log\""),
        (std::vector<std::wstring> { L"/log", L"C:\\a b\\t.log" }));
}

class ViewerSettingsTest : public viewer_tests::SettingsForgotten {
protected:
    static void Put(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, type, data, size), ERROR_SUCCESS);
    }
};

TEST_F(ViewerSettingsTest, SavedSettingsComeBackAndWrongTypesSizesAndRangesFallBackToDefaults)
{
    RegistrySettings store;
    ViewerSettings changed;
    changed.capture = false;
    changed.historyLines = 1234;
    changed.logLimitMB = 9;
    ASSERT_TRUE(store.Save(changed, SettingsScope::All));
    EXPECT_FALSE(store.Load().capture);
    EXPECT_EQ(store.Load().historyLines, 1234u);
    EXPECT_EQ(store.Load().logLimitMB, 9u);
    // A saved log's window keeps only what it may change.
    changed.historyLines = 99;
    ASSERT_TRUE(store.Save(changed, SettingsScope::View));
    EXPECT_EQ(store.Load().historyLines, 1234u);

    const DWORD zero = 0;
    const ULONGLONG wide = 5;
    const wchar_t text[] = L"1";
    const DWORD tooMany = ViewerSettings::kMaxHistoryLines + 1;
    Put(kCaptureValue, REG_SZ, text, sizeof text);  // wrong type
    Put(kHistoryLinesValue, REG_QWORD, &wide, sizeof wide);  // wrong size
    Put(kLogLimitValue, REG_DWORD, &zero, sizeof zero);  // out of range
    Put(L"FutureSetting", REG_DWORD, &zero, sizeof zero);
    const ViewerSettings loaded = store.Load();
    EXPECT_TRUE(loaded.capture);
    EXPECT_EQ(loaded.historyLines, 1000000u);
    EXPECT_EQ(loaded.logLimitMB, 64u);

    Put(kHistoryLinesValue, REG_DWORD, &tooMany, sizeof tooMany);
    EXPECT_EQ(store.Load().historyLines, 1000000u);

    // Saving keeps what this version does not know.
    ASSERT_TRUE(store.Save(loaded, SettingsScope::All));
    EXPECT_EQ(viewer_tests::KeptValue(L"FutureSetting"), 0u);
}

TEST_F(ViewerSettingsTest, ColumnsKeptBeforeAColumnWasAddedStillLoad)
{
    RegistrySettings store;
    using Widths = std::array<int, kColumns>;
    const int d = ViewerSettings::kDefaultColumnWidth;
    const int n = static_cast<int>(kColumns) - 1;  // the last column is the newest
    const struct {
        const char* name;
        std::vector<int> widths;
        std::vector<int> order;
        std::optional<Widths> loadedWidths;
        std::optional<Widths> loadedOrder;
    } rows[] = {
        { "kept for one column fewer: the new one takes its default and comes last", { 22, 60, 95, 55, 110, 65, 90, 300 },
            { 7, 0, 1, 2, 3, 4, 5, 6 }, Widths { 22, 60, 95, 55, 110, 65, 90, 300, d },
            Widths { 7, 0, 1, 2, 3, 4, 5, 6, n } },
        { "kept for every column", { 1, 2, 3, 4, 5, 6, 7, 8, 9 }, { 8, 7, 6, 5, 4, 3, 2, 1, 0 },
            Widths { 1, 2, 3, 4, 5, 6, 7, 8, 9 }, Widths { 8, 7, 6, 5, 4, 3, 2, 1, 0 } },
        { "an order that is not one, and widths out of range", { 1, -5 }, { 0, 0 }, std::nullopt, std::nullopt },
        { "more columns than this version knows", std::vector<int>(kColumns + 1, 10),
            { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 }, std::nullopt, std::nullopt },
    };
    for (const auto& row : rows) {
        Put(kColumnWidthsValue, REG_BINARY, row.widths.data(), static_cast<DWORD>(row.widths.size() * sizeof(int)));
        Put(kColumnOrderValue, REG_BINARY, row.order.data(), static_cast<DWORD>(row.order.size() * sizeof(int)));
        const ViewerSettings loaded = store.Load();
        EXPECT_EQ(loaded.columnWidths, row.loadedWidths) << row.name;
        EXPECT_EQ(loaded.columnOrder, row.loadedOrder) << row.name;
    }
}

TEST_F(ViewerSettingsTest, RulesAreKeptAsTextAndTheFirstReleasesListsAreReadOnce)
{
    RegistrySettings store;
    EXPECT_FALSE(store.LoadRules()) << "no rules kept";
    // The first release's lists: readable entries come over, the rest are passed over.
    const std::wstring filters(L"ex\t7\t000000\tFFFFFF\tnoise\0junk\0\0", 31);
    const std::wstring highlights(L"e\t5\tA00000\tFFDEDE\terror\0\0", 25);
    Put(kLegacyFiltersValue, REG_MULTI_SZ, filters.data(), static_cast<DWORD>(filters.size() * sizeof(wchar_t)));
    Put(kLegacyHighlightsValue, REG_MULTI_SZ, highlights.data(),
        static_cast<DWORD>(highlights.size() * sizeof(wchar_t)));
    const ParsedRules legacy = ParseRules(store.LoadRules().value_or(""));
    ASSERT_EQ(legacy.rules.size(), 2u);
    EXPECT_EQ(legacy.rules[0].rule, (TextRule { .action = RuleAction::Exclude, .pattern = "noise" }));
    EXPECT_EQ(legacy.rules[1].rule.action, RuleAction::Highlight);
    EXPECT_EQ(legacy.rules[1].rule.field, RuleField::Kind);
    EXPECT_EQ(legacy.rules[1].rule.textColour, 0x0000A0u);
    // Rules kept in the current form win, an empty list included.
    const std::string text = "# nothing\r\n";
    ASSERT_TRUE(store.SaveRules(text));
    EXPECT_EQ(store.LoadRules(), std::optional<std::string>(text));
}

TEST_F(ViewerSettingsTest, ViewsAreKeptInOrderAndClosedOnesLeaveNothingBehind)
{
    RegistrySettings store;
    EXPECT_FALSE(store.LoadViews()) << "no views kept";
    KeptViews views;
    views.views = { { L"Errors \u00e9", "include\tkind\ttext\terror\r\n" }, { L"Empty", "" }, { L"Third", "" } };
    views.current = 2;
    ASSERT_TRUE(store.SaveViews(views));
    const auto loaded = store.LoadViews();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->views, views.views);
    EXPECT_EQ(loaded->current, 2u);
    views.views.resize(1);
    views.current = 1;
    ASSERT_TRUE(store.SaveViews(views));
    EXPECT_EQ(store.LoadViews()->views, views.views);
    // A view in front beyond the views kept comes back as the last one.
    views.current = 5;
    ASSERT_TRUE(store.SaveViews(views));
    EXPECT_EQ(store.LoadViews()->current, 1u);
}

}  // namespace
