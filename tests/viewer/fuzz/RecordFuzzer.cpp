// libFuzzer target for the trace-record checker, built natively with clang
// (see scripts/fuzz.sh). The input is a WM_COPYDATA payload of exactly its
// size, so that AddressSanitizer sees any read past cbData; a record the
// checker takes holds what the payload says, and making the same record
// again gives a payload the checker takes the same way.
#include "foundation/trace/TraceRecord.h"
#include "viewer/records/ReceivedRecord.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace tracing;

namespace {

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size > 2 * TraceRecord::kMaxLength) {
        return 0;
    }
    // A copy of exactly the payload's size: the fuzzer's own buffer may be larger.
    const std::vector<unsigned char> payload(data, data + size);
    const auto record = CheckRecord(TraceRecord::kMagic, static_cast<std::uint32_t>(size),
        payload.empty() ? nullptr : payload.data());
    if (!record) {
        return 0;
    }
    Require(size >= TraceRecord::kMinLength && size <= TraceRecord::kMaxLength);
    Require(record->source.size() <= TraceRecord::kSourceSize && record->text.size() < size - TraceRecord::kHeaderSize);
    Require(record->text.find('\0') == std::string::npos && record->source.find('\0') == std::string::npos);
    // The sender's way of making the record gives one the checker reads alike
    // (a source of 64 characters is cut to 63 there).
    const TraceRecord made = TraceRecord::Fill(
        record->kind, record->tag, record->flag, record->source.substr(0, 63).c_str(), record->text.c_str());
    const auto again = CheckRecord(made.magic, made.length, &made);
    Require(again && again->kind == record->kind && again->tag == record->tag && again->flag == record->flag
        && again->text == record->text && again->source == record->source.substr(0, 63));
    return 0;
}
