#include "foundation/text/TalvaneText.h"

#include "foundation/text/LanguageImpl.h"

#include <cstddef>
#include <cstdint>

namespace {

// Constant-initialised, so items built by static initialisers in any file
// can link themselves in before this file's own initialisers have run.
constinit const TalvaneText* gFirstItem = nullptr;
constinit TalvaneText::LanguageImpl gLanguageObject;

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

const TalvaneText gEmptyText(0, "");

TalvaneText::TalvaneText(std::int32_t id, const char* defaultText)
    : mId(id)
    , mDefaultText(defaultText)
{
    // Among equal ids the newest item stands first.
    const TalvaneText** link = &gFirstItem;
    while (*link != nullptr && (*link)->mId < id) {
        link = &(*link)->mNext;
    }
    mNext = *link;
    *link = this;
}

TalvaneText::~TalvaneText()
{
    for (const TalvaneText** link = &gFirstItem; *link != nullptr; link = &(*link)->mNext) {
        if (*link == this) {
            *link = mNext;
            break;
        }
    }
}

std::int32_t TalvaneText::GetId() const
{
    return mId;
}

string8 TalvaneText::GetText() const
{
    if (mId != 0) {
        string8 text = Language().Lookup(mId);
        if (!text.empty()) {
            return text;
        }
    }
    if (mDefaultText == nullptr) {
        return string8();
    }
    return string8(reinterpret_cast<const unsigned char*>(mDefaultText));
}

string8 TalvaneText::Format(const std::vector<string8>& arguments) const
{
    string8 text = GetText();
    if (arguments.empty()) {
        return text;
    }
    // One pass over the template: a placeholder is replaced wherever it
    // stands (a translation may reorder them), and inserted text is copied
    // out of reach of the scan. "%" is followed by the longest run of digits
    // that names an existing argument, so with eleven arguments "%10" is the
    // last one while with two it is argument 1 and a literal "0". A leading
    // zero only ever forms "%0".
    constexpr std::size_t kMaxDigits = 10;
    string8 result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '%') {
            std::size_t bestLength = 0;
            std::size_t bestIndex = 0;
            std::uint64_t value = 0;
            for (std::size_t k = i + 1; k < text.size() && k - i <= kMaxDigits && IsDigit(text[k]); ++k) {
                if (k > i + 1 && text[i + 1] == '0') {
                    break;
                }
                value = value * 10 + (text[k] - '0');
                if (value < arguments.size()) {
                    bestLength = k - i;
                    bestIndex = static_cast<std::size_t>(value);
                }
            }
            if (bestLength != 0) {
                result += arguments[bestIndex];
                i += 1 + bestLength;
                continue;
            }
        }
        result.push_back(text[i]);
        ++i;
    }
    return result;
}

TalvaneText::LanguageImpl& TalvaneText::Language() noexcept
{
    return gLanguageObject;
}

const TalvaneText* TalvaneText::First() noexcept
{
    return gFirstItem;
}
