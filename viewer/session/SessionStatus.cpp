#include "viewer/session/SessionStatus.h"

#include "foundation/errors/TalvaneException.h"

#include <windows.h>

namespace tracing {

std::wstring FileErrorText(std::uint32_t error)
{
    return error == ERROR_BAD_FILE_TYPE ? L"it is a device or a pipe, not a file on disk"
                                        : SystemException::GetSystemErrorText(error);
}

void SessionStatus::Set(StatusPart part, std::wstring text)
{
    if (mTexts[part] != text) {
        mTexts[part] = std::move(text);
        mChanged = true;
    }
}

void SessionStatus::Note(std::wstring text)
{
    mNotes.push_back(std::move(text));
    if (mNotes.size() > kShownNotes) {
        mNotes.pop_front();
    }
}

std::wstring SessionStatus::Notes() const
{
    std::wstring notes;
    for (const std::wstring& note : mNotes) {
        notes += notes.empty() ? L"" : kStatusGap;
        notes += note;
    }
    return notes;
}

}  // namespace tracing
