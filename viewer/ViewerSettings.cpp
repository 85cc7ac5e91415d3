#include "viewer/ViewerSettings.h"

#include "viewer/ViewerResources.h"
#include "viewer/view/RuleText.h"
#include "viewer/window/LineTransfer.h"

#include <algorithm>
#include <string>

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

// A binary value of exactly the size of T, or nothing.
template <typename T> std::optional<T> ReadBinary(HKEY key, const wchar_t* name)
{
    T value;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS
        || type != REG_BINARY || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

// The rules of a REG_MULTI_SZ value; nothing when it is missing, of another
// type, or holds entries of which none reads as a rule. Entries that do not
// read as rules are skipped.
std::optional<std::vector<TextRule>> ReadRules(HKEY key, const wchar_t* name)
{
    DWORD size = 0;
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring chars(size / sizeof(wchar_t) + 2, L'\0');
    size = static_cast<DWORD>(chars.size() * sizeof(wchar_t));
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_MULTI_SZ, nullptr, chars.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    chars.resize(size / sizeof(wchar_t));
    std::vector<TextRule> rules;
    bool unread = false;
    for (std::size_t start = 0; start < chars.size();) {
        const std::size_t end = std::min(chars.find(L'\0', start), chars.size());
        if (end > start) {
            if (auto rule = RuleFromText(WideToUtf8(std::wstring_view(chars).substr(start, end - start)))) {
                rules.push_back(std::move(*rule));
            } else {
                unread = true;
            }
        }
        start = end + 1;
    }
    if (rules.empty() && unread) {
        return std::nullopt;
    }
    return rules;
}

bool WriteRules(HKEY key, const wchar_t* name, const std::vector<TextRule>& rules)
{
    std::wstring chars;
    for (const TextRule& rule : rules) {
        chars += Utf8ToWide(RuleToText(rule));
        chars += L'\0';
    }
    chars += L'\0';
    return ::RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(chars.data()),
               static_cast<DWORD>(chars.size() * sizeof(wchar_t)))
        == ERROR_SUCCESS;
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value)
{
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value)
        == ERROR_SUCCESS;
}

template <typename T> bool WriteBinary(HKEY key, const wchar_t* name, const T& value)
{
    return ::RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), sizeof value)
        == ERROR_SUCCESS;
}

bool IsOrder(const std::array<int, ViewerSettings::kColumns>& order)
{
    std::array<int, ViewerSettings::kColumns> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (sorted[i] != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}

bool AreWidths(const std::array<int, ViewerSettings::kColumns>& widths)
{
    return std::all_of(
        widths.begin(), widths.end(), [](int width) { return width >= 0 && width <= ViewerSettings::kMaxColumnWidth; });
}

viewer_resources::UniqueRegKey CreateKey()
{
    viewer_resources::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr)
        != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

}  // namespace

std::vector<TextRule> ViewerSettings::DefaultHighlights()
{
    TextRule errors;
    errors.field = RuleField::Kind;
    errors.pattern = "error";
    errors.textColour = RGB(160, 0, 0);
    errors.backColour = RGB(255, 222, 222);
    return { errors };
}

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
    settings.timeMode = static_cast<TimeMode>(ReadDword(key.get(), kTimeModeValue, 0,
        static_cast<std::uint32_t>(TimeMode::Count) - 1, static_cast<std::uint32_t>(settings.timeMode)));
    using Columns = std::array<int, ViewerSettings::kColumns>;
    if (auto widths = ReadBinary<Columns>(key.get(), kColumnWidthsValue); widths && AreWidths(*widths)) {
        settings.columnWidths = widths;
    }
    if (auto order = ReadBinary<Columns>(key.get(), kColumnOrderValue); order && IsOrder(*order)) {
        settings.columnOrder = order;
    }
    if (auto placement = ReadBinary<WINDOWPLACEMENT>(key.get(), kPlacementValue);
        placement && placement->length == sizeof(WINDOWPLACEMENT)) {
        settings.placement = placement;
    }
    if (auto filters = ReadRules(key.get(), kFiltersValue)) {
        settings.filters = std::move(*filters);
    }
    if (auto highlights = ReadRules(key.get(), kHighlightsValue)) {
        settings.highlights = std::move(*highlights);
    }
    return settings;
}

bool SaveViewSettings(const ViewerSettings& settings)
{
    const viewer_resources::UniqueRegKey key = CreateKey();
    if (!key) {
        return false;
    }
    bool saved = WriteDword(key.get(), kTimeModeValue, static_cast<DWORD>(settings.timeMode));
    if (settings.columnWidths) {
        saved = WriteBinary(key.get(), kColumnWidthsValue, *settings.columnWidths) && saved;
    }
    if (settings.columnOrder) {
        saved = WriteBinary(key.get(), kColumnOrderValue, *settings.columnOrder) && saved;
    }
    saved = WriteRules(key.get(), kFiltersValue, settings.filters) && saved;
    return WriteRules(key.get(), kHighlightsValue, settings.highlights) && saved;
}

bool SaveSettings(const ViewerSettings& settings)
{
    const viewer_resources::UniqueRegKey key = CreateKey();
    if (!key) {
        return false;
    }
    bool saved = WriteDword(key.get(), kCaptureValue, settings.capture ? 1u : 0u);
    saved = WriteDword(key.get(), kHistoryLinesValue, settings.historyLines) && saved;
    saved = WriteDword(key.get(), kLogLimitValue, settings.logLimitMB) && saved;
    if (settings.placement) {
        saved = WriteBinary(key.get(), kPlacementValue, *settings.placement) && saved;
    }
    return SaveViewSettings(settings) && saved;
}
