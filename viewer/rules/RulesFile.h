// Reading a file of rules in their text form, safely for any path a user
// names: only files on disk (a device or a pipe could keep a read waiting
// for ever), and only of a size a rules file can have.
#pragma once

#include <windows.h>

#include <string>

namespace tracing {

// Far more than a hand-written list of rules ever takes.
inline constexpr LONGLONG kMaxRulesFileBytes = LONGLONG { 4 } << 20;

// The file's bytes into text; ERROR_SUCCESS, or the system's error
// (ERROR_BAD_FILE_TYPE for what is not a file, ERROR_FILE_TOO_LARGE).
DWORD ReadRulesFileBytes(const std::wstring& path, std::string& text);

}  // namespace tracing
