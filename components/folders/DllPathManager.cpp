#include "components/folders/DllPathManager.h"

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <cwctype>

namespace VantorelUtils {

namespace {

constexpr wchar_t kSharedSubFolder[] = L"\\Brivex Shared\\DllShared";

// A path that filled the whole buffer may have been cut off; it is treated as
// not found rather than as a different, shorter path.
bool FitsBuffer(DWORD length)
{
    return length != 0 && length < MAX_PATH;
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

bool CanOpenForReading(const std::wstring& path)
{
    const resources::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

bool HoldsFile(const std::wstring& folder, const wchar_t* fileName)
{
    return !folder.empty() && CanOpenForReading(folder + L"\\" + fileName);
}

std::wstring EnvironmentValue(const wchar_t* name)
{
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

// The system's library search without the current directory, which is where
// a same-named library is most easily planted. The program's own folder was
// already tried as the first place.
std::wstring SystemSearchPath()
{
    std::wstring searchPath;
    wchar_t folder[MAX_PATH] = {};
    if (FitsBuffer(::GetSystemDirectoryW(folder, MAX_PATH))) {
        searchPath += folder;
        searchPath += L';';
    }
    if (FitsBuffer(::GetWindowsDirectoryW(folder, MAX_PATH))) {
        searchPath += folder;
        searchPath += L';';
    }
    searchPath += EnvironmentValue(L"PATH");
    return searchPath;
}

std::wstring FolderOnSystemSearchPath(const wchar_t* fileName)
{
    const std::wstring searchPath = SystemSearchPath();
    wchar_t found[MAX_PATH] = {};
    const DWORD length = ::SearchPathW(searchPath.c_str(), fileName, nullptr, MAX_PATH, found, nullptr);
    if (!FitsBuffer(length)) {
        return {};
    }
    return FolderOf(std::wstring(found, length));
}

// True when the process with handle `candidate` began after this one: its id
// was reused after the real parent ended, so it did not start us.
bool StartedAfterUs(HANDLE candidate)
{
    FILETIME created {}, exited {}, kernel {}, user {};
    FILETIME ownCreated {};
    if (!::GetProcessTimes(candidate, &created, &exited, &kernel, &user)
        || !::GetProcessTimes(::GetCurrentProcess(), &ownCreated, &exited, &kernel, &user)) {
        return false;
    }
    return ::CompareFileTime(&created, &ownCreated) > 0;
}

// An ended parent stays openable while anyone holds a handle to it, but it
// no longer vouches for where this program was meant to find its components.
bool HasEnded(HANDLE process)
{
    DWORD code = 0;
    return !::GetExitCodeProcess(process, &code) || code != STILL_ACTIVE;
}

}  // namespace

DllPathManager::~DllPathManager()
{
    if (!strSavedDir.empty()) {
        ::SetCurrentDirectoryW(strSavedDir.c_str());
    }
}

std::wstring& DllPathManager::WStringToLower(std::wstring& myString)
{
    for (wchar_t& c : myString) {
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    return myString;
}

std::wstring DllPathManager::getprocessfolderpath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(::GetModuleHandleW(nullptr), path, MAX_PATH);
    if (!FitsBuffer(length)) {
        return {};
    }
    std::wstring folder = FolderOf(std::wstring(path, length));
    return WStringToLower(folder);
}

std::wstring DllPathManager::getparentprocessfolderpath()
{
    const resources::UniqueSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return {};
    }
    const DWORD ownId = ::GetCurrentProcessId();
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == ownId) {
            found = true;
            break;
        }
    }
    if (!found) {
        return {};
    }
    // Reading the program path needs no more than the limited query right;
    // asking for full access fails needlessly against other users' processes.
    const resources::UniqueHandle parent(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ParentProcessID));
    if (!parent || HasEnded(parent.get()) || StartedAfterUs(parent.get())) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!::QueryFullProcessImageNameW(parent.get(), 0, path, &length) || !FitsBuffer(length)) {
        return {};
    }
    std::wstring folder = FolderOf(std::wstring(path, length));
    return WStringToLower(folder);
}

std::wstring SharedComponentFolder()
{
    wchar_t common[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr, SHGFP_TYPE_CURRENT, common))) {
        return {};
    }
    return std::wstring(common) + kSharedSubFolder;
}

std::wstring DllPathManager::getDllFolderPath(const wchar_t* DllName)
{
    if (DllName == nullptr || *DllName == L'\0') {
        return {};
    }
    std::wstring folder = getprocessfolderpath();
    if (HoldsFile(folder, DllName)) {
        return folder;
    }
    folder = getparentprocessfolderpath();
    if (HoldsFile(folder, DllName)) {
        return folder;
    }
    folder = FolderOnSystemSearchPath(DllName);
    if (!folder.empty()) {
        return WStringToLower(folder);
    }
    folder = SharedComponentFolder();
    if (HoldsFile(folder, DllName)) {
        return WStringToLower(folder);
    }
    return {};
}

}  // namespace VantorelUtils
