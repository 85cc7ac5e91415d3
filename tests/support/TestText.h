// Texts that tests build and read back.
#pragma once

#include "foundation/text/Unicode.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testing_support {

// The bytes of a narrow literal as a UTF-8 string.
inline string8 Bytes(const std::string& text)
{
    return string8(text.begin(), text.end());
}

// The lines of a text file without their line ends; none when it is missing.
inline std::vector<std::string> ReadLines(const std::wstring& file)
{
    std::vector<std::string> lines;
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line.substr(0, line.find('\r')));
    }
    return lines;
}

}  // namespace testing_support
