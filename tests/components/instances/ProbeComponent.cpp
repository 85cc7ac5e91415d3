// A component whose factory and object report every AddRef and Release, and the file's loads and
// unloads, to the counter of the program that loaded it.
#include "tests/components/instances/ProbeProtocol.h"

#include <iterator>
#include <memory>

namespace {

HMODULE gSelf = nullptr;
ProbeCounter* gCounter = nullptr;
bool gUnloading = false;

void Report(ProbeEvent event)
{
    if (gCounter != nullptr) {
        const LONG index = ::InterlockedIncrement(&gCounter->eventCount) - 1;
        if (index < static_cast<LONG>(std::size(gCounter->events))) {
            gCounter->events[index] = event;
        }
    }
}

bool StillLoaded()
{
    HMODULE module = nullptr;
    return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
               reinterpret_cast<LPCWSTR>(&gSelf), &module)
        && module == gSelf && !gUnloading;
}

// Reference counting and QueryInterface shared by the factory (Kind 0) and the object (Kind 1).
template <typename Interface, int Kind> class Counted : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface)) ? this : nullptr;
        return *object != nullptr ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        Report(Kind == 0 ? ProbeEvent::FactoryAddRef : ProbeEvent::ObjectAddRef);
        return static_cast<ULONG>(::InterlockedIncrement(&mReferences));
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        Report(Kind == 0 ? ProbeEvent::FactoryRelease : ProbeEvent::ObjectRelease);
        const LONG left = ::InterlockedDecrement(&mReferences);
        if (left == 0 && Kind == 1) {
            if (StillLoaded()) {
                Report(ProbeEvent::ObjectLastRelease);
            }
            const std::unique_ptr<Counted> self(this);  // owned by its reference count until now
        }
        return static_cast<ULONG>(left);
    }
    virtual ~Counted() = default;

private:
    LONG mReferences = 0;
};

class ProbeObject final : public Counted<IProbeObject, 1> {
public:
    HRESULT STDMETHODCALLTYPE Twice(LONG value, LONG* result) override
    {
        return result == nullptr ? E_POINTER : (*result = value * 2, S_OK);
    }
};

// Static: lives as long as the file and only counts its references.
class ProbeFactory final : public Counted<IClassFactory, 0> {
public:
    explicit ProbeFactory(HRESULT creation)
        : mCreation(creation)
    {
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        *object = nullptr;  // like many components, without checking the pointer
        if (outer != nullptr || FAILED(mCreation)) {
            return outer != nullptr ? CLASS_E_NOAGGREGATION : mCreation;
        }
        auto probe = std::make_unique<ProbeObject>();
        const HRESULT result = probe->QueryInterface(iid, object);
        if (SUCCEEDED(result)) {
            static_cast<void>(probe.release());  // owned by its reference count from now on
        }
        return FAILED(result) ? result : mCreation;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    HRESULT mCreation;
};

ProbeFactory gObjectFactory(S_OK);
ProbeFactory gRefusedFactory(kProbeCreateRefused);
ProbeFactory gQuietFactory(kProbeCreateQuiet);

}  // namespace

// The creator never passes a null address.
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    *object = nullptr;
    const bool withFailure = IsEqualCLSID(clsid, kClsidProbeFactoryAndFailure);
    ProbeFactory* factory = IsEqualCLSID(clsid, kClsidProbeObject) || withFailure ? &gObjectFactory
        : IsEqualCLSID(clsid, kClsidProbeRefused)                                 ? &gRefusedFactory
        : IsEqualCLSID(clsid, kClsidProbeQuiet)                                   ? &gQuietFactory
                                                                                  : nullptr;
    if (factory == nullptr) {
        return IsEqualCLSID(clsid, kClsidProbeNoFactory) ? S_OK : CLASS_E_CLASSNOTAVAILABLE;
    }
    const HRESULT result = factory->QueryInterface(iid, object);
    // On this failure the factory stays in *object: the caller must still release it.
    return SUCCEEDED(result) && withFailure ? kProbeClassObjectFailed : result;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(module);
        gSelf = module;
        const auto host = reinterpret_cast<ProbeCounterFunction>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(nullptr), kProbeCounterExport)));
        gCounter = host != nullptr ? host() : nullptr;
        Report(ProbeEvent::Loaded);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {  // at process exit the host's counter may be gone
        gUnloading = true;
        Report(ProbeEvent::Unloaded);
    }
    return TRUE;
}
