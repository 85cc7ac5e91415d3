#include "foundation/errors/TalvaneException.h"

#include "foundation/errors/CatalogueDefaults.h"
#include "foundation/errors/MessageCatalogue.h"
#include "foundation/errors/StackWalker.h"
#include "foundation/text/FormatBounded.h"

#include <utility>
#include <vector>

// The catalogue lives in this file because every user of the exception family
// links it: items in a file of their own would be dropped by the linker when
// nothing names them, and a language file could then not translate them.
// Definition order is construction order: -1, -2, -3, -4, -11, -12, -14, -15.
// Ids and texts come from CatalogueDefaults.h, where tools read them too.
const TalvaneText gErrMemoryAllocation(catalogue::kMemoryAllocation.mId, catalogue::kMemoryAllocation.mText);
const TalvaneText gErrInternalSoftware(catalogue::kInternalSoftware.mId, catalogue::kInternalSoftware.mText);
const TalvaneText gErrRuntime(catalogue::kRuntime.mId, catalogue::kRuntime.mText);
const TalvaneText gErrUnknown(catalogue::kUnknown.mId, catalogue::kUnknown.mText);
const TalvaneText gErrOperatingSystem(catalogue::kOperatingSystem.mId, catalogue::kOperatingSystem.mText);
const TalvaneText gErrWin32(catalogue::kWin32.mId, catalogue::kWin32.mText);
const TalvaneText gErrHresult(catalogue::kHresult.mId, catalogue::kHresult.mText);
const TalvaneText gErrMmresult(catalogue::kMmresult.mId, catalogue::kMmresult.mText);

TalvaneException::TalvaneException(const TalvaneText& item)
    : std::exception()
    , mId(item.GetId())
    , mMessage(item.GetText())
{
    StackWalker::WalkCurrentStack();
}

TalvaneException::TalvaneException(const TalvaneException& other)
    : std::exception()
    , mId(other.GetId())
    , mMessage(other.GetMessageText())
    , mStackTrace(other.GetStackTrace())
{
}

TalvaneException& TalvaneException::operator=(const TalvaneException& other)
{
    if (this != &other) {
        string8 message = other.GetMessageText();
        std::string stackTrace = other.GetStackTrace();
        mId = other.GetId();
        mMessage = std::move(message);
        mStackTrace = std::move(stackTrace);
        mWhat.clear();
    }
    return *this;
}

TalvaneException::~TalvaneException() = default;

const char* TalvaneException::what() const noexcept
{
    try {
        std::string narrow = unicode::to_string(mMessage);
        // Swapping cannot fail, so a failed conversion leaves the old cache.
        mWhat.swap(narrow);
        return mWhat.c_str();
    } catch (const std::exception&) {
        return "";
    }
}

TalvaneException* TalvaneException::Clone() const
{
    return new TalvaneException(*this);
}

const std::string& TalvaneException::GetStackTrace() const
{
    return mStackTrace;
}

std::int32_t TalvaneException::GetId() const
{
    return mId;
}

const string8& TalvaneException::GetMessageText() const
{
    return mMessage;
}

TalvaneException& TalvaneException::SetStackTrace(const std::string& stackTrace)
{
    mStackTrace = stackTrace;
    return *this;
}

void TalvaneException::Raise() const
{
    throw TalvaneException(*this);
}

namespace SystemException {

Win32::Win32(std::uint32_t code)
    : TalvaneException(gErrWin32)
    , mCode(code)
{
    char hex[16];
    FormatBounded(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    std::vector<string8> arguments;
    arguments.reserve(2);
    arguments.push_back(unicode::to_string8(std::string(hex)));
    arguments.push_back(unicode::to_string8(GetSystemErrorText(code)));
    SetMessageText(gErrWin32.Format(arguments));
}

Win32::Win32(const Win32& other)
    : TalvaneException(other)
    , mCode(other.mCode)
{
}

Win32& Win32::operator=(const Win32& other)
{
    TalvaneException::operator=(other);
    mCode = other.mCode;
    return *this;
}

Win32::~Win32() = default;

Win32* Win32::Clone() const
{
    return new Win32(*this);
}

Win32& Win32::SetStackTrace(const std::string& stackTrace)
{
    TalvaneException::SetStackTrace(stackTrace);
    return *this;
}

void Win32::Raise() const
{
    throw Win32(*this);
}

}  // namespace SystemException
