// What the probe component and the tests that load it share: its class ids,
// its interface, and the counter it reports its reference counting to.
#pragma once

#include <windows.h>

#include <unknwn.h>

// Creates the probe object through a well-behaved factory.
inline constexpr CLSID kClsidProbeObject
    = { 0x6b1f7a30, 0x52c4, 0x4d0e, { 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, 0x01 } };
// Its factory refuses every creation with kProbeCreateRefused.
inline constexpr CLSID kClsidProbeRefused
    = { 0x6b1f7a30, 0x52c4, 0x4d0e, { 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, 0x02 } };
// Its factory creates the object and reports kProbeCreateQuiet, a success code.
inline constexpr CLSID kClsidProbeQuiet
    = { 0x6b1f7a30, 0x52c4, 0x4d0e, { 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, 0x03 } };
// The class-object export reports success but hands out no factory.
inline constexpr CLSID kClsidProbeNoFactory
    = { 0x6b1f7a30, 0x52c4, 0x4d0e, { 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, 0x04 } };
// The class-object export hands out a factory and fails with kProbeClassObjectFailed.
inline constexpr CLSID kClsidProbeFactoryAndFailure
    = { 0x6b1f7a30, 0x52c4, 0x4d0e, { 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, 0x05 } };
// No class of the component: its export answers CLASS_E_CLASSNOTAVAILABLE.
inline constexpr CLSID kClsidProbeUnknown
    = { 0x6b1f7a30, 0x52c4, 0x4d0e, { 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, 0xff } };

inline constexpr HRESULT kProbeCreateRefused = static_cast<HRESULT>(0x80040A01);
inline constexpr HRESULT kProbeClassObjectFailed = static_cast<HRESULT>(0x80040A02);
inline constexpr HRESULT kProbeCreateQuiet = static_cast<HRESULT>(0x00040A03);

struct DECLSPEC_UUID("6b1f7a30-52c4-4d0e-9a11-3c7e205d8110") IProbeObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Twice(LONG value, LONG* result) = 0;
};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IProbeObject, 0x6b1f7a30, 0x52c4, 0x4d0e, 0x9a, 0x11, 0x3c, 0x7e, 0x20, 0x5d, 0x81, 0x10)
#endif

enum class ProbeEvent : LONG {
    Loaded,
    Unloaded,
    FactoryAddRef,
    FactoryRelease,
    ObjectAddRef,
    ObjectRelease,
    ObjectLastRelease,
};

// Lives in the program that loads the component, so that it outlives every
// load of the component and can be read after the file is gone.
struct ProbeCounter {
    LONG factoryReferences;
    LONG objectReferences;
    // Set by the object's last Release when the component found its own file
    // still loaded at that moment.
    LONG loadedAtLastRelease;
    LONG eventCount;
    ProbeEvent events[256];
};

// The loading program exports a function of this type under this name; the
// component reports to the counter it returns. Without it, nothing is reported.
using ProbeCounterFunction = ProbeCounter*(__cdecl*)();
inline constexpr char kProbeCounterExport[] = "ProbeHostCounter";
inline constexpr wchar_t kProbeComponentFile[] = L"ProbeComponent.dll";
inline constexpr wchar_t kNoClassObjectComponentFile[] = L"NoClassObjectComponent.dll";
