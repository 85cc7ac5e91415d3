#include "tools/langcheck/LineDiagnosis.h"

#include <charconv>
#include <cstdio>
#include <system_error>

namespace langcheck {
namespace {

bool StartsWith(const unsigned char* line, const unsigned char* end, const char* prefix) noexcept
{
    for (; *prefix != '\0'; ++prefix, ++line) {
        if (line == end || *line != static_cast<unsigned char>(*prefix)) {
            return false;
        }
    }
    return true;
}

}  // namespace

IdReading ReadId(const unsigned char* line, const unsigned char* end) noexcept
{
    IdReading reading;
    reading.mHex = StartsWith(line, end, "0x");
    const unsigned char* p = reading.mHex ? line + 2 : line;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (reading.mHex && (StartsWith(p, end, "0x") || StartsWith(p, end, "0X"))) {
        p += 2;
    }
    // The digits alone, read by the standard library's own number parser;
    // it also tells where they end when the value is too large.
    std::uint64_t magnitude = 0;
    const auto* const digits = reinterpret_cast<const char*>(p);
    const auto [stop, error]
        = std::from_chars(digits, reinterpret_cast<const char*>(end), magnitude, reading.mHex ? 16 : 10);
    const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    if (error == std::errc::invalid_argument) {
        reading.mStatus = IdStatus::Missing;
    } else if (error == std::errc::result_out_of_range || magnitude > limit) {
        reading.mStatus = IdStatus::OutOfRange;
    } else if (magnitude == 0) {
        reading.mStatus = IdStatus::Zero;
    } else {
        reading.mStatus = IdStatus::Valid;
        reading.mValue = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                                  : static_cast<std::int32_t>(magnitude);
        reading.mEnd = p + (stop - digits);
    }
    return reading;
}

std::string IgnoredLineReason(const unsigned char* line, const unsigned char* end)
{
    const std::string ignored = ": the loader ignores this line";
    if (IsBlank(*line)) {
        return "whitespace before the id" + ignored;
    }
    switch (ReadId(line, end).mStatus) {
    case IdStatus::Missing:
        if (StartsWith(line, end, "\xEF\xBB\xBF")) {
            return "a byte-order mark (U+FEFF) stands before the id" + ignored;
        }
        if (StartsWith(line, end, "0x")) {
            return "no hexadecimal digits after \"0x\"" + ignored;
        }
        return "the line does not start with an id" + ignored;
    case IdStatus::Zero:
        if (StartsWith(line, end, "0X")) {
            return "\"0X\" reads as the id 0 (hexadecimal ids start with a lower-case \"0x\")" + ignored;
        }
        return "the id reads as 0, which is no id" + ignored;
    case IdStatus::OutOfRange:
        return "the id is outside the signed 32-bit range (-2147483648 to 2147483647)" + ignored;
    case IdStatus::Valid:
        break;
    }
    return "the loader ignores this line";
}

std::string HexRunInWarning(const unsigned char* line, const IdReading& id)
{
    if (!id.mHex || id.mStatus != IdStatus::Valid) {
        return std::string();
    }
    bool lower = false;
    bool upper = false;
    for (const unsigned char* p = line + 2; p != id.mEnd; ++p) {
        lower = lower || (*p >= 'a' && *p <= 'f');
        upper = upper || (*p >= 'A' && *p <= 'F');
    }
    if (!lower || !upper) {
        return std::string();
    }
    return "hex letters run into the id: \"" + std::string(line, id.mEnd) + "\" reads as " + IdAsRead(id)
        + "; put whitespace between the id and its text";
}

std::string IdAsRead(const IdReading& id)
{
    if (!id.mHex) {
        return std::to_string(id.mValue);
    }
    char hex[16];
    const auto magnitude
        = static_cast<unsigned long>(id.mValue < 0 ? -static_cast<std::int64_t>(id.mValue) : id.mValue);
    std::snprintf(hex, sizeof hex, "%s0x%lX", id.mValue < 0 ? "-" : "", magnitude);
    return std::string(hex) + " (" + std::to_string(id.mValue) + ")";
}

}  // namespace langcheck
