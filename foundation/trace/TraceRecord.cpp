#include "foundation/trace/TraceRecord.h"

TraceRecord TraceRecord::Fill(std::int32_t kind, std::uint32_t tag, std::uint8_t flag, const char* source,
                              const char* text) noexcept
{
    TraceRecord record;
    record.magic = kMagic;
    record.kind = kind;
    record.tag = tag;
    record.flag = flag;

    std::size_t sourceLength = 0;
    if (source != nullptr) {
        while (sourceLength < kSourceSize - 1 && source[sourceLength] != '\0') {
            record.source[sourceLength] = source[sourceLength];
            ++sourceLength;
        }
    }
    for (std::size_t i = sourceLength; i < kSourceSize; ++i) {
        record.source[i] = '\0';
    }

    // The bytes behind the NUL are never sent, so they are left as they are.
    std::size_t textLength = 0;
    if (text != nullptr) {
        while (textLength < kTextSize - 1 && text[textLength] != '\0') {
            record.text[textLength] = text[textLength];
            ++textLength;
        }
    }
    record.text[textLength] = '\0';

    record.length = kMinLength + static_cast<std::uint32_t>(textLength);
    return record;
}
