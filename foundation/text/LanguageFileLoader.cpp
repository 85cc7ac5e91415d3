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

// The file's size, with the position back at its start; 0 when either fails.
long long SizeFromStart(std::FILE* file) noexcept
{
    if (::_fseeki64(file, 0, SEEK_END) != 0) {
        return 0;
    }
    const long long size = ::_ftelli64(file);
    return size > 0 && ::_fseeki64(file, 0, SEEK_SET) == 0 ? size : 0;
}

// Fills table from bytes, indexing into entries (whose capacity is reused).
void Load(string8 bytes, std::vector<Entry> entries, LanguageTable& table)
{
    const Encoding encoding = DetectEncoding(bytes.data(), bytes.size());
    if (encoding == Encoding::None) {
        table.Clear();
        return;
    }
    std::size_t begin = 3;
    if (encoding != Encoding::Utf8) {
        Utf16ToUtf8InPlace(bytes, encoding == Encoding::Utf16BigEndian);
        begin = 0;
    }
    ParseContent(bytes.data(), begin, bytes.size(), entries);
    table.Assign(std::move(bytes), std::move(entries));
}

}  // namespace

bool ReadWholeFile(const std::wstring& path, string8& bytes)
{
    const UniqueFile file = OpenForReading(path);
    const long long size = file ? SizeFromStart(file.get()) : 0;
    if (size <= 0) {
        bytes.clear();
        return file != nullptr;
    }
    // On a 32-bit build a file can be larger than any buffer.
    if (static_cast<unsigned long long>(size) >= SIZE_MAX) {
        throw std::bad_alloc();
    }
    // Only a buffer too small is replaced, by one of the file's size: growing
    // it would allocate more. The bytes it holds are read over, so resizing
    // zeroes only what lies beyond them.
    if (bytes.capacity() < static_cast<std::size_t>(size)) {
        bytes = string8();
    }
    bytes.resize(static_cast<std::size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    return true;
}

void LoadContent(string8 bytes, LanguageTable& table)
{
    Load(std::move(bytes), std::vector<Entry>(), table);
}

bool LoadFile(const std::wstring& path, LanguageTable& table)
{
    string8 bytes;
    std::vector<Entry> entries;
    table.Release(bytes, entries);
    if (!ReadWholeFile(path, bytes)) {
        return false;
    }
    Load(std::move(bytes), std::move(entries), table);
    return true;
}

}  // namespace languagefile
