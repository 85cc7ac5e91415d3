#include "viewer/file/TextEncoding.h"

#include "foundation/text/Unicode.h"

namespace tracing {

EncodingGuess GuessEncoding(std::string_view head) noexcept
{
    if (head.starts_with("\xEF\xBB\xBF")) {
        return { TextEncoding::Bytes, 3 };
    }
    if (head.starts_with("\xFF\xFE")) {
        return { TextEncoding::Utf16Le, 2 };
    }
    if (head.starts_with("\xFE\xFF")) {
        return { TextEncoding::Utf16Be, 2 };
    }
    return {};
}

void AppendAsUtf8(std::string& out, std::string_view raw, TextEncoding encoding)
{
    if (encoding == TextEncoding::Bytes) {
        unicode::append_debug_text_as_utf8(out, raw);
        return;
    }
    std::wstring wide(raw.size() / 2, L'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<wchar_t>(Utf16Unit(raw[2 * i], raw[2 * i + 1], encoding));
    }
    if (raw.size() % 2 != 0) {
        wide += L'\xFFFD';
    }
    out += unicode::wide_to_utf8(wide);
}

}  // namespace tracing
