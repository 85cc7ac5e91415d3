// The library's exception family. Messages come from text items of the
// message catalogue and are held in UTF-8; only what() turns them into the
// system code page.
#pragma once

#include "foundation/text/TalvaneText.h"
#include "foundation/text/Unicode.h"

#include <cstdint>
#include <exception>
#include <string>

class TalvaneException : public std::exception {
public:
    // Takes the item's id and its text in the selected language (markers
    // left as they are), then calls the stack walker.
    explicit TalvaneException(const TalvaneText& item);
    // Takes id, message and stack trace through the source's getters; the
    // what() cache starts empty and the stack walker is not called.
    TalvaneException(const TalvaneException& other);
    TalvaneException& operator=(const TalvaneException& other);

    ~TalvaneException() override;
    // The message in the system code page; never throws (gives "" when the
    // conversion fails). Valid until the next call or the object's end.
    const char* what() const noexcept override;
    // A heap copy of the dynamic class; the caller owns and deletes it.
    virtual TalvaneException* Clone() const;
    virtual const std::string& GetStackTrace() const;
    virtual std::int32_t GetId() const;
    virtual const string8& GetMessageText() const;
    virtual TalvaneException& SetStackTrace(const std::string& stackTrace);
    // Throws a copy of the dynamic class; this object stays as it is.
    [[noreturn]] virtual void Raise() const;

protected:
    // For derived classes that format the message with arguments.
    void SetMessageText(string8 message) { mMessage = std::move(message); }

private:
    std::int32_t mId;
    string8 mMessage;
    std::string mStackTrace;
    mutable std::string mWhat;
};

namespace SystemException {

// An operating-system error code with the system's description of it.
class Win32 : public TalvaneException {
public:
    explicit Win32(std::uint32_t code);
    Win32(const Win32& other);
    Win32& operator=(const Win32& other);

    ~Win32() override;
    Win32* Clone() const override;
    Win32& SetStackTrace(const std::string& stackTrace) override;
    [[noreturn]] void Raise() const override;

    std::uint32_t GetCode() const noexcept { return mCode; }

private:
    std::uint32_t mCode;
};

// The system's description of a Win32 error code without its trailing line
// breaks; "n/a" when the system has none.
std::wstring GetSystemErrorText(std::uint32_t code);

// text without the carriage returns and line feeds at its end; spaces and
// everything else stay.
std::wstring RemoveTrailingLineBreaks(std::wstring text);

}  // namespace SystemException
