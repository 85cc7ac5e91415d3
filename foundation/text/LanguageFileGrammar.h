// The language-file grammar on bytes: no system calls, so that it also
// builds natively for fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace languagefile {

// One stored line: the text is content[mOffset, mOffset + mLength).
struct Entry {
    std::int32_t mId;
    std::size_t mOffset;
    std::size_t mLength;
};

enum class Encoding {
    None,  // fewer than two bytes: nothing to read
    Utf8,  // EF BB BF signature, 3 bytes
    Utf16LittleEndian,  // FF FE or any other first two bytes, which are dropped
    Utf16BigEndian,  // FE FF
};

Encoding DetectEncoding(const unsigned char* bytes, std::size_t size) noexcept;

// Splits UTF-8 content at runs of CR and LF and appends one entry per valid
// line, offsets counted from base (content may start inside base's buffer).
// A line's id is read as a signed 32-bit stream extraction reads it, without
// skipping whitespace: decimal with an optional sign, or hexadecimal after a
// leading "0x". Comment lines (";" or "#"), lines whose id is unreadable, out
// of range or 0, and everything after a line's first NUL are skipped.
// Entries go into the capacity the vector already has; where it runs out,
// room for all the lines still to come is reserved at once.
void ParseContent(const unsigned char* base, std::size_t begin, std::size_t end, std::vector<Entry>& entries);

// The UTF-16 text after the two-byte mark, up to its first zero unit, as
// UTF-8. A trailing odd byte is ignored; an unpaired surrogate becomes U+FFFD,
// as the system's own conversion makes it.
std::basic_string<unsigned char> Utf16ToUtf8(const unsigned char* bytes, std::size_t size, bool bigEndian);

// The same conversion of a whole file (mark included) that leaves the text in
// bytes: written over the units where it never outgrows them (text mostly below
// U+0800), so that a large file needs no second buffer; else in a fresh one.
void Utf16ToUtf8InPlace(std::basic_string<unsigned char>& bytes, bool bigEndian);

}  // namespace languagefile
