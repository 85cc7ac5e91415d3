#include "console/actions/CompanionFiles.h"

#include "components/folders/AppFolder.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace console {

void OpenCompanionFile(const wchar_t* fileName)
{
    const std::wstring folder = GetAppFolderWide();
    if (folder.empty()) {
        return;  // a bare name would be looked up in the current directory
    }
    // Quoted, because the program folder may contain spaces.
    const std::wstring file = L"\"" + folder + fileName + L"\"";
    ::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace console
