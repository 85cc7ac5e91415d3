// Folder of the console's own program file, where its companion files lie.
#pragma once

#include <string>

// ANSI code page, original case, with a trailing backslash.
std::string GetAppFolder();
