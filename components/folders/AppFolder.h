// Folder of the running program's own file, where its companion files lie.
#pragma once

#include <string>

// UTF-16, original case, with a trailing backslash; empty when the path does
// not fit in 260 characters. Paths built from it reach folders whose names
// the ANSI code page cannot spell, as user profile folders often are.
std::wstring GetAppFolderWide();

// ANSI code page, original case, with a trailing backslash.
std::string GetAppFolder();
