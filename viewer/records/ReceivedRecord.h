// Checking a trace record that arrived in a WM_COPYDATA message. Senders are
// other processes and may be broken or hostile: nothing is read outside the
// bytes the message carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tracing {

struct ReceivedRecord {
    std::int32_t kind = 0;
    std::uint32_t tag = 0;
    std::uint8_t flag = 0;
    std::string source;  // narrow text, as sent
    std::string text;
};

// The record carried by a WM_COPYDATA message, or nothing when the message is
// not a well-formed trace record: wrong dwData or magic, cbData outside
// 82..1105 or unequal to the record's length, no NUL inside the text.
[[nodiscard]] std::optional<ReceivedRecord> CheckRecord(std::uintptr_t dwData, std::uint32_t cbData, const void* data);

}  // namespace tracing
