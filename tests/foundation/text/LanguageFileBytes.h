// Building and decoding language-file bytes in tests, independently of the
// loader's own decoding.
#pragma once

#include "foundation/text/Unicode.h"

#include <string>

namespace testing_support {

inline std::string Utf16(const std::wstring& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t unit : text) {
        const char high = static_cast<char>(static_cast<unsigned>(unit) >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string { high, low } : std::string { low, high };
    }
    return bytes;
}

// The UTF-8 content that the loader should parse for a file's bytes.
inline string8 DecodedContent(const std::string& bytes)
{
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return string8(bytes.begin() + 3, bytes.end());
    }
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size() && (bytes[i] != 0 || bytes[i + 1] != 0); i += 2) {
        const unsigned char a = bytes[i], b = bytes[i + 1];
        text.push_back(static_cast<wchar_t>(bytes.compare(0, 2, "\xFE\xFF") == 0 ? a << 8 | b : b << 8 | a));
    }
    return unicode::to_string8(text);
}

}  // namespace testing_support
