// Replays a native fuzzer's seed corpus through the same checks in the Wine
// build: corpus_replay_NAME FOLDER, FOLDER relative to the program's own. A
// check that fails aborts, as it does under the fuzzer.
#include "tests/support/FileBytes.h"
#include "tests/support/TestPaths.h"

#include <cstdio>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size);

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        return 2;
    }
    int files = 0;
    std::error_code error;
    for (const auto& item :
        std::filesystem::directory_iterator(testing_support::TestProgramFolder() + L"\\" + argv[1], error)) {
        const std::string bytes = testing_support::ReadFileBytes(item.path().wstring());
        LLVMFuzzerTestOneInput(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        ++files;
    }
    std::printf("%d inputs replayed\n", files);
    return files > 0 ? 0 : 1;
}
