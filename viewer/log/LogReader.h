// Reads a saved log into a line store on the calling thread, through
// LogFileReader; see there for what becomes of each line.
#pragma once

#include "viewer/log/LogFileReader.h"
#include "viewer/store/LineStore.h"

#include <string>

LogReadResult ReadLogFile(const std::wstring& path, LineStore& store);
