#include "foundation/trace/FunctionTrace.h"

#include "foundation/text/FormatBounded.h"

#include <exception>

namespace UTrace {

namespace {

// The function name leads the line's format; a '%' in it is doubled so that
// it is shown as it stands instead of being read as a conversion.
std::string FormatFrom(const std::string& functionName, const char* rest)
{
    std::string format;
    format.reserve(functionName.size() + 16);
    for (char c : functionName) {
        format += c;
        if (c == '%') {
            format += '%';
        }
    }
    format += " - ";
    format += rest;
    return format;
}

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
    : mStrSource(gTraceSource),
      mStrFunction(functionName != nullptr ? functionName : ""),
      mResult(0),
      mSavedDepth(gTraceDepth[0]),
      mQuiet(false)
{
}

ITrace::~ITrace()
{
    // Tracing must never take the traced program down: failures while writing
    // the exit line are dropped.
    try {
        gTraceDepth[0] = mSavedDepth;
        if (!mQuiet) {
            if (mStrResult.empty()) {
                WriteFunctionLine(mStrSource.c_str(), FormatFrom(mStrFunction, "return").c_str());
            } else {
                WriteFunctionLine(mStrSource.c_str(), FormatFrom(mStrFunction, "%s").c_str(), mStrResult.c_str());
            }
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
    } else {
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
    if (entryFormat != kSilent) {
        va_list arguments;
        va_start(arguments, entryFormat);
        try {
            const std::string format = FormatFrom(mStrFunction, entryFormat != nullptr ? entryFormat : "enter");
            TalvaneAutoCriticalSection hold(&gTraceLock);
            WriteLine(mStrSource.c_str(), kTraceFunction, gTraceTag, 0, format.c_str(), arguments);
        } catch (const std::exception&) {
        }
        va_end(arguments);
    }
    // Raised also when the entry line was skipped or failed, so that the exit
    // line's restore always matches.
    try {
        ++gTraceDepth[0];
    } catch (const std::exception&) {
    }
}

}  // namespace UTrace
