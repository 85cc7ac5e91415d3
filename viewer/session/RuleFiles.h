// Reading a file of rules in their text form.
#pragma once

#include "viewer/session/SessionStatus.h"

#include <string>

namespace tracing {

// The file's bytes; false, with a note saying why, when it cannot be read
// (missing, not a file, larger than any rule file should be).
bool ReadRulesFile(const std::wstring& path, std::string& text, SessionStatus& status);

}  // namespace tracing
