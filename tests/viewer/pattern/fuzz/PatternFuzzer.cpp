// libFuzzer target for the pattern engine, built natively with clang
// (scripts/fuzz.sh). Every input is compiled and searched, which must never
// crash; where std::regex can judge it, both must give the same answer.
#include "tests/viewer/pattern/fuzz/PatternOracle.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const pattern_oracle::Input input = pattern_oracle::SplitInput(data, size);
    if (const auto disagreement = pattern_oracle::Disagreement(input)) {
        std::fprintf(stderr, "pattern \"%.*s\" (match case: %d) on \"%.*s\": %s\n",
            static_cast<int>(input.mPattern.size()), input.mPattern.data(), input.mMatchCase ? 1 : 0,
            static_cast<int>(input.mText.size()), input.mText.data(), disagreement->c_str());
        std::abort();
    }
    return 0;
}
