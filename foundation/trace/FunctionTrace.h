// Entry and exit lines for a function scope. A Function made at the top of a
// function body writes "name - enter" and indents every line written until
// the scope ends; on every way out it puts the thread's depth back and writes
// "name - return" or the result text set with SetResult.
#pragma once

#include "foundation/trace/Trace.h"

#include <cstdint>
#include <string>

namespace UTrace {

class ITrace {
public:
    ITrace(const ITrace&) = delete;
    ITrace& operator=(const ITrace&) = delete;
    // Restores the depth found at construction (never just one level up, so
    // that scopes left out of order still end right) and writes the exit line.
    virtual ~ITrace();

    virtual std::int32_t GetResult();
    // format: null for "return = <value>", kSilent for no exit line, or a
    // printf-style format for the exit line's result text. Returns value.
    virtual std::int32_t SetResult(std::int32_t value, const char* format, ...) UTRACE_PRINTF(3, 4);

protected:
    // Takes the source name and the calling thread's depth. Throws
    // SystemException::Win32 when the thread's depth slot cannot be made.
    explicit ITrace(const char* functionName);

    std::string mStrSource;
    std::string mStrFunction;
    std::string mStrResult;
    std::int32_t mResult;
    unsigned int mSavedDepth;
    bool mQuiet;
};

class Function : public ITrace {
public:
    // entryFormat: null for "enter", kSilent for no entry line, or a
    // printf-style format whose arguments follow.
    Function(const char* functionName, const char* entryFormat, ...) UTRACE_PRINTF(3, 4);
};

}  // namespace UTrace
