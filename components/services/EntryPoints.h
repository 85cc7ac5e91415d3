// The entry points of the services component: names and signatures. All use
// the C calling convention and ANSI strings; every pointer they hand back was
// allocated with CoTaskMemAlloc and is released by the caller.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Vantorel {

using IsUpdateOrMessageAvailableFn = bool(__cdecl*)(const char* productName, const char* locale, bool flag);
using InvokeUpdateFn = int32_t(__cdecl*)(const char* productName, const char* locale, bool runInBackground);
using GetCorvellaProfileIDFn
    = int32_t(__cdecl*)(const char* longUserId, const char* second, HWND owner, char** profileId);
using GetUserLanguageCodeFn = int32_t(__cdecl*)(const char** codes, uint32_t count, uint16_t* selected);
using GetLocalGUIDsFn = uint32_t(__cdecl*)(char** stringList);

inline constexpr char kIsUpdateOrMessageAvailable[] = "vtcf_Dispatch_IsUpdateOrMessageAvailable";
inline constexpr char kInvokeUpdate[] = "vtcf_Dispatch_InvokeUpdate";
inline constexpr char kGetCorvellaProfileID[] = "vtcf_Dispatch_GetCorvellaProfileID";
inline constexpr char kGetUserLanguageCode[] = "vtcf_GetUserLanguage_Code";
inline constexpr char kGetLocalGUIDs[] = "vtcf_GetLocalGUIDs";

// Looks the entry up by name on every use: nothing is cached, so a component
// that is replaced between calls is always asked afresh. Null when the module
// or the entry is missing.
template <typename Fn> Fn ResolveEntry(HMODULE module, const char* name) noexcept
{
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace Vantorel
