// Language-file decoding and line grammar: fixed cases, then damaged and
// random files and the fuzz corpus, each checked against an independent
// reading (the fuzzer makes the same comparison for random ids).
#include "foundation/text/LanguageFileLoader.h"
#include "tests/foundation/text/LanguageFileOracle.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

using Table = std::map<std::int32_t, string8>;
using namespace std::string_literals;

using oracle::Utf16File;
using testing_support::Bytes;

Table Load(const std::string& file)
{
    languagefile::LanguageTable table;
    languagefile::LoadContent(Bytes(file), table);
    Table result;
    for (std::size_t i = 0; i < table.Size(); ++i) {
        result[table.IdAt(i)] = table.TextAt(i);
    }
    return result;
}

std::string Utf8File(const std::wstring& text)
{
    const string8 utf8 = unicode::to_string8(text);
    return "\xEF\xBB\xBF" + std::string(utf8.begin(), utf8.end());
}

// The content the loader should parse, decoded by the system's own conversion: without a
// mark the first two bytes are lost, the text ends at a NUL, a trailing odd byte is ignored.
void ExpectLoadsOnlyWhatTheGrammarAllows(const std::string& file)
{
    string8 content = Bytes(file.substr(std::min<std::size_t>(3, file.size())));
    if (file.compare(0, 3, "\xEF\xBB\xBF") != 0) {
        std::wstring text;
        for (std::size_t i = 2; i + 1 < file.size() && (file[i] != 0 || file[i + 1] != 0); i += 2) {
            const unsigned char a = file[i], b = file[i + 1];
            text.push_back(static_cast<wchar_t>(file.compare(0, 2, "\xFE\xFF") == 0 ? a << 8 | b : b << 8 | a));
        }
        content = unicode::to_string8(text);
    }
    ASSERT_EQ(Load(file), oracle::ExpectedTable(content.data(), content.size())) << file.size() << " bytes";
}

// One "id text" line per entry, in id order.
std::string Show(const Table& table)
{
    std::string shown;
    for (const auto& [id, text] : table) {
        shown += std::to_string(id) + ' ' + std::string(text.begin(), text.end()) + '\n';
    }
    return shown;
}

TEST(LanguageFileGrammar, LinesAreReadAsTheGrammarSays)
{
    const std::pair<std::string, const char*> cases[] = {
        { "0x1F Hello", "31 Hello\n" },
        { "0X1F Hello\n0 Hello", "" },  // "0X" reads as 0, which is ignored
        { "012 twelve", "12 twelve\n" },  // not octal
        { "12Hello", "12 Hello\n" },
        { "0x1Fab c", "8107 c\n" },
        { "2147483647 max\n-2147483648 min\n0x7fffffff h", "-2147483648 min\n2147483647 h\n" },
        { "2147483648 a\n-2147483649 b\n0x80000000 c\n99999999999999999999 d", "" },
        { "-11 minus\n+7 plus\n0x-1F hex", "-31 hex\n-11 minus\n7 plus\n" },
        { "- 1 a\n+-7 b\n-0x1F c", "" },
        { "0x text\n0x0x1F twice\n0x+0x0x1F thrice", "31 twice\n" },
        { "1,000 x", "1 ,000 x\n" },
        { " 12 a\n\t13 b", "" },
        { ";12 a\n#13 b\n14 c;d #e", "14 c;d #e\n" },
        { "12\n13   ", "12 \n13 \n" },
        { "12 \t\v\fa  b\t \v\f", "12 a  b\n" },
        { "5 \\n \"q\" \xC3\xA9", "5 \\n \"q\" \xC3\xA9\n" },
        { std::string("12 ab\0cd\n1\0002 x\n\0003 y", 19), "1 \n12 ab\n" },
        { "\r\n\r\n1 a\r\n2 b\n3 c\r4 d\n\r\n\r\r\n5 e", "1 a\n2 b\n3 c\n4 d\n5 e\n" },
        { "12 first\n-3 minus\n0x0c second\n7 seven\n12 third", "-3 minus\n7 seven\n12 third\n" },
    };
    for (const auto& [lines, expected] : cases) {
        EXPECT_EQ(Show(Load("\xEF\xBB\xBF" + lines)), expected) << lines;
    }
}

// Truncations, inserted NULs, CR/LF runs and id characters, byte flips and random bytes.
std::string Mutate(std::string bytes, std::mt19937& random)
{
    static const std::string pieces = "\r\n\r\r\n\n\0\0\0\r0123456789x-+ \t#;\n"s;
    for (unsigned mutations = 1 + random() % 4; mutations > 0; --mutations) {
        const std::size_t at = random() % (bytes.size() + 1), kind = random() % 4;
        if (kind == 0) {
            bytes.resize(at);
        } else if (kind == 1 || bytes.empty()) {
            bytes.insert(at, pieces.substr(random() % pieces.size(), 1 + random() % 5));
        } else {
            char& byte = bytes[at % bytes.size()];
            byte = static_cast<char>(kind == 2 ? random() : byte ^ (1u << random() % 8));
        }
    }
    return bytes;
}

TEST(LanguageFileMutation, DamagedRandomAndFuzzCorpusFilesLoadOnlyWhatTheGrammarAllows)
{
    // The fuzzer's seed corpus, copied beside the test program at configure time.
    int files = 0;
    for (const auto& item :
        std::filesystem::directory_iterator(testing_support::TestProgramFolder() + L"\\corpus\\language-file")) {
        SCOPED_TRACE(item.path().filename().string());
        ExpectLoadsOnlyWhatTheGrammarAllows(testing_support::ReadFileBytes(item.path().wstring()));
        ++files;
    }
    EXPECT_GE(files, 10);
    const std::wstring text = L"; texts\r\n-12 fehler: %0 - %1\r\n1 eins\r\n0x20 zwei \u00fc\r\n#x\r\n"
                              L"-2147483648 min\r\n12\r\n13 a  b \t\r\n0x7FFFFFFF hex\n14 vier\r15 \u4e2d\r\n";
    const std::string valid[] = { Utf8File(text), Utf16File(text, false), Utf16File(text, true) };
    const char* const marks[] = { "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF" };
    std::mt19937 random(20261207);
    for (int round = 0; round < 6000 && !HasFatalFailure(); ++round) {
        ExpectLoadsOnlyWhatTheGrammarAllows(Mutate(valid[round % 3], random));
    }
    for (int round = 0; round < 3000 && !HasFatalFailure(); ++round) {
        std::string bytes = marks[round % 4];
        for (unsigned n = random() % 200; n > 0; --n) {
            bytes.push_back(static_cast<char>(random()));
        }
        ExpectLoadsOnlyWhatTheGrammarAllows(bytes);
    }
}

}  // namespace
