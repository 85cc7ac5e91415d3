// How a component file is loaded for object creation.
#pragma once

#include <windows.h>

#include <string>

namespace CLibraryUtils {

// LOAD_WITH_ALTERED_SEARCH_PATH for a fully qualified path ("C:\..." or
// "\\server\..."), so the libraries the component needs are looked up in its
// own folder first; 0 (the standard search) for anything else, where the
// altered search order is undefined.
DWORD ComponentLoadFlags(const std::wstring& path);

}  // namespace CLibraryUtils
