// What the viewer is told before it starts: its command line and its kept settings.
#include "viewer/CommandLine.h"
#include "viewer/ViewerSettings.h"

#include "tests/viewer/ViewerProgram.h"

#include <gtest/gtest.h>

#include <windows.h>

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
    };
    for (const auto& row : rows) {
        const CommandLine parsed = ParseCommandLine(row.arguments);
        EXPECT_EQ(parsed.logPath, row.logPath) << row.name;
        EXPECT_EQ(parsed.logLimitBytes, row.limit) << row.name;
        EXPECT_EQ(parsed.historyLines, row.history) << row.name;
        EXPECT_EQ(parsed.ignored, row.ignored) << row.name;
        EXPECT_EQ(parsed.openPath, row.openPath) << row.name;
    }
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
    ViewerSettings changed;
    changed.capture = false;
    changed.historyLines = 1234;
    changed.logLimitMB = 9;
    ASSERT_TRUE(SaveSettings(changed));
    EXPECT_FALSE(LoadSettings().capture);
    EXPECT_EQ(LoadSettings().historyLines, 1234u);
    EXPECT_EQ(LoadSettings().logLimitMB, 9u);

    const DWORD zero = 0;
    const ULONGLONG wide = 5;
    const wchar_t text[] = L"1";
    const DWORD tooMany = ViewerSettings::kMaxHistoryLines + 1;
    Put(kCaptureValue, REG_SZ, text, sizeof text);  // wrong type
    Put(kHistoryLinesValue, REG_QWORD, &wide, sizeof wide);  // wrong size
    Put(kLogLimitValue, REG_DWORD, &zero, sizeof zero);  // out of range
    Put(L"FutureSetting", REG_DWORD, &zero, sizeof zero);
    const ViewerSettings loaded = LoadSettings();
    EXPECT_TRUE(loaded.capture);
    EXPECT_EQ(loaded.historyLines, 1000000u);
    EXPECT_EQ(loaded.logLimitMB, 64u);

    Put(kHistoryLinesValue, REG_DWORD, &tooMany, sizeof tooMany);
    EXPECT_EQ(LoadSettings().historyLines, 1000000u);

    // Saving keeps what this version does not know.
    ASSERT_TRUE(SaveSettings(loaded));
    EXPECT_EQ(viewer_tests::KeptValue(L"FutureSetting"), 0u);
}

TEST_F(ViewerSettingsTest, RulesComeBackAndUnreadableRuleListsGiveTheDefaults)
{
    const TextRule hide { .exclude = true, .pattern = "noise" };
    const struct {
        const char* name;
        std::wstring value;  // a REG_MULTI_SZ's characters, without the closing NUL
        std::vector<TextRule> filters;
        std::vector<TextRule> highlights;
    } rows[] = {
        { "emptied by the user", std::wstring(1, L'\0'), {}, {} },
        { "nothing readable", std::wstring(L"what\0ever\0", 10), {}, ViewerSettings::DefaultHighlights() },
        { "one readable of two", std::wstring(L"ex\t7\t000000\tFFFFFF\tnoise\0junk\0", 30), { hide }, { hide } },
    };
    for (const auto& row : rows) {
        const std::wstring chars = row.value + L'\0';
        const auto bytes = static_cast<DWORD>(chars.size() * sizeof(wchar_t));
        Put(kFiltersValue, REG_MULTI_SZ, chars.data(), bytes);
        Put(kHighlightsValue, REG_MULTI_SZ, chars.data(), bytes);
        const ViewerSettings loaded = LoadSettings();
        EXPECT_EQ(loaded.filters, row.filters) << row.name;
        EXPECT_EQ(loaded.highlights, row.highlights) << row.name;
    }
    // Highlights all deleted stay deleted: an empty list is not a missing one.
    ViewerSettings changed;
    changed.filters = { hide, hide };
    changed.highlights = {};
    ASSERT_TRUE(SaveViewSettings(changed));
    const ViewerSettings loaded = LoadSettings();
    EXPECT_EQ(loaded.filters, changed.filters);
    EXPECT_TRUE(loaded.highlights.empty());
}

}  // namespace
