// langcheck.exe run as translators and pipelines run it: output, exit status,
// bad input, and the exported defaults loaded back by the library.
#include "foundation/errors/CatalogueDefaults.h"
#include "foundation/errors/MessageCatalogue.h"
#include "foundation/text/LanguageImpl.h"
#include "foundation/text/TalvaneText.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using testing_support::TempFolder;
const std::string kSignature = "\xEF\xBB\xBF";

struct Outcome {
    DWORD mStatus = 0;
    std::string mOut;
    std::string mErr;
};

// Runs langcheck.exe in the folder through the command interpreter, as translators do, its output and
// errors sent to files.
Outcome RunLangcheck(const TempFolder& folder, const std::wstring& arguments)
{
    wchar_t system[MAX_PATH] = {};
    testing_support::ChildProcess shell(std::wstring(system, ::GetSystemDirectoryW(system, MAX_PATH)) + L"\\cmd.exe",
        L"/c \"\"" + testing_support::ProductFile(L"langcheck.exe") + L"\" " + arguments + L" >out.log 2>err.log\"",
        folder.path());
    const std::optional<DWORD> status = shell.WaitForExit(120000);
    EXPECT_TRUE(status.has_value());
    return { status.value_or(~0u), testing_support::ReadFileBytes(folder.File(L"out.log")),
        testing_support::ReadFileBytes(folder.File(L"err.log")) };
}

TEST(LangcheckProgram, PrintsFindingsInCompilerStyleAndExitsByTheirSeverity)
{
    const TempFolder folder(L"langcheck");
    folder.WriteFile(L"DEU.txt", kSignature + "-12 Fehler: %0 - %1\r\n 5 x\r\n-12 Fehler %0\r\n");
    folder.WriteFile(L"FRA.txt", kSignature + "12Bonjour\n");
    folder.WriteFile(L"ref.txt", kSignature + "12 Hello %0\n");
    const Outcome both = RunLangcheck(folder, L"DEU.txt FRA.txt");
    EXPECT_EQ(both.mOut,
        "DEU.txt:2: error: whitespace before the id: the loader ignores this line\n"
        "DEU.txt:3: warning: id -12 appeared before on line 1: this line replaces that text\n"
        "DEU.txt:3: error: the text lacks placeholder %1 of the English default\n"
        "DEU.txt:3: warning: 7 items of the library's catalogue have no translation here: -15, -14, -11, -4, -3, -2, "
        "-1\n"
        "FRA.txt:1: warning: no whitespace between the id and its text: the id reads as 12\n"
        "FRA.txt:1: warning: id 12 is not an item of the library's catalogue\n"
        "FRA.txt:1: warning: 8 items of the library's catalogue have no translation here: "
        "-15, -14, -12, -11, -4, -3, -2, -1\n"
        "2 errors, 5 warnings\n");
    EXPECT_EQ(both.mErr, "");
    EXPECT_EQ(both.mStatus, 1u);
    EXPECT_EQ(RunLangcheck(folder, L"FRA.txt").mStatus, 0u);  // warnings alone pass
    const Outcome referenced = RunLangcheck(folder, L"--reference ref.txt FRA.txt");
    EXPECT_EQ(referenced.mOut,
        "FRA.txt:1: warning: no whitespace between the id and its text: the id reads as 12\n"
        "FRA.txt:1: error: the text lacks placeholder %0 of the reference\n"
        "1 errors, 1 warnings\n");
    EXPECT_EQ(referenced.mStatus, 1u);
}

TEST(LangcheckProgram, BadFilesAndArgumentsAreReportedWithoutACrash)
{
    const TempFolder folder(L"langcheck");
    folder.MakeFolder(L"sub");
    folder.WriteFile(L"empty.txt", "");
    folder.WriteFile(L"ok.txt", kSignature + "-1 x\n");
    const std::string usage = "usage: langcheck [--reference FILE] FILE...\n       langcheck --export-defaults OUT\n";
    const struct {
        const wchar_t* mArguments;
        DWORD mStatus;
        std::string mOutStart;
        std::string mErr;
    } cases[] = {
        { L"missing.txt ok.txt", 2, "ok.txt:1: warning: 7 items",
            "langcheck: cannot read missing.txt: no such file\n" },
        { L"sub", 2, "0 errors, 0 warnings\n", "langcheck: cannot read sub: is a folder, not a file\n" },
        { L"empty.txt", 0, "empty.txt:1: warning: the file is empty: every item keeps its English default\n", "" },
        { L"", 2, "", "langcheck: no language file to check\n" + usage },
        { L"--reference", 2, "", "langcheck: --reference needs a file name\n" + usage },
        { L"--strict ok.txt", 2, "", "langcheck: unknown option \"--strict\"\n" + usage },
        { L"--export-defaults x.txt ok.txt", 2, "", "langcheck: --export-defaults takes no other arguments\n" + usage },
        { L"--reference missing.txt ok.txt", 2, "",
            "langcheck: cannot read the reference missing.txt: no such file\n" },
        { L"--export-defaults sub", 2, "", "langcheck: cannot write sub\n" },
        { L"--help", 0, usage, "" },
    };
    for (const auto& c : cases) {
        const Outcome outcome = RunLangcheck(folder, c.mArguments);
        EXPECT_EQ(outcome.mStatus, c.mStatus) << testing::PrintToString(std::wstring(c.mArguments));
        EXPECT_EQ(outcome.mOut.substr(0, c.mOutStart.size()), c.mOutStart) << outcome.mOut;
        EXPECT_EQ(outcome.mErr, c.mErr);
    }
}

TEST(LangcheckProgram, HundredMegabyteFileIsCheckedToItsLastLine)
{
    const TempFolder folder(L"langcheck");
    const std::string comment = ";" + std::string(102, 'c') + "\r\n";
    std::string big = kSignature;
    big.reserve(comment.size() * 1000000 + 64);
    for (int line = 0; line < 1000000; ++line) {
        big += comment;
    }
    big += "-12 %0\r\n";
    folder.WriteFile(L"big.txt", big);
    std::string().swap(big);
    const Outcome outcome = RunLangcheck(folder, L"big.txt");
    EXPECT_EQ(outcome.mOut,
        "big.txt:1000001: error: the text lacks placeholder %1 of the English default\n"
        "big.txt:1000001: warning: 7 items of the library's catalogue have no translation here: "
        "-15, -14, -11, -4, -3, -2, -1\n"
        "1 errors, 1 warnings\n");
    EXPECT_EQ(outcome.mStatus, 1u);
}

TEST(LangcheckProgram, ExportedDefaultsLoadBackAsEveryDefaultTextAndCheckClean)
{
    const TempFolder folder(L"langcheck");
    ASSERT_EQ(RunLangcheck(folder, L"--export-defaults ENU.txt").mStatus, 0u);
    const Outcome check = RunLangcheck(folder, L"ENU.txt");
    EXPECT_EQ(check.mOut, "0 errors, 0 warnings\n");
    EXPECT_EQ(check.mStatus, 0u);

    // Every item the library links, with its built-in text, before and after loading the export.
    // Naming one catalogue item links the whole catalogue into this program.
    ASSERT_EQ(gErrWin32.GetId(), -12);
    std::vector<std::pair<const TalvaneText*, string8>> builtIn;
    for (const TalvaneText* item = TalvaneText::First(); item != nullptr; item = item->Next()) {
        if (item->GetId() != 0) {
            builtIn.emplace_back(item, item->GetText());
        }
    }
    ASSERT_EQ(builtIn.size(), std::size(catalogue::kDefaultTexts));
    TalvaneText::LanguageImpl& language = TalvaneText::Language();
    language.SetLanguage(4, unicode::to_string8(folder.path()));
    for (std::size_t i = 0; i < builtIn.size(); ++i) {
        const auto& [item, text] = builtIn[i];
        EXPECT_EQ(item->GetId(), catalogue::kDefaultTexts[i].mId);
        EXPECT_EQ(language.Lookup(item->GetId()), text) << item->GetId();
    }
    language.SetLanguage(TalvaneText::LanguageImpl::kEmbeddedEnglish, string8());
}

}  // namespace
