// The viewer's settings, kept under HKCU\Software\Probedeck\Tracing. A value
// that is missing, of the wrong type or size, or out of range is ignored and
// its default used; values this version does not know are left alone.
#pragma once

#include "viewer/view/TextRule.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// How the time column reads.
enum class TimeMode : std::uint32_t { Clock, SinceFirst, SincePrevious, Count };

struct ViewerSettings {
    static constexpr std::uint32_t kMinHistoryLines = 1;
    // Lines cost about 100 bytes each: what the address space allows.
    static constexpr std::uint32_t kMaxHistoryLines = sizeof(void*) == 8 ? 20000000 : 4000000;
    static constexpr std::uint32_t kMinLogLimitMB = 1;
    static constexpr std::uint32_t kMaxLogLimitMB = 4096;
    static constexpr std::size_t kColumns = 8;  // see ViewerColumn
    static constexpr int kMaxColumnWidth = 8192;  // pixels at 96 DPI

    bool capture = true;
    std::uint32_t historyLines = 1000000;
    std::uint32_t logLimitMB = 64;
    TimeMode timeMode = TimeMode::Clock;
    // Widths at 96 DPI and the left-to-right order of the columns; empty for the defaults.
    std::optional<std::array<int, kColumns>> columnWidths;
    std::optional<std::array<int, kColumns>> columnOrder;
    std::optional<WINDOWPLACEMENT> placement;
    std::vector<TextRule> filters;
    std::vector<TextRule> highlights = DefaultHighlights();

    // Error lines in dark red on pale red.
    static std::vector<TextRule> DefaultHighlights();
};

inline constexpr wchar_t kSettingsKey[] = L"Software\\Probedeck\\Tracing";
inline constexpr wchar_t kCaptureValue[] = L"Capture";
inline constexpr wchar_t kHistoryLinesValue[] = L"HistoryLines";
inline constexpr wchar_t kLogLimitValue[] = L"LogLimitMB";
inline constexpr wchar_t kTimeModeValue[] = L"TimeMode";
inline constexpr wchar_t kColumnWidthsValue[] = L"ColumnWidths";  // REG_BINARY, 8 32-bit widths
inline constexpr wchar_t kColumnOrderValue[] = L"ColumnOrder";  // REG_BINARY, 8 32-bit column numbers
inline constexpr wchar_t kPlacementValue[] = L"WindowPlacement";  // REG_BINARY, a WINDOWPLACEMENT
inline constexpr wchar_t kFiltersValue[] = L"Filters";  // REG_MULTI_SZ, see RuleText.h
inline constexpr wchar_t kHighlightsValue[] = L"Highlights";  // REG_MULTI_SZ

ViewerSettings LoadSettings();
// Writes every setting; false when the key cannot be written.
[[nodiscard]] bool SaveSettings(const ViewerSettings& settings);
// Writes what a window showing a saved log may change: columns, time mode and rules.
[[nodiscard]] bool SaveViewSettings(const ViewerSettings& settings);
