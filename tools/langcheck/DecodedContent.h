// A language file's content as the loader decodes it: the bytes after a UTF-8
// signature, or the UTF-16 text converted to UTF-8.
#pragma once

#include "foundation/text/LanguageFileGrammar.h"

#include <cstddef>
#include <string>

namespace langcheck {

class DecodedContent {
public:
    // file must outlive the object.
    explicit DecodedContent(const std::string& file);

    [[nodiscard]] languagefile::Encoding Encoding() const noexcept { return mEncoding; }
    // The content is Base()[Begin(), End()).
    [[nodiscard]] const unsigned char* Base() const noexcept;
    [[nodiscard]] std::size_t Begin() const noexcept { return mBegin; }
    [[nodiscard]] std::size_t End() const noexcept { return mEnd; }

private:
    const unsigned char* mFile;
    languagefile::Encoding mEncoding;
    std::basic_string<unsigned char> mConverted;  // UTF-16 files only
    std::size_t mBegin = 0;
    std::size_t mEnd = 0;
};

}  // namespace langcheck
