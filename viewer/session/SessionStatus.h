// The texts of the viewer's status bar, part by part, and the notes the
// session keeps showing until later ones push them out. A note is never a
// box that waits for a click, so that automation is not stopped.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

namespace tracing {

// The status bar's parts, left to right.
enum StatusPart : int {
    kStatusCounts = 0,  // lines held, dropped, rejected, lost...
    kStatusCapture = 1,  // capture; in a window showing a saved log, the reading
    kStatusFind = 2,
    kStatusLog = 3,  // the log, then the notes
};
inline constexpr std::size_t kStatusParts = 4;

inline constexpr wchar_t kCaptureOnText[] = L"Capturing debug output";
inline constexpr wchar_t kCaptureTakenText[] = L"Debug output is captured by another program";
inline constexpr wchar_t kCaptureOffText[] = L"Debug output capture is off";
// Between the pieces of one part.
inline constexpr wchar_t kStatusGap[] = L"    ";

// Why a file cannot be used, for the status bar: the system's text, but for
// a device or a pipe (refused with ERROR_BAD_FILE_TYPE), whose system text
// speaks of blocked file types, where there is one at all.
std::wstring FileErrorText(std::uint32_t error);

class SessionStatus {
public:
    static constexpr std::size_t kShownNotes = 3;

    const std::array<std::wstring, kStatusParts>& Texts() const { return mTexts; }
    // Whether a part changed since the last call.
    bool TakeChanged() { return std::exchange(mChanged, false); }
    void Set(StatusPart part, std::wstring text);
    void Note(std::wstring text);
    // The notes, newest last, joined for the log part.
    std::wstring Notes() const;

private:
    std::array<std::wstring, kStatusParts> mTexts;
    std::deque<std::wstring> mNotes;
    bool mChanged = false;
};

}  // namespace tracing
