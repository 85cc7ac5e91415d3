#include "tools/tracecap/core/Verdict.h"

#include "tools/tracecap/core/Options.h"

namespace tracecap {

int ExitStatus(const RunFacts& facts)
{
    if (facts.interrupted) {
        return kExitInterrupted;
    }
    if (facts.timedOut) {
        return kExitTimedOut;
    }
    if (facts.programStatus.value_or(0) != 0) {
        return static_cast<int>(*facts.programStatus);
    }
    return facts.failLineSeen ? kExitFailOnMatched : 0;
}

}  // namespace tracecap
