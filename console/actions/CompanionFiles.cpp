#include "console/actions/CompanionFiles.h"

#include "components/folders/AppFolder.h"
#include "foundation/text/Unicode.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace console {

void OpenCompanionFile(const char* fileName)
{
    const std::string folder = GetAppFolder();
    if (folder.empty()) {
        return;  // a bare name would be looked up in the current directory
    }
    // Quoted, because the program folder may contain spaces.
    const std::string file = "\"" + folder + fileName + "\"";
    ::ShellExecuteW(nullptr, L"open", unicode::to_wstring(file).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace console
