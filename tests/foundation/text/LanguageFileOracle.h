// An independent reading of language-file content (signature removed) for
// checking the loader: lines cut with std::string searches, ids read by the
// C++ library's stream extraction; and UTF-16 files for tests to read. Plain
// C++, shared with the native fuzzer and the checker's tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace oracle {

using Text = std::basic_string<unsigned char>;

inline std::map<std::int32_t, Text> ExpectedTable(const unsigned char* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    const char* const blanks = " \t\v\f";
    std::map<std::int32_t, Text> table;
    for (std::size_t start = 0; (start = content.find_first_not_of("\r\n", start)) != std::string::npos;) {
        const std::size_t stop = std::min(content.find_first_of("\r\n", start), content.size());
        const std::string line = content.substr(start, stop - start);
        start = stop;
        // Comment and empty lines fail the extraction like any other unreadable id.
        const bool hex = line.compare(0, 2, "0x") == 0;
        std::istringstream in(line.substr(hex ? 2 : 0, line.find('\0') - (hex ? 2 : 0)));
        std::int32_t id = 0;
        in >> std::noskipws >> (hex ? std::hex : std::dec) >> id;
        if (in.fail() || id == 0) {
            continue;
        }
        in.clear();
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        text.erase(text.find_last_not_of(blanks) + 1);
        table[id] = Text(text.begin() + std::min(text.find_first_not_of(blanks), text.size()), text.end());
    }
    return table;
}

// The file of UTF-16 code units with their byte-order mark.
template <typename Unit> std::string Utf16File(const std::basic_string<Unit>& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const auto unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string { high, low } : std::string { low, high };
    }
    return bytes;
}

}  // namespace oracle
