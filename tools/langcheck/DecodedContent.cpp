#include "tools/langcheck/DecodedContent.h"

namespace langcheck {

DecodedContent::DecodedContent(const std::string& file)
    : mFile(reinterpret_cast<const unsigned char*>(file.data()))
    , mEncoding(languagefile::DetectEncoding(mFile, file.size()))
{
    using languagefile::Encoding;
    if (mEncoding == Encoding::Utf8) {
        mBegin = 3;
        mEnd = file.size();
    } else if (mEncoding != Encoding::None) {
        mConverted = languagefile::Utf16ToUtf8(mFile, file.size(), mEncoding == Encoding::Utf16BigEndian);
        mEnd = mConverted.size();
    }
}

const unsigned char* DecodedContent::Base() const noexcept
{
    return mEncoding == languagefile::Encoding::Utf8 ? mFile : mConverted.data();
}

}  // namespace langcheck
