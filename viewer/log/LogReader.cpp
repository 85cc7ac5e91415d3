#include "viewer/log/LogReader.h"

LogReadResult ReadLogFile(const std::wstring& path, LineStore& store)
{
    LogFileReader reader;
    return reader.Read(path, [&](const LineView& line) { store.Add(line); });
}
