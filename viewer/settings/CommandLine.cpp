#include "viewer/settings/CommandLine.h"

#include "foundation/resources/UniqueResource.h"
#include "viewer/settings/ViewerSettings.h"
#include "viewer/store/LineStore.h"

#include <shellapi.h>
#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace tracing {

namespace {

bool IsOption(const std::wstring& argument, const wchar_t* name)
{
    return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-')
        && ::CompareStringOrdinal(argument.c_str() + 1, -1, name, -1, TRUE) == CSTR_EQUAL;
}

// Digits, optionally with a fraction: "64", "0.25".
std::optional<double> ParseDecimal(const std::wstring& text)
{
    std::size_t dots = 0;
    std::size_t digits = 0;
    for (wchar_t c : text) {
        dots += c == L'.' ? 1 : 0;
        digits += std::iswdigit(c) ? 1 : 0;
    }
    if (digits == 0 || dots > 1 || digits + dots != text.size()) {
        return std::nullopt;
    }
    return std::wcstod(text.c_str(), nullptr);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments)
{
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (IsOption(argument, L"log") && hasValue) {
            result.logPath = arguments[++i];
        } else if (IsOption(argument, L"log-limit") && hasValue) {
            const auto megabytes = ParseDecimal(arguments[++i]);
            const double bytes = megabytes.value_or(0) * 1048576.0;
            if (bytes >= kMinLogLimitBytes && bytes <= ViewerSettings::kMaxLogLimitMB * 1048576.0) {
                result.logLimitBytes = static_cast<std::uint64_t>(bytes);
            } else {
                result.ignored.push_back(argument + L" " + arguments[i]);
            }
        } else if (IsOption(argument, L"follow") && hasValue && !result.openPath) {
            result.openPath = arguments[++i];
            result.follow = true;
        } else if (IsOption(argument, L"rules") && hasValue) {
            result.rulesPath = arguments[++i];
        } else if (IsOption(argument, L"history-mb") && hasValue) {
            const auto megabytes = ParseDecimal(arguments[++i]);
            if (megabytes && arguments[i].find(L'.') == std::wstring::npos && *megabytes >= 1
                && *megabytes <= (LineStore::kDefaultCapacityBytes >> 20) * 4.0) {
                result.historyMB = static_cast<std::uint32_t>(*megabytes);
            } else {
                result.ignored.push_back(argument + L" " + arguments[i]);
            }
        } else if (IsOption(argument, L"history") && hasValue) {
            const auto lines = ParseDecimal(arguments[++i]);
            if (lines && arguments[i].find(L'.') == std::wstring::npos && *lines >= ViewerSettings::kMinHistoryLines
                && *lines <= ViewerSettings::kMaxHistoryLines) {
                result.historyLines = static_cast<std::uint32_t>(*lines);
            } else {
                result.ignored.push_back(argument + L" " + arguments[i]);
            }
        } else if (!result.openPath && !argument.empty() && argument[0] != L'/' && argument[0] != L'-') {
            result.openPath = argument;
        } else {
            result.ignored.push_back(argument);
        }
    }
    return result;
}

std::vector<std::wstring> SplitArguments(const wchar_t* commandLine)
{
    std::vector<std::wstring> arguments;
    int count = 0;
    const resources::UniqueLocalMem memory(::CommandLineToArgvW(commandLine, &count));
    const auto* split = static_cast<wchar_t* const*>(memory.get());
    for (int i = 1; split != nullptr && i < count; ++i) {
        arguments.emplace_back(split[i]);
    }
    return arguments;
}

std::wstring FileNameOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace tracing
