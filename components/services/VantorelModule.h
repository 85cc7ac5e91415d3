// Loads the services component once per process and hands out its module.
#pragma once

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <string>

namespace VantorelUtils {

inline constexpr wchar_t kServicesComponent[] = L"vantorelconfig.dll";
inline constexpr wchar_t kServicesCompanion[] = L"bcsl.dll";

class VantorelModule {
public:
    explicit VantorelModule(std::wstring dllName = kServicesComponent);
    VantorelModule(const VantorelModule&) = delete;
    VantorelModule& operator=(const VantorelModule&) = delete;
    // Releases the component (not its companion, which stays for the process).
    virtual ~VantorelModule();

    // The process-wide component, loaded on first success; null while it
    // cannot be found or loaded, and tried again on the next call.
    [[nodiscard]] static HMODULE Singleton();

    // Loads the component unless already loaded; returns it or null.
    [[nodiscard]] HMODULE InitInstance();

    bool bInitialized = false;
    resources::UniqueModule hModule;
    std::wstring strDllName;
};

}  // namespace VantorelUtils
