// A test double of the services component. Every call appends one line with
// its arguments to "<own file name>.log" beside the library; the answers come
// from the [Double] section of "<own file name>.control" beside it. Built once
// with every entry point and once per entry point without it (RECORDING_OMIT).
#include <windows.h>

#include <objbase.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#ifndef RECORDING_OMIT
#define RECORDING_OMIT 0
#endif

#define RECORDING_EXPORT extern "C" __declspec(dllexport)

namespace {

HMODULE gSelf = nullptr;

std::wstring SiblingFile(const wchar_t* extension)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(gSelf, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::wstring(path, length) + extension;
}

void Log(const std::string& line)
{
    const std::wstring logPath = SiblingFile(L".log");
    HANDLE file = ::CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string Quoted(const char* text)
{
    return text == nullptr ? std::string("null") : "[" + std::string(text) + "]";
}

constexpr wchar_t kAbsent[] = L"\x1\x2";

bool Control(const wchar_t* key, std::string& value)
{
    const std::wstring controlPath = SiblingFile(L".control");
    std::vector<wchar_t> buffer(1 << 20);
    const DWORD length = ::GetPrivateProfileStringW(
        L"Double", key, kAbsent, buffer.data(), static_cast<DWORD>(buffer.size()), controlPath.c_str());
    const std::wstring wide(buffer.data(), length);
    if (wide == kAbsent) {
        return false;
    }
    const int size
        = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    value.assign(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(
            CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), value.data(), size, nullptr, nullptr);
    }
    return true;
}

std::string ControlText(const wchar_t* key, const std::string& fallback)
{
    std::string value;
    return Control(key, value) ? value : fallback;
}

long long ControlNumber(const wchar_t* key, long long fallback)
{
    std::string value;
    return Control(key, value) ? std::strtoll(value.c_str(), nullptr, 0) : fallback;
}

char* TaskMemCopy(const char* data, size_t size)
{
    auto* copy = static_cast<char*>(::CoTaskMemAlloc(size));
    if (copy != nullptr) {
        std::memcpy(copy, data, size);
    }
    return copy;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        gSelf = instance;
        char current[MAX_PATH] = {};
        const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, current);
        Log("attach cwd=" + Quoted(length < MAX_PATH ? current : ""));
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
        + " out=" + (profileId == nullptr ? "null" : (*profileId == nullptr ? "startsnull" : "notnull")));
    if (profileId != nullptr && ControlNumber(L"ProfileNull", 0) == 0) {
        const std::string id = ControlText(L"ProfileID", "PROFILE-1");
        *profileId = TaskMemCopy(id.c_str(), id.size() + 1);
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
    line += std::string(" selected=") + (selected ? std::to_string(*selected) : "null");
    Log(line);
    if (selected != nullptr) {
        *selected = static_cast<uint16_t>(ControlNumber(L"LanguageSelected", 3));
    }
    return static_cast<int32_t>(ControlNumber(L"LanguageReturn", 1));
}
#endif

#if RECORDING_OMIT != 5
RECORDING_EXPORT uint32_t __cdecl vtcf_GetLocalGUIDs(char** stringList)
{
    Log(std::string("GetLocalGUIDs out=")
        + (stringList == nullptr ? "null" : (*stringList == nullptr ? "startsnull" : "notnull")));
    std::vector<std::string> ids;
    const std::string list = ControlText(L"Guids", "A|B");
    for (size_t start = 0; start < list.size();) {
        const size_t bar = list.find('|', start);
        const size_t end = bar == std::string::npos ? list.size() : bar;
        ids.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    if (stringList != nullptr && ControlNumber(L"GuidsNull", 0) == 0) {
        std::string block;
        for (const std::string& id : ids) {
            block += id;
            block += '\0';
        }
        *stringList = TaskMemCopy(block.c_str(), block.size() + 1);
    }
    return static_cast<uint32_t>(ControlNumber(L"GuidCount", static_cast<long long>(ids.size())));
}
#endif
