#include "foundation/trace/FunctionTrace.h"

#include "foundation/text/FormatBounded.h"
#include "foundation/trace/TraceInternals.h"

#include <exception>

namespace UTrace {

namespace {

void WriteFunctionLine(const char* source, const char* format, ...) UTRACE_PRINTF(2, 3);

// The function name goes in as an argument, never as part of the format, so
// that a '%' in it is shown as it stands.
void WriteFunctionLine(const char* source, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    try {
        TalvaneAutoCriticalSection hold(&gTraceLock);
        WriteLine(source, kTraceFunction, gTraceTag, 0, format, arguments);
    } catch (...) {
        va_end(arguments);
        throw;
    }
    va_end(arguments);
}

}  // namespace

ITrace::ITrace(const char* functionName)
    : mResult(0), mSavedDepth(0), mQuiet(false), mFunctionName(functionName != nullptr ? functionName : ""),
      mDepth(nullptr)
{
    {
        const LastErrorKeeper keep;
        mDepth = &gTraceDepth[0];
    }
    mSavedDepth = *mDepth;
    if (!SwitchedOff()) {
        KeepNames();
    }
}

// Apart from the constructor, so that a switched-off scope runs only the few
// instructions that keep the depth.
void ITrace::KeepNames()
{
    mStrSource = gTraceSource;
    mStrFunction = mFunctionName;
    mFunctionName = nullptr;
}

void ITrace::WriteExitLine() noexcept
{
    const LastErrorKeeper keep;
    // Tracing must never take the traced program down: failures while writing
    // the exit line are dropped.
    try {
        const char* source = mFunctionName != nullptr ? gTraceSource : mStrSource.c_str();
        const char* name = mFunctionName != nullptr ? mFunctionName : mStrFunction.c_str();
        if (mStrResult.empty()) {
            WriteFunctionLine(source, "%s - return", name);
        } else {
            WriteFunctionLine(source, "%s - %s", name, mStrResult.c_str());
        }
    } catch (const std::exception&) {
    }
}

std::int32_t ITrace::GetResult()
{
    return mResult;
}

std::int32_t ITrace::SetResult(std::int32_t value, const char* format, ...)
{
    if (format == kSilent) {
        mQuiet = true;
    } else if (!SwitchedOff()) {
        const LastErrorKeeper keep;
        char text[1024];
        if (format == nullptr) {
            FormatBounded(text, sizeof text, "return = %ld", static_cast<long>(value));
        } else {
            va_list arguments;
            va_start(arguments, format);
            VFormatBounded(text, sizeof text, format, arguments);
            va_end(arguments);
        }
        mStrResult = text;
    }
    mResult = value;
    return value;
}

Function::Function(const char* functionName, const char* entryFormat, ...) : ITrace(functionName)
{
    // Written only by a scope that found tracing on (it then holds the names).
    if (entryFormat != kSilent && mFunctionName == nullptr) {
        const LastErrorKeeper keep;
        char text[1024] = "enter";
        if (entryFormat != nullptr) {
            va_list arguments;
            va_start(arguments, entryFormat);
            VFormatBounded(text, sizeof text, entryFormat, arguments);
            va_end(arguments);
        }
        // The line is cut as one: "name - text" to 1023 characters.
        try {
            WriteFunctionLine(mStrSource.c_str(), "%s - %s", mStrFunction.c_str(), text);
        } catch (const std::exception&) {
        }
    }
    // Raised also when the entry line was skipped or failed, so that the exit
    // line's restore always matches.
    ++*mDepth;
}

}  // namespace UTrace
