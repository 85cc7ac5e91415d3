// A test double of the services component. Every call appends one line with its arguments to
// "<own file name>.log" beside the library; the answers come from the [Double] section of
// "<own file name>.control" beside it. Built once with every entry point and once per entry point
// without it (RECORDING_OMIT).
#include "foundation/resources/UniqueResource.h"
#include "foundation/text/Unicode.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#define RECORDING_EXPORT extern "C" __declspec(dllexport)

namespace {

HMODULE gSelf = nullptr;

std::wstring SiblingFile(const wchar_t* extension)
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(gSelf, path.data(), MAX_PATH));
    return path.empty() || path.size() >= MAX_PATH ? std::wstring() : path + extension;
}

void Log(const std::string& line)
{
    const resources::UniqueFileHandle file(::CreateFileW(SiblingFile(L".log").c_str(), FILE_APPEND_DATA,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string text = line + "\r\n";
    DWORD written = 0;
    if (file) {
        ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

std::string Quoted(const char* text)
{
    return text == nullptr ? std::string("null") : "[" + std::string(text) + "]";
}

std::string OutState(char** out)
{
    return out == nullptr ? "null" : (*out == nullptr ? "startsnull" : "notnull");
}

// The setting as narrow ANSI text, or fallback when the control file lacks it.
std::string ControlText(const wchar_t* key, const std::string& fallback)
{
    constexpr wchar_t kAbsent[] = L"\x1\x2";
    std::wstring wide(1 << 20, L'\0');
    wide.resize(::GetPrivateProfileStringW(
        L"Double", key, kAbsent, wide.data(), static_cast<DWORD>(wide.size()), SiblingFile(L".control").c_str()));
    return wide == kAbsent ? fallback : unicode::to_string(wide);
}

long long ControlNumber(const wchar_t* key, long long fallback)
{
    const std::string value = ControlText(key, "\x1");
    return value == "\x1" ? fallback : std::strtoll(value.c_str(), nullptr, 0);
}

char* TaskMemCopy(const std::string& bytes)  // with the closing NUL
{
    auto* copy = static_cast<char*>(::CoTaskMemAlloc(bytes.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, bytes.c_str(), bytes.size() + 1);
    }
    return copy;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        gSelf = instance;
        char current[MAX_PATH] = {};
        Log("attach cwd=" + Quoted(::GetCurrentDirectoryA(MAX_PATH, current) < MAX_PATH ? current : ""));
    }
    return TRUE;
}

#if RECORDING_OMIT != 1
RECORDING_EXPORT bool __cdecl vtcf_Dispatch_IsUpdateOrMessageAvailable(
    const char* product, const char* locale, bool flag)
{
    Log("IsUpdateOrMessageAvailable product=" + Quoted(product) + " locale=" + Quoted(locale)
        + " flag=" + (flag ? "1" : "0"));
    return ControlNumber(L"Available", 1) != 0;
}
#endif

#if RECORDING_OMIT != 2
RECORDING_EXPORT int32_t __cdecl vtcf_Dispatch_InvokeUpdate(const char* product, const char* locale, bool background)
{
    Log("InvokeUpdate product=" + Quoted(product) + " locale=" + Quoted(locale)
        + " background=" + (background ? "1" : "0"));
    return static_cast<int32_t>(ControlNumber(L"UpdateResult", 0));
}
#endif

#if RECORDING_OMIT != 3
RECORDING_EXPORT int32_t __cdecl vtcf_Dispatch_GetCorvellaProfileID(
    const char* user, const char* second, HWND owner, char** profileId)
{
    Log("GetCorvellaProfileID user=" + Quoted(user) + " second=" + Quoted(second) + " owner=" + (owner ? "set" : "null")
        + " out=" + OutState(profileId));
    if (profileId != nullptr && ControlNumber(L"ProfileNull", 0) == 0) {
        *profileId = TaskMemCopy(ControlText(L"ProfileID", "PROFILE-1"));
    }
    return static_cast<int32_t>(ControlNumber(L"ProfileReturn", 0));
}
#endif

#if RECORDING_OMIT != 4
RECORDING_EXPORT int32_t __cdecl vtcf_GetUserLanguage_Code(const char** codes, uint32_t count, uint16_t* selected)
{
    std::string line = "GetUserLanguage_Code count=" + std::to_string(count) + " codes=";
    for (uint32_t i = 0; codes != nullptr && i < count; ++i) {
        line += Quoted(codes[i]);
    }
    Log(line + " selected=" + (selected ? std::to_string(*selected) : "null"));
    if (selected != nullptr) {
        *selected = static_cast<uint16_t>(ControlNumber(L"LanguageSelected", 3));
    }
    return static_cast<int32_t>(ControlNumber(L"LanguageReturn", 1));
}
#endif

#if RECORDING_OMIT != 5
// The block holds the '|'-separated Guids setting as NUL-ended strings, closed by an empty one.
RECORDING_EXPORT uint32_t __cdecl vtcf_GetLocalGUIDs(char** stringList)
{
    Log("GetLocalGUIDs out=" + OutState(stringList));
    std::string block = ControlText(L"Guids", "A|B");
    const bool closed = block.empty() || block.back() == '|';  // a trailing '|' adds no string
    const long long count = std::count(block.begin(), block.end(), '|') + (closed ? 0 : 1);
    std::replace(block.begin(), block.end(), '|', '\0');
    if (stringList != nullptr && ControlNumber(L"GuidsNull", 0) == 0) {
        *stringList = TaskMemCopy(closed ? block : block + '\0');
    }
    return static_cast<uint32_t>(ControlNumber(L"GuidCount", count));
}
#endif
