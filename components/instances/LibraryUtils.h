// Creates COM objects straight from a component file, without asking the
// system where the class lives.
#pragma once

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

#include <unknwn.h>

#include <string>
#include <vector>

namespace CLibraryUtils {

// Loads a component file, asks its "DllGetClassObject" export for the class
// factory and lets the factory create the object. The object's code lives in
// that file, so the file stays loaded until the creator is destroyed, whatever
// the outcome of the creation.
class CLibraryUtilsImpl {
public:
    CLibraryUtilsImpl() noexcept = default;
    CLibraryUtilsImpl(const CLibraryUtilsImpl&) = delete;
    CLibraryUtilsImpl& operator=(const CLibraryUtilsImpl&) = delete;
    virtual ~CLibraryUtilsImpl();

    // Returns E_FAIL when the file cannot be loaded or lacks the export,
    // E_POINTER for a null object address (nothing is loaded then), and
    // otherwise the component's own result code unchanged. Throws _com_error
    // with E_POINTER when the export reports success without a factory.
    // *object holds whatever the factory stored there.
    [[nodiscard]] HRESULT TalvaneCreateInstance(
        const GUID& clsid, IUnknown* outer, const std::wstring& path, const GUID& iid, void** object);

    // The file loaded by the latest creation, null when none was loaded.
    [[nodiscard]] HMODULE module() const noexcept { return mModule.get(); }

private:
    resources::UniqueModule mModule;
    // A creator serves one creation, but a second one may still come: objects
    // made from an earlier load may still be alive, so their files are kept
    // loaded until the creator goes.
    std::vector<resources::UniqueModule> mEarlierModules;
};

}  // namespace CLibraryUtils
