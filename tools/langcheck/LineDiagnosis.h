// Why the loader reads a line the way it does. The loader's verdict on a line
// always comes from the grammar (foundation/text/LanguageFileGrammar.h); this
// reading of the id only explains a verdict to the translator.
#pragma once

#include <cstdint>
#include <string>

namespace langcheck {

enum class IdStatus {
    Valid,  // a non-zero id inside the signed 32-bit range
    Missing,  // no digits where the id should start
    Zero,
    OutOfRange,
};

struct IdReading {
    IdStatus mStatus = IdStatus::Missing;
    std::int32_t mValue = 0;  // when valid
    bool mHex = false;  // the line starts with "0x"
    const unsigned char* mEnd = nullptr;  // just past the id's last digit, when valid
};

// Reads the id at the start of a line as the grammar reads it: decimal with
// an optional sign, or after a leading "0x" hexadecimal (with its own optional
// sign and "0x"/"0X" prefix), digits running as far as they can.
IdReading ReadId(const unsigned char* line, const unsigned char* end) noexcept;

inline bool IsBlank(unsigned char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// The reason the loader ignores a line that is not a comment and not blank.
// line..end is the line's usable part (up to its first NUL).
std::string IgnoredLineReason(const unsigned char* line, const unsigned char* end);

// A warning for a hexadecimal id whose letters change case ("0x1Fab"): the
// letters after the digits belong to the id. Empty when there is none.
std::string HexRunInWarning(const unsigned char* line, const IdReading& id);

// The id as the loader reads it, for messages: "12", or "0x1FAB (8107)".
std::string IdAsRead(const IdReading& id);

}  // namespace langcheck
