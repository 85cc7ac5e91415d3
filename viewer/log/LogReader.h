// Reads a saved log (the viewer's own log, or what Save wrote) back into a
// line store. Lines that are not in the log format are kept as debug lines
// with their whole text, at the time of the line before them.
#pragma once

#include "viewer/store/LineStore.h"

#include <windows.h>

#include <cstdint>
#include <string>

struct LogReadResult {
    std::uint64_t lines = 0;
    std::uint64_t malformed = 0;
    DWORD error = 0;  // why the file could not be read; 0 when it was
};

LogReadResult ReadLogFile(const std::wstring& path, LineStore& store);
