#include "viewer/records/ReceivedRecord.h"

#include "foundation/trace/TraceProtocol.h"

#include <cstring>

namespace tracing {

namespace {

std::uint32_t ReadUnsigned(const unsigned char* bytes)
{
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace

std::optional<ReceivedRecord> CheckRecord(std::uintptr_t dwData, std::uint32_t cbData, const void* data)
{
    if (dwData != TraceRecord::kMagic || data == nullptr || cbData < TraceRecord::kMinLength
        || cbData > TraceRecord::kMaxLength) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (ReadUnsigned(bytes + offsetof(TraceRecord, length)) != cbData
        || ReadUnsigned(bytes + offsetof(TraceRecord, magic)) != TraceRecord::kMagic) {
        return std::nullopt;
    }

    const auto* text = reinterpret_cast<const char*>(bytes + offsetof(TraceRecord, text));
    const std::size_t textBytes = cbData - offsetof(TraceRecord, text);
    const void* textEnd = std::memchr(text, '\0', textBytes);
    if (textEnd == nullptr) {
        return std::nullopt;
    }

    ReceivedRecord record;
    record.kind = static_cast<std::int32_t>(ReadUnsigned(bytes + offsetof(TraceRecord, kind)));
    record.tag = ReadUnsigned(bytes + offsetof(TraceRecord, tag));
    record.flag = bytes[offsetof(TraceRecord, flag)];
    // A source without its NUL is taken as its 64 bytes and no further.
    const auto* source = reinterpret_cast<const char*>(bytes + offsetof(TraceRecord, source));
    const void* sourceEnd = std::memchr(source, '\0', TraceRecord::kSourceSize);
    record.source.assign(
        source, sourceEnd != nullptr ? static_cast<const char*>(sourceEnd) : source + TraceRecord::kSourceSize);
    record.text.assign(text, static_cast<const char*>(textEnd));
    return record;
}

}  // namespace tracing
