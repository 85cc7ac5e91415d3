// A component file for the creation tests: a class factory and an object
// that report every AddRef and Release, and the loads and unloads of the
// file, to the counter of the program that loaded it.
#include "ProbeProtocol.h"

#include <windows.h>

#include <unknwn.h>

#include <iterator>
#include <memory>

namespace {

HMODULE gSelf = nullptr;
ProbeCounter* gCounter = nullptr;
bool gUnloading = false;

void Report(ProbeEvent event)
{
    if (gCounter == nullptr) {
        return;
    }
    const LONG index = ::InterlockedIncrement(&gCounter->eventCount) - 1;
    if (index < static_cast<LONG>(std::size(gCounter->events))) {
        gCounter->events[index] = event;
    }
}

void CountReference(LONG ProbeCounter::*references, LONG delta)
{
    if (gCounter != nullptr) {
        ::InterlockedExchangeAdd(&(gCounter->*references), delta);
    }
}

// True while the loader still lists this file as loaded and no unload of it
// has begun.
bool StillLoaded()
{
    HMODULE module = nullptr;
    const BOOL found
        = ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&gSelf), &module);
    return found && module == gSelf && !gUnloading;
}

class ProbeObject final : public IProbeObject {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IProbeObject))) {
            *object = static_cast<IProbeObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override
    {
        Report(ProbeEvent::ObjectAddRef);
        CountReference(&ProbeCounter::objectReferences, 1);
        return static_cast<ULONG>(::InterlockedIncrement(&mReferences));
    }

    ULONG STDMETHODCALLTYPE Release() override
    {
        Report(ProbeEvent::ObjectRelease);
        CountReference(&ProbeCounter::objectReferences, -1);
        const LONG left = ::InterlockedDecrement(&mReferences);
        if (left == 0) {
            Report(ProbeEvent::ObjectLastRelease);
            if (gCounter != nullptr) {
                gCounter->loadedAtLastRelease = StillLoaded() ? 1 : 0;
            }
            // Owned by its reference count until now.
            std::unique_ptr<ProbeObject> self(this);
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Twice(LONG value, LONG* result) override
    {
        if (result == nullptr) {
            return E_POINTER;
        }
        *result = value * 2;
        return S_OK;
    }

private:
    LONG mReferences = 0;
};

enum class Creation { Normal, Refused, Quiet };

// One static factory per class: it lives as long as the file and only
// counts its references.
class ProbeFactory final : public IClassFactory {
public:
    explicit constexpr ProbeFactory(Creation creation)
        : mCreation(creation)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override
    {
        Report(ProbeEvent::FactoryAddRef);
        CountReference(&ProbeCounter::factoryReferences, 1);
        return static_cast<ULONG>(::InterlockedIncrement(&mReferences));
    }

    ULONG STDMETHODCALLTYPE Release() override
    {
        Report(ProbeEvent::FactoryRelease);
        CountReference(&ProbeCounter::factoryReferences, -1);
        return static_cast<ULONG>(::InterlockedDecrement(&mReferences));
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        // Like many components, writes the out-parameter without checking it.
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        if (mCreation == Creation::Refused) {
            return kProbeCreateRefused;
        }
        auto probe = std::make_unique<ProbeObject>();
        const HRESULT result = probe->QueryInterface(iid, object);
        if (FAILED(result)) {
            return result;
        }
        // From here on the object is owned by its reference count.
        static_cast<void>(probe.release());
        return mCreation == Creation::Quiet ? kProbeCreateQuiet : result;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    Creation mCreation;
    LONG mReferences = 0;
};

ProbeFactory gObjectFactory(Creation::Normal);
ProbeFactory gRefusedFactory(Creation::Refused);
ProbeFactory gQuietFactory(Creation::Quiet);

ProbeFactory* FactoryFor(REFCLSID clsid)
{
    if (IsEqualCLSID(clsid, kClsidProbeObject) || IsEqualCLSID(clsid, kClsidProbeFactoryAndFailure)) {
        return &gObjectFactory;
    }
    if (IsEqualCLSID(clsid, kClsidProbeRefused)) {
        return &gRefusedFactory;
    }
    if (IsEqualCLSID(clsid, kClsidProbeQuiet)) {
        return &gQuietFactory;
    }
    return nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualCLSID(clsid, kClsidProbeNoFactory)) {
        return S_OK;
    }
    ProbeFactory* factory = FactoryFor(clsid);
    if (factory == nullptr) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    const HRESULT result = factory->QueryInterface(iid, object);
    if (SUCCEEDED(result) && IsEqualCLSID(clsid, kClsidProbeFactoryAndFailure)) {
        // The factory stays in *object: the caller must still release it.
        return kProbeClassObjectFailed;
    }
    return result;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        ::DisableThreadLibraryCalls(module);
        gSelf = module;
        const auto hostCounter = reinterpret_cast<ProbeCounterFunction>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(nullptr), kProbeCounterExport)));
        gCounter = hostCounter != nullptr ? hostCounter() : nullptr;
        Report(ProbeEvent::Loaded);
        break;
    }
    case DLL_PROCESS_DETACH:
        // At process exit (reserved set) the host's counter may be gone.
        if (reserved == nullptr) {
            gUnloading = true;
            Report(ProbeEvent::Unloaded);
        }
        break;
    default:
        break;
    }
    return TRUE;
}
