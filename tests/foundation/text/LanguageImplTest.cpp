#include "foundation/text/LanguageImpl.h"
#include "tests/foundation/text/LanguageFileBytes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using Language = TalvaneText::LanguageImpl;
constexpr std::int32_t kEnglish = 4;
constexpr std::int32_t kGerman = 7;

string8 Bytes(const char* text)
{
    return string8(reinterpret_cast<const unsigned char*>(text));
}

// Every test leaves the process with the built-in English it found.
class LanguageSelection : public testing::Test {
protected:
    void TearDown() override { language.SetLanguage(Language::kEmbeddedEnglish, string8()); }
    void Write(const wchar_t* name, const std::string& lines) { mFolder.WriteFile(name, "\xEF\xBB\xBF" + lines); }
    void Select(std::int32_t index) { language.SetLanguage(index, unicode::to_string8(mFolder.path())); }

    Language& language = TalvaneText::Language();
    testing_support::TempFolder mFolder { L"language" };
};

TEST(LanguageList, RowsAsTheProductShowsThem)
{
    const Language& language = TalvaneText::Language();
    const std::string stems = "CHS CHT DAN NLD ENU FIN FRA DEU ITA JPN KOR NOR PTG PTB ESN SVE ENU";
    for (std::int32_t i = 0; i < Language::kLanguageCount; ++i) {
        EXPECT_EQ(language.GetLanguageInfo(i).mStem, stems.substr(i * 4, 3)) << i;
    }
    EXPECT_STREQ(language.GetLanguageInfo(11).mDisplayName, "Norweigian");
    EXPECT_STREQ(language.GetLanguageInfo(16).mDisplayName, "Default (Embedded English)");
    EXPECT_THROW(language.GetLanguageInfo(17), std::out_of_range);
    EXPECT_THROW(TalvaneText::Language().SetLanguage(-1, string8()), std::out_of_range);
}

TEST_F(LanguageSelection, SameEntriesInEveryEncodingGiveTheSameTable)
{
    const std::wstring text = L"; c\r\n12 caf\u00e9 \u20ac\r\n0x1F Hello\r\n-11 Texte\r\n\r\n# 40\r\n40 \u4e2d\n";
    const string8 asUtf8 = unicode::to_string8(text);
    const std::string files[] = {
        "\xEF\xBB\xBF" + std::string(asUtf8.begin(), asUtf8.end()),
        testing_support::Utf16(text, false),
        testing_support::Utf16(text, true),
        // Without a mark the first two bytes are lost: here a line break.
        testing_support::Utf16(L"\n" + text, false).substr(2),
    };
    for (const std::string& bytes : files) {
        mFolder.WriteFile(L"DEU.txt", bytes);
        Select(kGerman);
        ASSERT_EQ(language.GetLanguage(), kGerman);
        EXPECT_EQ(language.Lookup(12), unicode::to_string8(std::wstring(L"caf\u00e9 \u20ac")));
        EXPECT_EQ(language.Lookup(31), Bytes("Hello"));
        EXPECT_EQ(language.Lookup(-11), Bytes("Texte"));
        EXPECT_EQ(language.Lookup(40), unicode::to_string8(std::wstring(L"\u4e2d")));
        EXPECT_TRUE(language.Lookup(1).empty());
        language.SetLanguage(Language::kEmbeddedEnglish, string8());
    }
}

TEST_F(LanguageSelection, SelectingTheCurrentIndexAgainDoesNothing)
{
    Write(L"ENU.txt", "5 first\n");
    Write(L"DEU.txt", "5 german\n");
    Select(kEnglish);
    Write(L"ENU.txt", "5 rewritten\n");
    language.SetLanguage(kEnglish, Bytes("C:\\nowhere"));
    EXPECT_EQ(language.Lookup(5), Bytes("first"));
    // Another index and back reads the file again.
    Select(kGerman);
    EXPECT_EQ(language.Lookup(5), Bytes("german"));
    Select(kEnglish);
    EXPECT_EQ(language.Lookup(5), Bytes("rewritten"));
}

TEST_F(LanguageSelection, EmbeddedEnglishAndMissingFilesEmptyTheTable)
{
    Write(L"ENU.txt", "5 five\n");
    for (const std::int32_t fallback : { Language::kEmbeddedEnglish, kGerman }) {
        Select(kEnglish);
        ASSERT_EQ(language.Lookup(5), Bytes("five"));
        Select(fallback);
        EXPECT_EQ(language.GetLanguage(), Language::kEmbeddedEnglish);
        EXPECT_TRUE(language.Lookup(5).empty());
    }
}

TEST_F(LanguageSelection, TinyFilesLoadNothing)
{
    for (const std::string& bytes : { std::string(), std::string("7"), std::string("\xFF\xFE") }) {
        mFolder.WriteFile(L"ENU.txt", bytes);
        Select(kEnglish);
        EXPECT_EQ(language.GetLanguage(), kEnglish) << bytes.size();
        EXPECT_TRUE(language.Lookup(7).empty()) << bytes.size();
        language.SetLanguage(Language::kEmbeddedEnglish, string8());
    }
}

}  // namespace
