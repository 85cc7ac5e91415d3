// Entry and exit lines for a function scope. A Function made at the top of a
// function body writes "name - enter" and indents every line written until
// the scope ends; on every way out it puts the thread's depth back and writes
// "name - return" or the result text set with SetResult.
//
// With tracing switched off a scope only keeps the depth: it copies no names
// and formats no text, so that it can stay in code that runs often. A scope
// entered while tracing was off still writes its exit line if tracing is on
// when it ends; it then names the function through the pointer it was given
// (the qualified name, a literal in the usual calling pattern), and the
// source set at that time. Every call leaves the last error as it found it.
#pragma once

#include "foundation/trace/Trace.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace UTrace {

class ITrace {
public:
    ITrace(const ITrace&) = delete;
    ITrace& operator=(const ITrace&) = delete;
    // Restores the depth found at construction (never just one level up, so
    // that scopes left out of order still end right) and writes the exit line.
    // Inline, so that a switched-off scope ends in two stores and a test.
    virtual ~ITrace()
    {
        *mDepth = mSavedDepth;
        if (!mQuiet && std::atomic_ref<std::int32_t>(gTraceEnabled).load(std::memory_order_relaxed) != 0) {
            WriteExitLine();
        }
    }

    virtual std::int32_t GetResult();
    // format: null for "return = <value>", kSilent for no exit line, or a
    // printf-style format for the exit line's result text. Returns value.
    // The text is formatted only while tracing is on.
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
    // The name as given, while mStrFunction has not been filled (the scope
    // was entered with tracing off); null once it has.
    const char* mFunctionName;
    // The calling thread's depth slot, found once at construction: a scope
    // is left on the thread that made it.
    unsigned int* mDepth;

private:
    [[gnu::noinline]] void KeepNames();
    [[gnu::noinline]] void WriteExitLine() noexcept;
};

class Function : public ITrace {
public:
    // entryFormat: null for "enter", kSilent for no entry line, or a
    // printf-style format whose arguments follow.
    Function(const char* functionName, const char* entryFormat, ...) UTRACE_PRINTF(3, 4);
};

}  // namespace UTrace
