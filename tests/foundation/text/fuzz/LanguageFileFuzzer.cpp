// libFuzzer target for the language-file grammar and the UTF-16 decoding,
// built natively with clang (scripts/fuzz-language-file.sh). The input is a
// whole file; every parse is checked against the stream-extraction reading.
#include "foundation/text/LanguageFileGrammar.h"
#include "tests/foundation/text/LanguageFileOracle.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// An entry outside the content shows up as a text that differs from the reading.
void CheckParse(const unsigned char* content, std::size_t begin, std::size_t size)
{
    std::vector<languagefile::Entry> entries;
    languagefile::ParseContent(content, begin, size, entries);
    std::map<std::int32_t, oracle::Text> table;
    for (const languagefile::Entry& entry : entries) {
        table[entry.mId] = oracle::Text(content + entry.mOffset, entry.mLength);
    }
    if (table != oracle::ExpectedTable(content + begin, size - begin)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using languagefile::Encoding;
    const Encoding encoding = languagefile::DetectEncoding(data, size);
    if (encoding == Encoding::Utf16LittleEndian || encoding == Encoding::Utf16BigEndian) {
        const bool bigEndian = encoding == Encoding::Utf16BigEndian;
        const auto text = languagefile::Utf16ToUtf8(data, size, bigEndian);
        CheckParse(text.data(), 0, text.size());
        // The loader's conversion over the file's own buffer gives the same text.
        std::basic_string<unsigned char> inPlace(data, size);
        languagefile::Utf16ToUtf8InPlace(inPlace, bigEndian);
        if (inPlace != text) {
            std::abort();
        }
    }
    // Every input also reaches the line grammar as UTF-8, signature or not.
    CheckParse(data, encoding == Encoding::Utf8 ? 3 : 0, size);
    return 0;
}
