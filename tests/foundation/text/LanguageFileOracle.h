// An independent reading of language-file content for checking the loader:
// lines cut with std::string searches and ids read by the C++ library's own
// stream extraction. Plain C++, shared with the native fuzzer.
#pragma once

#include <cstdint>
#include <ios>
#include <map>
#include <sstream>
#include <string>

namespace oracle {

using Text = std::basic_string<unsigned char>;

// The id at the start of line as std::istream extraction reads it (decimal,
// or hexadecimal after "0x"), and the offset just past it; false on failure.
inline bool ExtractId(const std::string& line, std::int32_t& id, std::size_t& after)
{
    const bool hex = line.compare(0, 2, "0x") == 0;
    std::istringstream in(line.substr(hex ? 2 : 0));
    in >> std::noskipws;
    if (hex) {
        in >> std::hex;
    }
    int value = 0;
    in >> value;
    if (in.fail()) {
        return false;
    }
    in.clear();
    id = value;
    after = static_cast<std::size_t>(in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in)) + (hex ? 2 : 0);
    return true;
}

// The table that UTF-8 content (signature already removed) should give.
inline std::map<std::int32_t, Text> ExpectedTable(const unsigned char* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);
    const char* const blanks = " \t\v\f";
    std::map<std::int32_t, Text> table;
    std::size_t start = 0;
    while ((start = content.find_first_not_of("\r\n", start)) != std::string::npos) {
        std::size_t stop = content.find_first_of("\r\n", start);
        if (stop == std::string::npos) {
            stop = content.size();
        }
        std::string line = content.substr(start, stop - start);
        start = stop;
        line = line.substr(0, line.find('\0'));
        std::int32_t id = 0;
        std::size_t after = 0;
        if (line.empty() || line[0] == ';' || line[0] == '#' || !ExtractId(line, id, after) || id == 0) {
            continue;
        }
        std::string text = line.substr(after);
        text.erase(
            0, text.find_first_not_of(blanks) == std::string::npos ? text.size() : text.find_first_not_of(blanks));
        text.erase(text.find_last_not_of(blanks) + 1);
        table[id] = Text(text.begin(), text.end());
    }
    return table;
}

}  // namespace oracle
