// The stand-in services component: the five entry points the console calls,
// with fixed, documented answers that vantorelconfig.ini beside the file can
// change (see README.md). Nothing here may throw across the C boundary.
#include "standins/services/StandinSettings.h"

#include <windows.h>

#include <objbase.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#define STANDIN_EXPORT extern "C" __declspec(dllexport)

namespace {

constexpr int32_t kLanguageFound = 0;
constexpr int32_t kLanguageNotListed = 1;
constexpr int32_t kLanguageBadArguments = 2;

constexpr int32_t kProfileFound = 0;
constexpr int32_t kProfileNoUserId = 1;
constexpr int32_t kProfileBadArguments = 3;

// Copies text into a block from the COM task allocator; null if out of memory.
char* CopyToTaskMem(const std::string& text)
{
    auto* copy = static_cast<char*>(::CoTaskMemAlloc(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

// A stable, made-up profile id: the same long user id always gives the same id.
std::string DerivedProfileId(const char* longUserId)
{
    uint32_t hash = 2166136261u;
    for (const char* c = longUserId; *c != '\0'; ++c) {
        hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
    }
    static const char kDigits[] = "0123456789ABCDEF";
    std::string id = "CVP-";
    for (int shift = 28; shift >= 0; shift -= 4) {
        id += kDigits[(hash >> shift) & 0xF];
    }
    return id;
}

std::string UserLanguageCode(const standin::Settings& settings)
{
    wchar_t code[16] = {};
    const LCID locale = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
    std::string fallback = "ENU";
    const int length = ::GetLocaleInfoW(locale, LOCALE_SABBREVLANGNAME, code, 16);
    if (length > 1) {
        fallback.clear();
        for (int i = 0; i + 1 < length; ++i) {
            fallback += static_cast<char>(code[i] < 0x80 ? code[i] : '?');
        }
    }
    return settings.Text(L"Language", L"UserLanguage", fallback);
}

bool SameCode(const char* a, const std::string& b)
{
    const size_t length = std::strlen(a);
    if (length != b.size()) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
        if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> SplitAtBars(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < text.size()) {
        const size_t bar = text.find('|', start);
        const size_t end = bar == std::string::npos ? text.size() : bar;
        if (end > start) {
            parts.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

}  // namespace

STANDIN_EXPORT bool __cdecl vtcf_Dispatch_IsUpdateOrMessageAvailable(const char* productName, const char*, bool)
{
    try {
        const bool named = productName != nullptr && *productName != '\0';
        return named && standin::Settings().Int(L"Updates", L"Available", 1) != 0;
    } catch (...) {
        return false;
    }
}

STANDIN_EXPORT int32_t __cdecl vtcf_Dispatch_InvokeUpdate(const char* productName, const char*, bool)
{
    try {
        if (productName == nullptr || *productName == '\0') {
            return 1;  // nothing to install
        }
        return standin::Settings().Int(L"Updates", L"Result", 0);
    } catch (...) {
        return 1;
    }
}

STANDIN_EXPORT int32_t __cdecl vtcf_Dispatch_GetCorvellaProfileID(
    const char* longUserId, const char*, HWND, char** profileId)
{
    if (profileId == nullptr) {
        return kProfileBadArguments;
    }
    *profileId = nullptr;
    if (longUserId == nullptr || *longUserId == '\0') {
        return kProfileNoUserId;
    }
    try {
        const standin::Settings settings;
        if (settings.Int(L"Corvella", L"NoProfile", 0) == 0) {
            *profileId = CopyToTaskMem(settings.Text(L"Corvella", L"ProfileID", DerivedProfileId(longUserId)));
        }
        return settings.Int(L"Corvella", L"ReturnCode", kProfileFound);
    } catch (...) {
        ::CoTaskMemFree(*profileId);
        *profileId = nullptr;
        return kProfileBadArguments;
    }
}

STANDIN_EXPORT int32_t __cdecl vtcf_GetUserLanguage_Code(const char** codes, uint32_t count, uint16_t* selected)
{
    if (codes == nullptr || count == 0 || selected == nullptr) {
        return kLanguageBadArguments;
    }
    try {
        const std::string user = UserLanguageCode(standin::Settings());
        for (uint32_t i = 0; i < count; ++i) {
            if (codes[i] != nullptr && SameCode(codes[i], user)) {
                *selected = static_cast<uint16_t>(i);
                return kLanguageFound;
            }
        }
        *selected = 0;  // the first listed code is the fall-back
        return kLanguageNotListed;
    } catch (...) {
        return kLanguageBadArguments;
    }
}

STANDIN_EXPORT uint32_t __cdecl vtcf_GetLocalGUIDs(char** stringList)
{
    if (stringList == nullptr) {
        return 0;
    }
    *stringList = nullptr;
    try {
        const standin::Settings settings;
        const std::vector<std::string> ids = SplitAtBars(settings.Text(
            L"LocalGUIDs", L"List", "{6A1F3C52-0B7E-4D8A-9C21-5E3B7F0A1D44}|{D0E9B6A3-47C1-4F25-8E6B-19A2C3D4E5F6}"));
        std::string block;
        for (const std::string& id : ids) {
            block += id;
            block += '\0';
        }
        // The closing empty string; CopyToTaskMem adds the final NUL.
        *stringList = CopyToTaskMem(block);
        const int32_t reported = settings.Int(L"LocalGUIDs", L"ReportedCount", static_cast<int32_t>(ids.size()));
        return *stringList == nullptr ? 0 : static_cast<uint32_t>(reported);
    } catch (...) {
        return 0;
    }
}
