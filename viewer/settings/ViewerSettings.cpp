#include "viewer/settings/ViewerSettings.h"

#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"
#include "viewer/rules/RuleText.h"
#include "viewer/settings/LegacyRules.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tracing {

namespace {

using Columns = std::array<int, kColumns>;

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

// A string or string-list value's characters, its NULs included; nothing
// when it is missing or of another type.
std::optional<std::wstring> ReadChars(HKEY key, const wchar_t* name, DWORD type)
{
    DWORD size = 0;
    if (::RegGetValueW(key, nullptr, name, type, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring chars(size / sizeof(wchar_t) + 2, L'\0');
    size = static_cast<DWORD>(chars.size() * sizeof(wchar_t));
    if (::RegGetValueW(key, nullptr, name, type, nullptr, chars.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    chars.resize(size / sizeof(wchar_t));
    while (!chars.empty() && chars.back() == L'\0') {
        chars.pop_back();
    }
    return chars;
}

// The first release's two lists, in the current text form; entries that do
// not read as rules are passed over. Nothing when neither list is there.
std::optional<std::string> ReadLegacyRules(HKEY key)
{
    std::vector<TextRule> rules;
    bool found = false;
    for (const bool filter : { true, false }) {
        const auto chars = ReadChars(key, filter ? kLegacyFiltersValue : kLegacyHighlightsValue, RRF_RT_REG_MULTI_SZ);
        found = found || chars.has_value();
        for (std::size_t start = 0; chars && start < chars->size();) {
            const std::size_t end = std::min(chars->find(L'\0', start), chars->size());
            if (auto rule = LegacyRuleFromText(
                    unicode::wide_to_utf8(std::wstring_view(*chars).substr(start, end - start)), filter)) {
                rules.push_back(std::move(*rule));
            }
            start = end + 1;
        }
    }
    return found ? std::optional<std::string>(RulesToText(rules)) : std::nullopt;
}

LSTATUS WriteDword(HKEY key, const wchar_t* name, DWORD value)
{
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

template <typename T> LSTATUS WriteBinary(HKEY key, const wchar_t* name, const T& value)
{
    return ::RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Kept columns: as many as there are now, or fewer (kept by an earlier
// version, before columns were added at the end); the columns not kept are
// filled in from missing, which is given the index of the column.
template <typename Fill> std::optional<Columns> ReadColumns(HKEY key, const wchar_t* name, Fill missing)
{
    Columns columns {};
    DWORD size = sizeof columns;
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(columns.data()), &size) != ERROR_SUCCESS
        || type != REG_BINARY || size == 0 || size % sizeof(int) != 0) {
        return std::nullopt;
    }
    for (std::size_t i = size / sizeof(int); i < columns.size(); ++i) {
        columns[i] = missing(static_cast<int>(i));
    }
    return columns;
}

bool IsOrder(const Columns& order)
{
    Columns sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (sorted[i] != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}

bool AreWidths(const Columns& widths)
{
    return std::all_of(
        widths.begin(), widths.end(), [](int width) {
            return width == ViewerSettings::kDefaultColumnWidth || (width >= 0 && width <= ViewerSettings::kMaxColumnWidth);
        });
}

resources::UniqueRegKey OpenKey(REGSAM access)
{
    resources::UniqueRegKey key;
    const LSTATUS status = access == KEY_QUERY_VALUE
        ? ::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, access, key.put())
        : ::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, access, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        key.reset();
        ::SetLastError(static_cast<DWORD>(status));
    }
    return key;
}

// Keeps the first failure's error for the caller.
class Writes {
public:
    void Check(LSTATUS status)
    {
        if (status != ERROR_SUCCESS && mError == ERROR_SUCCESS) {
            mError = static_cast<DWORD>(status);
        }
    }
    bool Done() const
    {
        ::SetLastError(mError);
        return mError == ERROR_SUCCESS;
    }

private:
    DWORD mError = ERROR_SUCCESS;
};

}  // namespace

ViewerSettings RegistrySettings::Load()
{
    ViewerSettings settings;
    const resources::UniqueRegKey key = OpenKey(KEY_QUERY_VALUE);
    if (!key) {
        return settings;
    }
    settings.capture = ReadDword(key.get(), kCaptureValue, 0, 1, settings.capture ? 1 : 0) != 0;
    settings.historyLines = ReadDword(key.get(), kHistoryLinesValue, ViewerSettings::kMinHistoryLines,
        ViewerSettings::kMaxHistoryLines, settings.historyLines);
    settings.logLimitMB = ReadDword(
        key.get(), kLogLimitValue, ViewerSettings::kMinLogLimitMB, ViewerSettings::kMaxLogLimitMB, settings.logLimitMB);
    settings.timeMode = static_cast<TimeMode>(ReadDword(key.get(), kTimeModeValue, 0,
        static_cast<std::uint32_t>(TimeMode::Count) - 1, static_cast<std::uint32_t>(settings.timeMode)));
    const auto defaultWidth = [](int) { return ViewerSettings::kDefaultColumnWidth; };
    if (auto widths = ReadColumns(key.get(), kColumnWidthsValue, defaultWidth); widths && AreWidths(*widths)) {
        settings.columnWidths = widths;
    }
    // Columns not in a kept order come last, in their own order.
    const auto last = [](int column) { return column; };
    if (auto order = ReadColumns(key.get(), kColumnOrderValue, last); order && IsOrder(*order)) {
        settings.columnOrder = order;
    }
    if (auto placement = ReadBinary<WINDOWPLACEMENT>(key.get(), kPlacementValue);
        placement && placement->length == sizeof(WINDOWPLACEMENT)) {
        settings.placement = placement;
    }
    return settings;
}

std::optional<std::string> RegistrySettings::LoadRules()
{
    const resources::UniqueRegKey key = OpenKey(KEY_QUERY_VALUE);
    if (!key) {
        return std::nullopt;
    }
    if (const auto chars = ReadChars(key.get(), kRulesValue, RRF_RT_REG_SZ)) {
        return unicode::wide_to_utf8(*chars);
    }
    return ReadLegacyRules(key.get());
}

bool RegistrySettings::Save(const ViewerSettings& settings, SettingsScope scope)
{
    const resources::UniqueRegKey key = OpenKey(KEY_SET_VALUE);
    if (!key) {
        return false;
    }
    Writes writes;
    writes.Check(WriteDword(key.get(), kTimeModeValue, static_cast<DWORD>(settings.timeMode)));
    if (settings.columnWidths) {
        writes.Check(WriteBinary(key.get(), kColumnWidthsValue, *settings.columnWidths));
    }
    if (settings.columnOrder) {
        writes.Check(WriteBinary(key.get(), kColumnOrderValue, *settings.columnOrder));
    }
    if (scope == SettingsScope::All) {
        writes.Check(WriteDword(key.get(), kCaptureValue, settings.capture ? 1u : 0u));
        writes.Check(WriteDword(key.get(), kHistoryLinesValue, settings.historyLines));
        writes.Check(WriteDword(key.get(), kLogLimitValue, settings.logLimitMB));
        if (settings.placement) {
            writes.Check(WriteBinary(key.get(), kPlacementValue, *settings.placement));
        }
    }
    return writes.Done();
}

bool RegistrySettings::SaveRules(std::string_view text)
{
    const resources::UniqueRegKey key = OpenKey(KEY_SET_VALUE);
    if (!key) {
        return false;
    }
    const std::wstring chars = unicode::utf8_to_wide(text);
    Writes writes;
    writes.Check(::RegSetValueExW(key.get(), kRulesValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(chars.c_str()),
        static_cast<DWORD>((chars.size() + 1) * sizeof(wchar_t))));
    return writes.Done();
}

}  // namespace tracing

namespace tracing {

namespace {

std::wstring Numbered(const wchar_t* name, std::size_t number)
{
    return name + std::to_wstring(number);
}

LSTATUS WriteText(HKEY key, const std::wstring& name, const std::wstring& text)
{
    return ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

std::optional<KeptViews> RegistrySettings::LoadViews()
{
    const resources::UniqueRegKey settings = OpenKey(KEY_QUERY_VALUE);
    resources::UniqueRegKey key;
    if (!settings || ::RegOpenKeyExW(settings.get(), kViewsKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    KeptViews kept;
    const std::uint32_t count = ReadDword(key.get(), kViewCountValue, 0, KeptViews::kMaxViews, 0);
    for (std::uint32_t number = 1; number <= count; ++number) {
        // A view without a name is passed over; one without rules shows every line.
        const auto name = ReadChars(key.get(), Numbered(kViewNameValue, number).c_str(), RRF_RT_REG_SZ);
        if (!name || name->empty()) {
            continue;
        }
        const auto rules = ReadChars(key.get(), Numbered(kViewRulesValue, number).c_str(), RRF_RT_REG_SZ);
        kept.views.push_back({ *name, rules ? unicode::wide_to_utf8(*rules) : std::string() });
    }
    kept.current = std::min<std::size_t>(ReadDword(key.get(), kCurrentViewValue, 0, count, 0), kept.views.size());
    return kept;
}

bool RegistrySettings::SaveViews(const KeptViews& views)
{
    const resources::UniqueRegKey settings
        = OpenKey(KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE);
    if (!settings) {
        return false;
    }
    Writes writes;
    // Views closed since the last save leave no values behind.
    const LSTATUS deleted = ::RegDeleteTreeW(settings.get(), kViewsKey);
    writes.Check(deleted == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : deleted);
    resources::UniqueRegKey key;
    const LSTATUS created = ::RegCreateKeyExW(
        settings.get(), kViewsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    writes.Check(created);
    if (created != ERROR_SUCCESS) {
        return writes.Done();
    }
    const std::size_t count = std::min(views.views.size(), KeptViews::kMaxViews);
    writes.Check(WriteDword(key.get(), kViewCountValue, static_cast<DWORD>(count)));
    writes.Check(WriteDword(key.get(), kCurrentViewValue, static_cast<DWORD>(std::min(views.current, count))));
    for (std::size_t index = 0; index < count; ++index) {
        writes.Check(WriteText(key.get(), Numbered(kViewNameValue, index + 1), views.views[index].name));
        writes.Check(WriteText(
            key.get(), Numbered(kViewRulesValue, index + 1), unicode::utf8_to_wide(views.views[index].rules)));
    }
    return writes.Done();
}

}  // namespace tracing
