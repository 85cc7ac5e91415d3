// Shared by the probe component and the tests that load it: class ids, interface and the counter it reports to.
#pragma once

#include <windows.h>

#include <unknwn.h>

constexpr CLSID ProbeClsid(unsigned char last)
{
    return { 0x6b1f7a30, 0x52c4, 0x4d0e, { 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, last } };
}
inline constexpr CLSID kClsidProbeObject = ProbeClsid(1);
inline constexpr CLSID kClsidProbeRefused = ProbeClsid(2);  // CreateInstance fails with kProbeCreateRefused
inline constexpr CLSID kClsidProbeQuiet = ProbeClsid(3);  // CreateInstance succeeds with kProbeCreateQuiet
inline constexpr CLSID kClsidProbeNoFactory = ProbeClsid(4);  // success without a factory
inline constexpr CLSID kClsidProbeFactoryAndFailure = ProbeClsid(5);  // a factory and kProbeClassObjectFailed
inline constexpr CLSID kClsidProbeUnknown = ProbeClsid(0xff);

inline constexpr HRESULT kProbeCreateRefused = static_cast<HRESULT>(0x80040A01);
inline constexpr HRESULT kProbeClassObjectFailed = static_cast<HRESULT>(0x80040A02);
inline constexpr HRESULT kProbeCreateQuiet = static_cast<HRESULT>(0x00040A03);

struct DECLSPEC_UUID("6b1f7a30-52c4-4d0e-9a11-3c7e205d8110") IProbeObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Twice(LONG value, LONG* result) = 0;
};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IProbeObject, 0x6b1f7a30, 0x52c4, 0x4d0e, 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, 0x10)
#endif

// ObjectLastRelease is reported only while the file is still loaded.
enum class ProbeEvent : LONG {
    Loaded,
    Unloaded,
    FactoryAddRef,
    FactoryRelease,
    ObjectAddRef,
    ObjectRelease,
    ObjectLastRelease
};

// Lives in the loading program, so it outlives every load of the component and can be read after the file is gone.
struct ProbeCounter {
    LONG eventCount;
    ProbeEvent events[256];
};

// The loading program exports this; without it the component reports nothing.
using ProbeCounterFunction = ProbeCounter*(__cdecl*)();
inline constexpr char kProbeCounterExport[] = "ProbeHostCounter";
