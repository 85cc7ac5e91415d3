#include "components/folders/AppFolder.h"

#include "foundation/text/Unicode.h"

#include <windows.h>

std::wstring GetAppFolderWide()
{
    // Null when the program file is named differently, which then means the
    // main program anyway.
    const HMODULE program = ::GetModuleHandleW(L"Probedeck.exe");
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(program, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};  // a cut-off path would name the wrong folder
    }
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L'\\');
    if (slash != std::wstring::npos) {
        folder.resize(slash + 1);
    }
    return folder;
}

std::string GetAppFolder()
{
    return unicode::to_string(GetAppFolderWide());
}
