#include "foundation/text/LanguageFileLoader.h"

#include "foundation/text/LanguageFileGrammar.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace languagefile {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

UniqueFile OpenForReading(const std::wstring& path)
{
    if (unicode::IsNonNtPlatform()) {
        return UniqueFile(std::fopen(unicode::to_string(path).c_str(), "rb"));
    }
    return UniqueFile(::_wfopen(path.c_str(), L"rb"));
}

}  // namespace

bool ReadWholeFile(const std::wstring& path, string8& bytes)
{
    bytes.clear();
    const UniqueFile file = OpenForReading(path);
    if (!file) {
        return false;
    }
    if (::_fseeki64(file.get(), 0, SEEK_END) != 0) {
        return true;
    }
    const long long size = ::_ftelli64(file.get());
    if (size <= 0 || ::_fseeki64(file.get(), 0, SEEK_SET) != 0) {
        return true;
    }
    // On a 32-bit build a file can be larger than any buffer.
    if (static_cast<unsigned long long>(size) >= SIZE_MAX) {
        throw std::bad_alloc();
    }
    bytes.resize(static_cast<std::size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    return true;
}

void LoadContent(string8 bytes, LanguageTable& table)
{
    std::vector<Entry> entries;
    const Encoding encoding = DetectEncoding(bytes.data(), bytes.size());
    if (encoding == Encoding::None) {
        table.Clear();
    } else if (encoding == Encoding::Utf8) {
        ParseContent(bytes.data(), 3, bytes.size(), entries);
        table.Assign(std::move(bytes), std::move(entries));
    } else {
        Utf16ToUtf8InPlace(bytes, encoding == Encoding::Utf16BigEndian);
        ParseContent(bytes.data(), 0, bytes.size(), entries);
        table.Assign(std::move(bytes), std::move(entries));
    }
}

}  // namespace languagefile
