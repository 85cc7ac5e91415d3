// What the checker finds, line by line and in whole files, and how it compares
// placeholders; built and run both under Wine and natively.
#include "tests/foundation/text/LanguageFileOracle.h"
#include "tools/langcheck/FileCheck.h"
#include "tools/langcheck/Placeholders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using langcheck::Reference;
using oracle::Utf16File;

const std::string kSignature = "\xEF\xBB\xBF";

// "LINE: severity: text" for each finding.
std::vector<std::string> FindingsOf(const std::string& file, const Reference& reference)
{
    std::vector<std::string> findings;
    langcheck::CheckLanguageFile(file, reference, [&](const langcheck::Finding& finding) {
        findings.push_back(std::to_string(finding.mLine)
            + (finding.mSeverity == langcheck::Severity::Error ? ": error: " : ": warning: ") + finding.mText);
    });
    return findings;
}

// Each expected finding is a prefix of the actual one, in the same order.
void ExpectFindings(
    const std::vector<std::string>& actual, const std::vector<std::string>& expected, const std::string& what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what << "\n" << testing::PrintToString(actual);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].substr(0, expected[i].size()), expected[i]) << what;
    }
}

TEST(LangcheckLines, EachLineGetsTheFindingOfWhatTheLoaderDoesWithIt)
{
    // Every id the rows store is in the reference, so only the line's own findings remain.
    const Reference reference = Reference::FromLanguageFile(
        kSignature + "12 x\n31 x\n8107 x\n-5 x\n7 x\n2147483647 x\n-2147483648 x\n-31 x\n");
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        { " 12 space", { "1: error: whitespace before the id" } },
        { "\t12 tab", { "1: error: whitespace before the id" } },
        { "12Hello", { "1: warning: no whitespace between the id and its text: the id reads as 12" } },
        { "0x1FHello", { "1: warning: no whitespace between the id and its text: the id reads as 0x1F (31)" } },
        { "0x1Fab c", { "1: warning: hex letters run into the id: \"0x1Fab\" reads as 0x1FAB (8107)" } },
        { "0x-1F minus", {} },
        { "0x1F Hello", {} },
        { "0x1f hello", {} },
        { "012 twelve", {} },
        { "+7 plus", {} },
        { "2147483647 max", {} },
        { "-2147483648 min", {} },
        { "0X1F x", { "1: error: \"0X\" reads as the id 0" } },
        { "0 text", { "1: error: the id reads as 0" } },
        { "0abc", { "1: error: the id reads as 0" } },
        { "-0x1F c", { "1: error: the id reads as 0" } },
        { "0x0 zero", { "1: error: the id reads as 0" } },
        { "2147483648 a", { "1: error: the id is outside the signed 32-bit range" } },
        { "-2147483649 b", { "1: error: the id is outside the signed 32-bit range" } },
        { "0x80000000 c", { "1: error: the id is outside the signed 32-bit range" } },
        { "99999999999999999999 d", { "1: error: the id is outside the signed 32-bit range" } },
        { "Hello", { "1: error: the line does not start with an id" } },
        { "- 1 a", { "1: error: the line does not start with an id" } },
        { "+-7 b", { "1: error: the line does not start with an id" } },
        { "0x text", { "1: error: no hexadecimal digits after \"0x\"" } },
        { kSignature + "12 x", { "1: error: a byte-order mark (U+FEFF) stands before the id" } },
        { "12", { "1: warning: empty text: the item keeps its English default" } },
        { "12 \t ", { "1: warning: empty text" } },
        { "12 a  b\t  ", { "1: warning: the loader removes the whitespace at the end of the text, tab included" } },
        { "12 a  b   ", {} },
        { "; 12 comment", {} },
        { "# 12 comment", {} },
        { " \t ", {} },
        { "12 caf\xC3\xA9 \xE2\x82\xAC", {} },
        { "12 caf\xE9", { "1: error: invalid UTF-8 in the text (byte 0xE9 at column 7)" } },
        { "12 \xED\xA0\x80 surrogate", { "1: error: invalid UTF-8 in the text (byte 0xED at column 4)" } },
        { "12 \xC0\xAF overlong", { "1: error: invalid UTF-8 in the text (byte 0xC0 at column 4)" } },
        { "12 ab\0cd"s, { "1: error: a NUL byte cuts the line at column 6: the loader ignores the rest of it" } },
        { "\0 12 a"s, { "1: error: the line starts with a NUL byte" } },
        { "12 ab\0\0"s, {} },
        { "99 x", { "1: warning: id 99 is not in the reference" } },
        { "0x63Fab x", { "1: warning: hex letters run into the id", "1: warning: id 409515 is not in the reference" } },
    };
    for (const auto& [line, expected] : rows) {
        std::vector<std::string> findings = FindingsOf(kSignature + line + "\n", reference);
        std::erase_if(findings,
            [](const std::string& finding) { return finding.find("no translation here") != std::string::npos; });
        ExpectFindings(findings, expected, line);
    }
}

TEST(LangcheckFiles, EncodingsAndLineEndsGiveTheSameFindingsOnTheSameLines)
{
    const Reference reference = Reference::FromLanguageFile(kSignature + "1 a\n2 b\n3 c\n");
    const std::vector<std::string> findings = {
        "2: error: whitespace before the id",
        "4: warning: id 1 appeared before on line 1: this line replaces that text",
        "4: warning: 2 ids of the reference have no translation here: 2, 3",
    };
    const std::u16string text = u"1 a\n 2 b\n\n1 c\n";
    for (const std::string& file : { kSignature + "1 a\n 2 b\n\n1 c\n", kSignature + "1 a\r\n 2 b\r\n\r\n1 c\r\n",
             kSignature + "1 a\r 2 b\r\r1 c", Utf16File(text, false), Utf16File(text, true) }) {
        ExpectFindings(FindingsOf(file, reference), findings, file);
    }
    const std::pair<std::string, std::vector<std::string>> files[] = {
        { "",
            { "1: warning: the file is empty",
                "1: warning: 3 ids of the reference have no translation here: 1, 2, 3" } },
        { "1", { "1: error: the file is too short for a signature", "1: warning: 3 ids" } },
        { kSignature, { "1: warning: 3 ids" } },
        { "1 a\n2 b\n3 c\n",
            { "1: error: no signature or byte-order mark: the loader reads the file as UTF-16 little-endian",
                "1: error: the line does not start with an id", "1: warning: 3 ids" } },
        { Utf16File(u"1 a\n2 \xD800x\n3 \xDC00\n4 \xD83D\xDE00"s, false),
            { "2: error: unpaired surrogate U+D800", "3: error: unpaired surrogate U+DC00",
                "4: warning: id 4 is not in the reference" } },
        { Utf16File(u"1 a\n\n2 b\0003 c\n"s, true),
            { "3: error: a NUL character ends the text here: the loader reads nothing after it",
                "3: warning: 1 id of the reference has no translation here: 3" } },
        { Utf16File(u"1 a\n2 b\n3 c"s, false) + "x", { "3: warning: the file has an odd number of bytes" } },
    };
    for (const auto& [file, expected] : files) {
        ExpectFindings(FindingsOf(file, reference), expected, file);
    }
}

TEST(LangcheckPlaceholders, MissingAndAddedPlaceholdersAreErrorsAndOrderDoesNotMatter)
{
    const std::string eleven = "%0 %1 %2 %3 %4 %5 %6 %7 %8 %9 %10";
    const std::tuple<std::string, std::string, std::vector<std::string>> rows[] = {
        { "%0 - %1", "%0 - %1", {} },
        { "%0 - %1", "%1 (%0)", {} },
        { "%0 - %1", "%0 %0 %1", {} },
        { "%0 - %1", "%0 only", { "1: error: the text lacks placeholder %1 of the reference" } },
        { "%0", "%0 and %1", { "1: error: placeholder %1 is not in the reference" } },
        { "%0 %1", "%2 %0 %5",
            { "1: error: the text lacks placeholder %1", "1: error: placeholder %2 is not",
                "1: error: placeholder %5 is not" } },
        { "100% sure", "100 % sicher", {} },
        { "%0 %1", "%0 %01", { "1: error: the text lacks placeholder %1" } },  // a leading zero only forms "%0"
        { eleven, "%10 %9 %8 %7 %6 %5 %4 %3 %2 %1 %0", {} },
        { eleven, "%0 %1 %2 %3 %4 %5 %6 %7 %8 %9", { "1: error: the text lacks placeholder %10" } },
        // With two arguments "%10" is placeholder 1 followed by a zero.
        { "%0 %1", "%0 %10", {} },
        { "%0", "%10", { "1: error: the text lacks placeholder %0", "1: error: placeholder %1 is not" } },
    };
    for (const auto& [wanted, translated, expected] : rows) {
        const Reference reference = Reference::FromLanguageFile(kSignature + "5 " + wanted);
        std::vector<std::string> findings = FindingsOf(kSignature + "5 " + translated, reference);
        ExpectFindings(findings, expected, wanted + " / " + translated);
    }
    // Without a reference the catalogue's English defaults decide.
    ExpectFindings(FindingsOf(kSignature + "-12 Fehler %1\n-2 %1: %0\n7 sieben\n", Reference::Catalogue()),
        { "1: error: the text lacks placeholder %0 of the English default",
            "3: warning: id 7 is not an item of the library's catalogue",
            "3: warning: 6 items of the library's catalogue have no translation here: -15, -14, -11, -4, -3, -1" },
        "catalogue");
}

}  // namespace
