#include "components/services/VantorelModule.h"

#include "components/folders/DllPathManager.h"

#include <utility>

namespace VantorelUtils {

VantorelModule::VantorelModule(std::wstring dllName)
    : strDllName(std::move(dllName))
{
}

VantorelModule::~VantorelModule()
{
    hModule.reset();
    bInitialized = false;
}

HMODULE VantorelModule::Singleton()
{
    // Never destroyed: the component stays loaded until the process ends, so
    // nothing that still points into it can outlive it.
    static VantorelModule* gInstance = new VantorelModule();
    return gInstance->InitInstance();
}

HMODULE VantorelModule::InitInstance()
{
    if (bInitialized) {
        return hModule.get();
    }
    const std::wstring folder = DllPathManager::getDllFolderPath(strDllName.c_str());
    if (folder.empty()) {
        // Loading by bare name now would let the system search pick up any
        // same-named file, the current directory included.
        return nullptr;
    }
    DllPathManager restore;
    wchar_t current[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
    if (length != 0 && length < MAX_PATH) {
        restore.strSavedDir.assign(current, length);
        // Some components resolve their own files relative to the current
        // directory while they load.
        ::SetCurrentDirectoryW(folder.c_str());
    }
    // Full paths, so the files the search found are the files loaded; the
    // altered search path makes their own imports resolve beside them too.
    hModule.reset(::LoadLibraryExW((folder + L"\\" + strDllName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (hModule) {
        // Deliberately kept loaded for the rest of the process.
        ::LoadLibraryExW((folder + L"\\" + kServicesCompanion).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        bInitialized = true;
    }
    return hModule.get();
}

}  // namespace VantorelUtils
