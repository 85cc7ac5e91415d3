// The native program and langcheck.exe (under Wine) give the same output,
// messages and exit status on the same files and arguments.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int mStatus;
    std::string mOut;
    std::string mErr;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

class NativeAndWindows : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::string(LANGCHECK_WINDOWS_PROGRAM).empty()) {
            GTEST_SKIP() << "no langcheck.exe to compare with (LANGCHECK_WINDOWS_PROGRAM)";
        }
        char pattern[] = "/tmp/langcheck-compare-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        mFolder = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(mFolder, ignored);
    }

    // Runs a command line (arguments already quoted) in the folder.
    Outcome Run(const std::string& program, const std::string& arguments) const
    {
        const std::string command
            = "cd " + Quoted(mFolder.string()) + " && " + program + " " + arguments + " >out.txt 2>err.txt </dev/null";
        const int status = std::system(command.c_str());
        return Outcome { WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(mFolder / "out.txt"),
            ReadFile(mFolder / "err.txt") };
    }

    void ExpectSameOutcome(const std::string& arguments) const
    {
        const Outcome native = Run(Quoted(LANGCHECK_NATIVE_PROGRAM), arguments);
        const Outcome windows = Run(
            Quoted(LANGCHECK_WINE_RUN) + " " + Quoted(LANGCHECK_WINEPREFIX) + " " + Quoted(LANGCHECK_WINDOWS_PROGRAM),
            arguments);
        EXPECT_EQ(native.mStatus, windows.mStatus) << arguments;
        EXPECT_EQ(native.mOut, windows.mOut) << arguments;
        EXPECT_EQ(native.mErr, windows.mErr) << arguments;
    }

    // Writes a file into the folder and returns its quoted name.
    std::string Add(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(mFolder / name, std::ios::binary) << bytes;
        return Quoted(name);
    }

    fs::path mFolder;
};

// The checker's findings themselves are tested in both builds; here the
// programs around them, on the fuzz corpus and random files.
TEST_F(NativeAndWindows, SameFindingsOnTheFuzzCorpusAndRandomFiles)
{
    std::string files;
    for (const fs::directory_entry& entry : fs::directory_iterator(LANGCHECK_CORPUS)) {
        files += " " + Add("corpus-" + entry.path().filename().string(), ReadFile(entry.path()));
    }
    std::mt19937 random(12);
    const char* const marks[] = { "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF" };
    for (int n = 0; n < 24; ++n) {
        std::string bytes = marks[n % 4];
        for (unsigned length = random() % 3000; length > 0; --length) {
            bytes.push_back(static_cast<char>(n % 2 == 0 ? random() : "0123456789 -x\r\n%\t;"[random() % 19]));
        }
        files += " " + Add("random-" + std::to_string(n) + ".txt", bytes);
    }
    const std::string reference = Add("reference.txt",
        "\xEF\xBB\xBF"
        "1 %0\n12 %0 %1\n-12 a\n14 b\n");
    fs::create_directory(mFolder / "folder");
    ExpectSameOutcome(files);
    ExpectSameOutcome("--reference " + reference + files + " missing.txt folder");
}

TEST_F(NativeAndWindows, SameExportAndArgumentErrors)
{
    ASSERT_EQ(Run(Quoted(LANGCHECK_NATIVE_PROGRAM), "--export-defaults native.txt").mStatus, 0);
    ExpectSameOutcome("--export-defaults windows.txt");
    EXPECT_EQ(ReadFile(mFolder / "native.txt"), ReadFile(mFolder / "windows.txt"));
    for (const char* arguments : { "", "--reference", "--frobnicate a.txt", "--export-defaults x.txt a.txt",
             "--reference missing.txt a.txt", "--help", "--export-defaults nofolder/x.txt" }) {
        ExpectSameOutcome(arguments);
    }
}

}  // namespace
