// Times loading a generated language file of 100,000 entries against a plain
// read of the same bytes in 64 KB pieces that counts their lines; the two
// alternate, so that drift on a shared machine hits both.
//   bench_language_file.exe [runs]     (default 21; medians are printed)
#include "foundation/text/LanguageImpl.h"
#include "foundation/text/TalvaneText.h"
#include "foundation/text/Unicode.h"

#include <process.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kEntries = 100000;
constexpr std::int32_t kEnglish = 4;

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

std::string GeneratedUtf8()
{
    std::string text = "\xEF\xBB\xBF; generated language file\r\n";
    text.reserve(kEntries * 48);
    char line[96];
    for (int id = 1; id <= kEntries; ++id) {
        const int length
            = std::snprintf(line, sizeof line, "%d Text number %d of the catalogue, \xC3\xA9t\xC3\xA9\r\n", id, id);
        text.append(line, static_cast<std::size_t>(length));
    }
    return text;
}

std::string Utf16FromUtf8(const std::string& utf8WithSignature)
{
    const std::wstring wide = unicode::to_wstring(string8(utf8WithSignature.begin() + 3, utf8WithSignature.end()));
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + wide.size() * 2);
    for (const wchar_t unit : wide) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(static_cast<unsigned>(unit) >> 8));
    }
    return bytes;
}

// The baseline is the least any loader has to do: a plain read of the same
// bytes through a 64 KB buffer, counting the line feeds.
std::size_t ReadAndCountLines(const std::wstring& path)
{
    const std::unique_ptr<std::FILE, FileCloser> file(::_wfopen(path.c_str(), L"rb"));
    if (!file) {
        std::abort();
    }
    static char chunk[64 * 1024];
    std::size_t lines = 0;
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) != 0;) {
        lines += static_cast<std::size_t>(std::count(chunk, chunk + got, '\n'));
    }
    return lines;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Action> double Milliseconds(Action action)
{
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool Measure(const char* name, const std::filesystem::path& folder, int runs)
{
    auto& language = TalvaneText::Language();
    const string8 folderName = unicode::to_string8(folder.wstring());
    const std::wstring path = (folder / L"ENU.txt").wstring();
    std::vector<double> baseline;
    std::vector<double> load;
    std::size_t lines = 0;
    // Each load replaces the one before, as switching languages does, and
    // fills the memory that one used; the first round's load is printed too,
    // as it also pays for first touching fresh memory.
    for (int run = 0; run < runs; ++run) {
        baseline.push_back(Milliseconds([&] { lines = ReadAndCountLines(path); }));
        language.SetLanguage(TalvaneText::LanguageImpl::kEmbeddedEnglish, string8());
        load.push_back(Milliseconds([&] { language.SetLanguage(kEnglish, folderName); }));
    }
    const string8 expected = unicode::to_string8(std::wstring(L"Text number 77777 of the catalogue, \u00e9t\u00e9"));
    if (language.GetLanguage() != kEnglish || language.Lookup(77777) != expected || lines != kEntries + 1) {
        std::printf("%s: the loaded table is wrong\n", name);
        return false;
    }
    const double baselineMs = Median(baseline);
    const double loadMs = Median(load);
    std::printf("%-6s %8zu bytes  load %8.3f ms  read+count %8.3f ms  ratio %5.2f  (medians of %d runs; "
                "first load %.3f ms)\n",
        name, static_cast<std::size_t>(std::filesystem::file_size(path)), loadMs, baselineMs, loadMs / baselineMs, runs,
        load.front());
    language.SetLanguage(TalvaneText::LanguageImpl::kEmbeddedEnglish, string8());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const std::filesystem::path root
        = std::filesystem::temp_directory_path() / ("probedeck-bench-language-" + std::to_string(::_getpid()));
    const std::string utf8 = GeneratedUtf8();
    const std::string utf16 = Utf16FromUtf8(utf8);
    struct {
        const char* name;
        const std::string& bytes;
    } const files[] = { { "UTF-8", utf8 }, { "UTF-16", utf16 } };
    bool ok = true;
    for (const auto& file : files) {
        const std::filesystem::path folder = root / file.name;
        std::filesystem::create_directories(folder);
        std::ofstream(folder / L"ENU.txt", std::ios::binary)
            .write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
        ok = Measure(file.name, folder, runs) && ok;
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return ok ? 0 : 1;
}
