// libFuzzer target for the language-file grammar and the UTF-16 decoding,
// built natively with clang (scripts/fuzz-language-file.sh). The input is a
// whole file; every parse is checked against the stream-extraction reading,
// and the checker (tools/langcheck) runs on it and must agree with the grammar.
#include "foundation/text/LanguageFileGrammar.h"
#include "tests/foundation/text/LanguageFileOracle.h"
#include "tools/langcheck/DecodedContent.h"
#include "tools/langcheck/FileCheck.h"
#include "tools/langcheck/LineDiagnosis.h"
#include "tools/langcheck/Lines.h"

#include <cstdlib>
#include <cstring>
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

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// The checker's reading of each line's id agrees with the grammar's verdict,
// and line by line the grammar stores what it stores for the whole content.
void CheckLineReadings(const langcheck::DecodedContent& content)
{
    const unsigned char* const base = content.Base();
    std::vector<languagefile::Entry> whole, lines, one;
    languagefile::ParseContent(base, content.Begin(), content.End(), whole);
    langcheck::ForEachLine(base, content.Begin(), content.End(), [&](std::size_t, std::size_t begin, std::size_t end) {
        one.clear();
        languagefile::ParseContent(base, begin, end, one);
        lines.insert(lines.end(), one.begin(), one.end());
        const unsigned char* const line = base + begin;
        const auto* nul = static_cast<const unsigned char*>(std::memchr(line, 0, end - begin));
        const unsigned char* const usableEnd = nul != nullptr ? nul : base + end;
        if (usableEnd == line || *line == ';' || *line == '#') {
            Require(one.empty());
            return;
        }
        const langcheck::IdReading id = langcheck::ReadId(line, usableEnd);
        const bool valid = !langcheck::IsBlank(*line) && id.mStatus == langcheck::IdStatus::Valid;
        Require(valid == !one.empty());
        if (valid) {
            const unsigned char* text = id.mEnd;
            while (text != usableEnd && langcheck::IsBlank(*text)) {
                ++text;
            }
            Require(one.front().mId == id.mValue && base + one.front().mOffset == text);
        }
    });
    Require(lines.size() == whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        Require(lines[i].mId == whole[i].mId && lines[i].mOffset == whole[i].mOffset
            && lines[i].mLength == whole[i].mLength);
    }
}

// Findings come in file order, against the catalogue and against the file itself.
void CheckFindings(const std::string& file)
{
    for (const langcheck::Reference& reference :
        { langcheck::Reference::Catalogue(), langcheck::Reference::FromLanguageFile(file) }) {
        std::size_t line = 1;
        langcheck::CheckLanguageFile(file, reference, [&](const langcheck::Finding& finding) {
            Require(finding.mLine >= line && !finding.mText.empty());
            line = finding.mLine;
        });
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
    const std::string file(reinterpret_cast<const char*>(data), size);
    CheckLineReadings(langcheck::DecodedContent(file));
    CheckFindings(file);
    return 0;
}
