// Writing files the user keeps without ever leaving one half-written.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace tracing {

// Writes all of bytes at the file pointer, in pieces a DWORD can count;
// false, with the last error set, when not all of them were written.
[[nodiscard]] bool WriteAllBytes(HANDLE file, std::string_view bytes) noexcept;

// Writes bytes to path, replacing what it holds, only once they are all on
// disk: they go to a temporary file in the same folder, which is flushed and
// then moved over path. On any failure path is left as it was, the temporary
// file is removed, and false is returned with the last error set.
[[nodiscard]] bool SaveFileReplacing(const std::wstring& path, std::string_view bytes);
// The same for bytes made a piece at a time, so that a large file is never
// held whole: next fills piece (given empty) and returns false once there is
// nothing more.
[[nodiscard]] bool SaveFileReplacing(const std::wstring& path, const std::function<bool(std::string& piece)>& next);

}  // namespace tracing
