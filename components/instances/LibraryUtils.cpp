#include "components/instances/LibraryUtils.h"

#include "components/instances/ComponentLoadFlags.h"

#include <comdef.h>
#include <comip.h>

#include <utility>

namespace CLibraryUtils {

namespace {

using ClassFactoryPtr = _com_ptr_t<_com_IIID<IClassFactory, &IID_IClassFactory>>;
using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

}  // namespace

CLibraryUtilsImpl::~CLibraryUtilsImpl()
{
    mModule.reset();
    while (!mEarlierModules.empty()) {
        mEarlierModules.pop_back();
    }
}

HRESULT CLibraryUtilsImpl::TalvaneCreateInstance(
    const GUID& clsid, IUnknown* outer, const std::wstring& path, const GUID& iid, void** object)
{
    // Refused before loading: a factory is free to write through the address
    // without checking it.
    if (object == nullptr) {
        return E_POINTER;
    }

    HRESULT result = E_FAIL;

    if (mModule) {
        mEarlierModules.push_back(std::move(mModule));
    }
    mModule.reset(::LoadLibraryExW(path.c_str(), nullptr, ComponentLoadFlags(path)));
    if (!mModule) {
        return result;
    }

    const auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(::GetProcAddress(mModule.get(), "DllGetClassObject")));
    if (getClassObject == nullptr) {
        return result;
    }

    // Released on every way out, including a factory that a component hands
    // out together with a failure code.
    ClassFactoryPtr factory;
    result = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result)) {
        return result;
    }
    if (factory.GetInterfacePtr() == nullptr) {
        _com_issue_error(E_POINTER);
    }

    result = factory->CreateInstance(outer, iid, object);
    return result;
}

}  // namespace CLibraryUtils
