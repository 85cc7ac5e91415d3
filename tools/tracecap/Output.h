// Where tracecap's text goes: standard output or standard error (a console
// gets UTF-16, so that any character shows; a file or pipe gets UTF-8), or
// the --out file with the viewer's rotation. Written from one thread.
#pragma once

#include "viewer/log/LogFile.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tracecap {

// Writes UTF-8 text to a standard handle; false, with the last error set, when it could not.
bool WriteStandard(DWORD which, std::string_view text);
// One line on standard error: the last place to report to, so when it is
// gone there is no one left to tell.
void Say(std::string_view line);
// The system's description of an error, in UTF-8.
std::string SystemText(DWORD error);

class Output {
public:
    // Lines that cannot be written wait for the next try up to this much;
    // beyond it they are counted as lost.
    static constexpr std::size_t kMaxWaitingBytes = std::size_t { 64 } << 20;

    // Standard output.
    Output() = default;
    // The file at path, appended to and rotated at limitBytes.
    Output(const std::wstring& path, std::uint64_t limitBytes);

    // Whether the file can be written; 0, or why not.
    DWORD Open();
    // Takes whole lines; they are written at the next Flush.
    std::string& Buffer() { return mWaiting; }
    // Writes what waits; false when some of it could not be written.
    bool Flush(std::uint64_t tick);
    std::uint64_t LostBytes() const { return mLost; }
    DWORD Error() const { return mError; }

private:
    std::optional<tracing::LogFile> mFile;
    std::string mWaiting;
    std::uint64_t mLost = 0;
    DWORD mError = 0;
};

}  // namespace tracecap
