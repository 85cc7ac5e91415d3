// Finds the folder that holds a shared component, and puts the current
// directory back when a load that switched it is over.
#pragma once

#include <string>

namespace VantorelUtils {

class DllPathManager {
public:
    DllPathManager() = default;
    DllPathManager(const DllPathManager&) = delete;
    DllPathManager& operator=(const DllPathManager&) = delete;
    // Makes strSavedDir current again, unless it is empty.
    virtual ~DllPathManager();

    // Folders below are lower case and carry no trailing backslash; empty
    // when the folder cannot be determined.
    static std::wstring getprocessfolderpath();
    static std::wstring getparentprocessfolderpath();

    // First folder that holds DllName (a bare file name): beside the program,
    // beside the program that started it, on the system search path, or in
    // the shared component folder. Empty when none holds it.
    static std::wstring getDllFolderPath(const wchar_t* DllName);

    static std::wstring& WStringToLower(std::wstring& myString);

    std::wstring strSavedDir;
};

// The shared component folder under the common program-files folder, in its
// original case; empty when the special folder is unknown.
std::wstring SharedComponentFolder();

}  // namespace VantorelUtils
