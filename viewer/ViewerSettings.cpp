#include "viewer/ViewerSettings.h"

#include "viewer/ViewerResources.h"

#include <windows.h>

namespace {

// The DWORD value name when it is one and lies in [low, high]; otherwise fallback.
std::uint32_t ReadDword(HKEY key, const wchar_t* name, std::uint32_t low, std::uint32_t high, std::uint32_t fallback)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    // RRF_RT_REG_DWORD refuses other types and other sizes.
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS || value < low
        || value > high) {
        return fallback;
    }
    return value;
}

}  // namespace

ViewerSettings LoadSettings()
{
    ViewerSettings settings;
    viewer_resources::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return settings;
    }
    settings.capture = ReadDword(key.get(), kCaptureValue, 0, 1, settings.capture ? 1 : 0) != 0;
    settings.historyLines = ReadDword(key.get(), kHistoryLinesValue, ViewerSettings::kMinHistoryLines,
        ViewerSettings::kMaxHistoryLines, settings.historyLines);
    settings.logLimitMB = ReadDword(
        key.get(), kLogLimitValue, ViewerSettings::kMinLogLimitMB, ViewerSettings::kMaxLogLimitMB, settings.logLimitMB);
    return settings;
}

bool SaveSettings(const ViewerSettings& settings)
{
    viewer_resources::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr)
        != ERROR_SUCCESS) {
        return false;
    }
    const struct {
        const wchar_t* name;
        DWORD value;
    } values[] = {
        { kCaptureValue, settings.capture ? 1u : 0u },
        { kHistoryLinesValue, settings.historyLines },
        { kLogLimitValue, settings.logLimitMB },
    };
    bool saved = true;
    for (const auto& value : values) {
        saved = ::RegSetValueExW(key.get(), value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.value),
                    sizeof value.value)
                == ERROR_SUCCESS
            && saved;
    }
    return saved;
}
