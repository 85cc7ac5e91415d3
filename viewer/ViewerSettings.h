// The viewer's settings, kept under HKCU\Software\Probedeck\Tracing. A value
// that is missing, of the wrong type or size, or out of range is ignored and
// its default used; values this version does not know are left alone.
#pragma once

#include <cstdint>

struct ViewerSettings {
    static constexpr std::uint32_t kMinHistoryLines = 1;
    // Lines cost about 100 bytes each: what the address space allows.
    static constexpr std::uint32_t kMaxHistoryLines = sizeof(void*) == 8 ? 20000000 : 4000000;
    static constexpr std::uint32_t kMinLogLimitMB = 1;
    static constexpr std::uint32_t kMaxLogLimitMB = 4096;

    bool capture = true;
    std::uint32_t historyLines = 1000000;
    std::uint32_t logLimitMB = 64;
};

inline constexpr wchar_t kSettingsKey[] = L"Software\\Probedeck\\Tracing";
inline constexpr wchar_t kCaptureValue[] = L"Capture";
inline constexpr wchar_t kHistoryLinesValue[] = L"HistoryLines";
inline constexpr wchar_t kLogLimitValue[] = L"LogLimitMB";

ViewerSettings LoadSettings();
// Writes every setting; false when the key cannot be written.
[[nodiscard]] bool SaveSettings(const ViewerSettings& settings);
