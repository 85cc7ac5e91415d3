// Status-line texts of the actions.
#pragma once

#include <string>

namespace console {

// Status texts are built in a buffer of this many UTF-16 characters; a longer
// text is cut at its end.
inline constexpr size_t kStatusBufferSize = 260;

// Printf-style wide formatting ("%ls" for a wide string) into the bounded
// status buffer.
std::wstring FormatStatus(const wchar_t* format, ...);

// Printed name of an update result; empty for values outside the known ones.
const wchar_t* UpdateResultName(int result);

}  // namespace console
