// The lines of an opened file, read back from it through its index for the
// store: each line's bytes in the file's encoding become UTF-8, and a line
// in the log format gives its fields; any other is a debug line of its whole
// text, at the time of the line in the format before it on its page. A
// line longer than kMaxLineBytes is read only that far.
#pragma once

#include "viewer/file/LineIndex.h"
#include "viewer/file/OpenedFile.h"
#include "viewer/pattern/LiteralFinder.h"
#include "viewer/store/LineSource.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tracing {

class FileLines final : public LineSource {
public:
    // The bytes of a line read at most, as a saved log's longest line needs.
    static constexpr std::size_t kMaxLineBytes = LineStore::kMaxTextBytes + 1024;
    // Lines of a page closer together than this are read at once.
    static constexpr std::size_t kOneReadBytes = std::size_t { 1 } << 20;

    // index: the file's, which the caller keeps and adds to.
    FileLines(std::shared_ptr<const OpenedFile> file, const LineIndex& index)
        : mFile(std::move(file))
        , mIndex(index)
    {
    }

    void Read(std::uint64_t first, std::size_t count, const std::function<void(const LineView&)>& take) override;
    // Text of single bytes only, where an ASCII literal has the same bytes
    // whether a line is UTF-8 or in the ANSI code page.
    std::optional<std::uint64_t> FindCandidates(std::string_view literal, bool matchCase, std::uint64_t first,
        std::uint64_t end, std::size_t maxBytes, std::vector<std::uint64_t>& lines) override;

    // Counted once a line, the first time it is read, in order: lines not in
    // the log format, lines cut at kMaxLineBytes, and lines that could not
    // be read (with the last reason).
    struct Counts {
        std::uint64_t lines = 0;  // read at least once, from the first on
        std::uint64_t malformed = 0;
        std::uint64_t cut = 0;
        std::uint64_t unreadable = 0;
        DWORD error = 0;
    };
    const Counts& GetCounts() const { return mCounts; }

    // The whole of a line as UTF-8 (for copying and saving it), up to
    // kMaxWholeBytes; nothing when it is longer, or cannot be read or held.
    static constexpr std::uint64_t kMaxWholeBytes = std::uint64_t { sizeof(void*) == 8 ? 1024 : 128 } << 20;
    std::optional<std::string> WholeText(std::uint64_t line) const;

private:
    // The line's bytes without its line end, at most limit of them; false when unreadable.
    bool LineBytes(const LineIndex::Span& span, std::size_t limit, std::string& raw, bool& cut) const;
    static std::size_t LineEndBytes(std::string_view raw, TextEncoding encoding);
    // Whether the bytes [begin, end) are in mBytes, read now when they are not.
    bool Buffer(std::uint64_t begin, std::uint64_t end);

    std::shared_ptr<const OpenedFile> mFile;
    const LineIndex& mIndex;
    Counts mCounts;
    std::vector<LineIndex::Span> mSpans;
    // The file's bytes from mBufferAt, read ahead of the pages asked for.
    std::string mBytes;
    std::uint64_t mBufferAt = 0;
    std::string mRaw;
    std::string mText;
    std::string mScan;  // the bytes find looks through
    pattern::LiteralFinder mFinder;
    mutable DWORD mError = 0;
};

}  // namespace tracing
