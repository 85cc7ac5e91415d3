// libFuzzer target for the language-file grammar and the UTF-16 decoding,
// built natively with clang (scripts/fuzz-language-file.sh). The input is a
// whole file; every parse is checked against the stream-extraction reading.
#include "foundation/text/LanguageFileGrammar.h"
#include "tests/foundation/text/LanguageFileOracle.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// Checks one parse of content[begin, size) against the independent reading.
void CheckParse(const unsigned char* content, std::size_t begin, std::size_t size)
{
    std::vector<languagefile::Entry> entries;
    languagefile::ParseContent(content, begin, size, entries);
    std::map<std::int32_t, oracle::Text> table;
    for (const languagefile::Entry& entry : entries) {
        if (entry.mId == 0 || entry.mOffset < begin || entry.mLength > size - entry.mOffset) {
            std::abort();
        }
        const unsigned char* text = content + entry.mOffset;
        for (std::size_t i = 0; i < entry.mLength; ++i) {
            if (text[i] == '\r' || text[i] == '\n' || text[i] == '\0') {
                std::abort();
            }
        }
        if (entry.mLength != 0 && (IsBlank(text[0]) || IsBlank(text[entry.mLength - 1]))) {
            std::abort();
        }
        table[entry.mId] = oracle::Text(text, text + entry.mLength);
    }
    if (table != oracle::ExpectedTable(content + begin, size - begin)) {
        std::abort();
    }
}

// The decoded text must be well-formed UTF-8 without NULs.
void CheckUtf8(const std::basic_string<unsigned char>& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = text[i];
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (lead == 0 || length == 0 || i + length > text.size()) {
            std::abort();
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((text[i + k] & 0xC0) != 0x80) {
                std::abort();
            }
        }
        i += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using languagefile::Encoding;
    const Encoding encoding = languagefile::DetectEncoding(data, size);
    if (encoding == Encoding::Utf16LittleEndian || encoding == Encoding::Utf16BigEndian) {
        const auto text = languagefile::Utf16ToUtf8(data, size, encoding == Encoding::Utf16BigEndian);
        CheckUtf8(text);
        CheckParse(text.data(), 0, text.size());
    }
    // Every input also reaches the line grammar as UTF-8, signature or not.
    CheckParse(data, encoding == Encoding::Utf8 ? 3 : 0, size);
    return 0;
}
