// libFuzzer target for the log format's line parser and writer, built
// natively with clang (scripts/fuzz.sh). The input is one line; its
// first eight bytes are also taken as a time.
#include "tests/viewer/fuzz/LogLineProperty.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (log_line_property::CheckLine(std::string_view(reinterpret_cast<const char*>(data), size)) != nullptr) {
        std::abort();
    }
    std::int64_t time = 0;
    if (size >= sizeof time) {
        std::memcpy(&time, data, sizeof time);
        if (log_line_property::CheckTime(time) != nullptr) {
            std::abort();
        }
    }
    return 0;
}
