// The viewer's settings, kept under HKCU\Software\Probedeck\Tracing. A value
// that is missing, of the wrong type or size, or out of range is ignored and
// its default used; values this version does not know are left alone.
#pragma once

#include "viewer/view/Cells.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tracing {

struct ViewerSettings {
    static constexpr std::uint32_t kMinHistoryLines = 1;
    // Lines cost about 100 bytes each: what the address space allows.
    static constexpr std::uint32_t kMaxHistoryLines = sizeof(void*) == 8 ? 20000000 : 4000000;
    static constexpr std::uint32_t kMinLogLimitMB = 1;
    static constexpr std::uint32_t kMaxLogLimitMB = 4096;
    static constexpr int kMaxColumnWidth = 8192;  // pixels at 96 DPI
    // The width of a column that kept widths do not know (added since): its default.
    static constexpr int kDefaultColumnWidth = -1;

    bool capture = true;
    std::uint32_t historyLines = 1000000;
    std::uint32_t logLimitMB = 64;
    TimeMode timeMode = TimeMode::Clock;
    // Widths at 96 DPI and the left-to-right order of the columns; empty for
    // the defaults. Kept for fewer columns (an earlier version's), the
    // columns added since take their default width and come last.
    std::optional<std::array<int, kColumns>> columnWidths;
    std::optional<std::array<int, kColumns>> columnOrder;
    std::optional<WINDOWPLACEMENT> placement;
};

// The views besides All, each with its name and its rules' text form, and
// which view was in front (0 for All, else 1 + the index of views).
struct KeptView {
    std::wstring name;
    std::string rules;
    bool operator==(const KeptView&) const = default;
};
struct KeptViews {
    static constexpr std::size_t kMaxViews = 64;
    std::vector<KeptView> views;
    std::size_t current = 0;
};

// What a save writes: every setting, or only what a window showing a saved
// log may change (the columns and the time mode).
enum class SettingsScope { All, View };

// Where the settings and the rules are kept. The rules are kept in their
// text form (see RuleText.h).
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual ViewerSettings Load() = 0;
    // Nothing when no rules are kept.
    virtual std::optional<std::string> LoadRules() = 0;
    // False, with the last error set, when they cannot be written.
    [[nodiscard]] virtual bool Save(const ViewerSettings& settings, SettingsScope scope) = 0;
    [[nodiscard]] virtual bool SaveRules(std::string_view text) = 0;
    // Nothing when no views were ever kept.
    virtual std::optional<KeptViews> LoadViews() = 0;
    [[nodiscard]] virtual bool SaveViews(const KeptViews& views) = 0;
};

class RegistrySettings final : public SettingsStore {
public:
    ViewerSettings Load() override;
    std::optional<std::string> LoadRules() override;
    [[nodiscard]] bool Save(const ViewerSettings& settings, SettingsScope scope) override;
    [[nodiscard]] bool SaveRules(std::string_view text) override;
    std::optional<KeptViews> LoadViews() override;
    [[nodiscard]] bool SaveViews(const KeptViews& views) override;
};

inline constexpr wchar_t kSettingsKey[] = L"Software\\Probedeck\\Tracing";
inline constexpr wchar_t kCaptureValue[] = L"Capture";
inline constexpr wchar_t kHistoryLinesValue[] = L"HistoryLines";
inline constexpr wchar_t kLogLimitValue[] = L"LogLimitMB";
inline constexpr wchar_t kTimeModeValue[] = L"TimeMode";
inline constexpr wchar_t kColumnWidthsValue[] = L"ColumnWidths";  // REG_BINARY, 32-bit widths, one per column
inline constexpr wchar_t kColumnOrderValue[] = L"ColumnOrder";  // REG_BINARY, 32-bit column numbers, one per column
inline constexpr wchar_t kPlacementValue[] = L"WindowPlacement";  // REG_BINARY, a WINDOWPLACEMENT
inline constexpr wchar_t kRulesValue[] = L"Rules";  // REG_SZ, the rules' text form (those of All)
// The views besides All: a subkey with the count, the view in front, and per
// view (from 1) its name and its rules' text form.
inline constexpr wchar_t kViewsKey[] = L"Views";
inline constexpr wchar_t kViewCountValue[] = L"Count";  // REG_DWORD
inline constexpr wchar_t kCurrentViewValue[] = L"Current";  // REG_DWORD, 0 for All
inline constexpr wchar_t kViewNameValue[] = L"Name";  // + number, REG_SZ
inline constexpr wchar_t kViewRulesValue[] = L"Rules";  // + number, REG_SZ
// Where the first release kept its rules, read when there is no Rules value (see LegacyRules.h).
inline constexpr wchar_t kLegacyFiltersValue[] = L"Filters";  // REG_MULTI_SZ
inline constexpr wchar_t kLegacyHighlightsValue[] = L"Highlights";  // REG_MULTI_SZ

}  // namespace tracing
