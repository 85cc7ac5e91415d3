#include "foundation/text/LanguageImpl.h"
#include "foundation/text/TalvaneText.h"
#include "tests/foundation/text/LanguageFileOracle.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestText.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using Language = TalvaneText::LanguageImpl;
constexpr std::int32_t kEnglish = 4;
constexpr std::int32_t kFrench = 6;
constexpr std::int32_t kGerman = 7;

using testing_support::Bytes;

// Every test leaves the process with the built-in English it found.
class LanguageSelection : public testing::Test {
protected:
    void TearDown() override { language.SetLanguage(Language::kEmbeddedEnglish, string8()); }
    void Write(const wchar_t* name, const std::string& lines) { mFolder.WriteFile(name, "\xEF\xBB\xBF" + lines); }
    void Select(std::int32_t index) { language.SetLanguage(index, unicode::to_string8(mFolder.path())); }

    Language& language = TalvaneText::Language();
    testing_support::TempFolder mFolder { L"language" };
};

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

TEST_F(LanguageSelection, ListKeepsItsNamesAndEmbeddedEnglishMissingAndTinyFilesLeaveNoEntries)
{
    EXPECT_STREQ(language.GetLanguageInfo(11).mDisplayName, "Norweigian");
    EXPECT_STREQ(language.GetLanguageInfo(16).mDisplayName, "Default (Embedded English)");
    EXPECT_THROW(language.GetLanguageInfo(Language::kLanguageCount), std::out_of_range);
    EXPECT_THROW(language.SetLanguage(-1, string8()), std::out_of_range);
    EXPECT_EQ(language.GetLanguage(), Language::kEmbeddedEnglish);
    Write(L"ENU.txt", "5 five\n");
    for (const std::int32_t fallback : { Language::kEmbeddedEnglish, kGerman }) {
        Select(kEnglish);
        ASSERT_EQ(language.Lookup(5), Bytes("five"));
        Select(fallback);
        EXPECT_EQ(language.GetLanguage(), Language::kEmbeddedEnglish);
        EXPECT_TRUE(language.Lookup(5).empty());
    }
    for (const std::string& bytes : { std::string(), std::string("7"), std::string("\xFF\xFE") }) {
        mFolder.WriteFile(L"DEU.txt", bytes);
        Select(kGerman);
        EXPECT_EQ(language.GetLanguage(), kGerman) << bytes.size();
        EXPECT_TRUE(language.Lookup(7).empty()) << bytes.size();
        Select(Language::kEmbeddedEnglish);
    }
}

// A load reads over the memory of the one before: a shorter file, a file
// that ends without a line break and a UTF-16 file keep nothing of it.
TEST_F(LanguageSelection, EachFileReplacesEverythingOfTheOneBefore)
{
    Write(L"ENU.txt", "1 one\n2 two\n3 three\n4 four\n");
    Write(L"DEU.txt", "2 zwei");
    mFolder.WriteFile(L"FRA.txt", oracle::Utf16File(std::wstring(L"3 trois\r\n"), false));
    const auto texts = [&] {
        std::string shown;
        for (const std::int32_t id : { 1, 2, 3, 4 }) {
            const string8 text = language.Lookup(id);
            shown += std::string(text.begin(), text.end()) + '|';
        }
        return shown;
    };
    Select(kEnglish);
    EXPECT_EQ(texts(), "one|two|three|four|");
    Select(kGerman);
    EXPECT_EQ(texts(), "|zwei|||");
    Select(kFrench);
    EXPECT_EQ(texts(), "||trois||");
    Select(kEnglish);
    EXPECT_EQ(texts(), "one|two|three|four|");
}

TEST_F(LanguageSelection, TranslatedItemsWinUntilTheTableIsCleared)
{
    const TalvaneText translated(9001, "default"), blank(9002, "blank"), other(9003, "other"), reordered(9004, "%0-%1");
    Write(L"ITA.txt", "9001 tradotto\n9002   \n9004 %1: %0 (%1)\n");
    Select(8);
    EXPECT_EQ(translated.GetText(), Bytes("tradotto"));
    EXPECT_EQ(blank.GetText(), Bytes("blank"));
    EXPECT_EQ(other.GetText(), Bytes("other"));
    EXPECT_EQ(reordered.Format({ Bytes("x"), Bytes("y") }), Bytes("y: x (y)"));
    Select(Language::kEmbeddedEnglish);
    EXPECT_EQ(translated.GetText(), Bytes("default"));
}

}  // namespace
