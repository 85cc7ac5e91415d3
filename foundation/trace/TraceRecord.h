// The record that carries one trace line to the viewer's window in a
// WM_COPYDATA message. Little-endian, no gaps; only the first `length` bytes
// are sent.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct TraceRecord {
    static constexpr std::uint32_t kMagic = 0x55543132;
    static constexpr std::size_t kSourceSize = 64;
    static constexpr std::size_t kTextSize = 1024;
    static constexpr std::uint32_t kHeaderSize = 81;
    // Header, the text's characters and their NUL.
    static constexpr std::uint32_t kMinLength = kHeaderSize + 1;
    static constexpr std::uint32_t kMaxLength = kHeaderSize + kTextSize;

    std::uint32_t length;
    std::uint32_t magic;
    std::int32_t kind;
    std::uint32_t tag;
    std::uint8_t flag;
    char source[kSourceSize];
    char text[kTextSize];

    // Fills a record: source cut to 63 characters and zero-padded, text cut
    // to 1023 characters and NUL-terminated; null counts as empty for both.
    static TraceRecord Fill(std::int32_t kind, std::uint32_t tag, std::uint8_t flag, const char* source,
                            const char* text) noexcept;
};
#pragma pack(pop)

static_assert(sizeof(TraceRecord) == 1105, "the record layout is fixed");
static_assert(offsetof(TraceRecord, magic) == 4);
static_assert(offsetof(TraceRecord, kind) == 8);
static_assert(offsetof(TraceRecord, tag) == 12);
static_assert(offsetof(TraceRecord, flag) == 16);
static_assert(offsetof(TraceRecord, source) == 17);
static_assert(offsetof(TraceRecord, text) == 81);
