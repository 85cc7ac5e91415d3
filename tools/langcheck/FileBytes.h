// Reading and writing whole files by UTF-8 path, on Windows and natively.
#pragma once

#include <string>

namespace langcheck {

enum class ReadStatus {
    Read,
    Missing,
    Folder,
    Unreadable,
};

// Reads the whole file; the bytes actually read count as the file.
[[nodiscard]] ReadStatus ReadWholeFile(const std::string& path, std::string& bytes);

// Why a file could not be read, for messages: "no such file", ...
const char* DescribeReadStatus(ReadStatus status) noexcept;

// Replaces the file's content; false when it cannot be written.
[[nodiscard]] bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace langcheck
