// Saving a file so that what it held before is replaced only by a complete new copy.
#pragma once

#include <string>
#include <string_view>

// Writes bytes to path; false, with the last error set, on failure.
[[nodiscard]] bool SaveFileReplacing(const std::wstring& path, std::string_view bytes);
