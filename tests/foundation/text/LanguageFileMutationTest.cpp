// Damaged and arbitrary language files: each must load without a crash or a
// hang, and every loaded entry must be one that the grammar allows for the
// bytes the file holds.
#include "foundation/text/LanguageFileLoader.h"
#include "tests/foundation/text/LanguageFileBytes.h"
#include "tests/foundation/text/LanguageFileOracle.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

namespace {

void ExpectLoadsAsTheGrammarAllows(const std::string& bytes)
{
    languagefile::LanguageTable table;
    languagefile::LoadContent(string8(bytes.begin(), bytes.end()), table);
    std::map<std::int32_t, string8> loaded;
    for (std::size_t i = 0; i < table.Size(); ++i) {
        loaded[table.IdAt(i)] = table.TextAt(i);
    }
    const string8 content = testing_support::DecodedContent(bytes);
    ASSERT_EQ(loaded, oracle::ExpectedTable(content.data(), content.size())) << bytes.size() << " bytes";
}

std::string Mutate(std::string bytes, std::mt19937& random)
{
    for (unsigned mutations = 1 + random() % 4; mutations > 0; --mutations) {
        const std::size_t at = random() % (bytes.size() + 1);
        const std::size_t inside = bytes.empty() ? 0 : at % bytes.size();
        switch (random() % 6) {
        case 0:
            bytes.resize(at);
            break;
        case 1:
            bytes.insert(at, 1 + random() % 3, '\0');
            break;
        case 2:
            for (unsigned n = 1 + random() % 5; n > 0; --n) {
                bytes.insert(at, 1, random() % 2 ? '\r' : '\n');
            }
            break;
        case 3:  // where ids and texts meet, these bytes matter most
            bytes.insert(at, 1, "0123456789x-+ \t#;"[random() % 17]);
            break;
        default:
            if (!bytes.empty()) {
                bytes[inside] = static_cast<char>(random() % 2 ? random() : bytes[inside] ^ (1u << random() % 8));
            }
            break;
        }
    }
    return bytes;
}

TEST(LanguageFileMutation, DamagedFilesLoadOnlyWhatTheGrammarAllows)
{
    const std::wstring text = L"; texts\r\n-12 fehler: %0 - %1\r\n1 eins\r\n0x20 zwei \u00fc\r\n#x\r\n"
                              L"-2147483648 min\r\n12\r\n13 a  b \t\r\n0x7FFFFFFF hex\n14 vier\r15 \u4e2d\r\n";
    const string8 utf8 = unicode::to_string8(text);
    const std::string valid[] = { "\xEF\xBB\xBF" + std::string(utf8.begin(), utf8.end()),
        testing_support::Utf16(text, false), testing_support::Utf16(text, true) };
    std::mt19937 random(20261207);
    for (int round = 0; round < 6000 && !HasFatalFailure(); ++round) {
        ExpectLoadsAsTheGrammarAllows(Mutate(valid[round % 3], random));
    }
}

TEST(LanguageFileMutation, RandomBytesLoadOnlyWhatTheGrammarAllows)
{
    const char* const signatures[] = { "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF" };
    std::mt19937 random(7);
    for (int round = 0; round < 3000 && !HasFatalFailure(); ++round) {
        std::string bytes = signatures[round % 4];
        for (unsigned n = random() % 200; n > 0; --n) {
            bytes.push_back(static_cast<char>(random()));
        }
        ExpectLoadsAsTheGrammarAllows(bytes);
    }
}

// The fuzzer's seed corpus, copied beside the test program at configure time.
TEST(LanguageFileMutation, FuzzCorpusReplays)
{
    const std::filesystem::path corpus
        = std::filesystem::path(testing_support::TestProgramFolder()) / L"corpus" / L"language-file";
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(corpus)) {
        std::ifstream in(item.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(item.path().filename().string());
        ExpectLoadsAsTheGrammarAllows(bytes);
        ++files;
    }
    EXPECT_GE(files, 10);
}

}  // namespace
