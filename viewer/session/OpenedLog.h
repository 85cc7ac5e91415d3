// An opened file shown by the session: where its lines end is found on a
// thread of its own (FileIndexing); here the line ends go into the index,
// and the indexed lines are admitted into the store a slice at a time, each
// paired into function scopes as it comes, so that the first page shows at
// once and the window keeps answering however large the file. A file read
// again from its start (truncated or replaced) starts the store again.
#pragma once

#include "viewer/file/FileIndexing.h"
#include "viewer/file/FileLines.h"
#include "viewer/file/LineIndex.h"
#include "viewer/store/LineStore.h"
#include "viewer/view/ScopeDurations.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tracing {

class OpenedLog {
public:
    // Lines beyond this many are not indexed: each costs a few bytes of
    // memory, and a file of empty lines has as many lines as bytes.
    static constexpr std::uint64_t kMaxLines = std::uint64_t { 1 } << (sizeof(void*) == 8 ? 30 : 27);

    OpenedLog(LineStore& store, ScopeDurations& durations, std::uint64_t maxLines = kMaxLines)
        : mStore(store)
        , mDurations(durations)
        , mMaxLines(maxLines)
    {
    }
    OpenedLog(const OpenedLog&) = delete;
    OpenedLog& operator=(const OpenedLog&) = delete;

    void Start(std::wstring path, bool follow);
    // Stops the indexing thread at once.
    void Stop() noexcept { mIndexing.Stop(); }
    bool Started() const { return mIndexing.Started(); }
    bool Following() const { return mFollow; }

    // Takes in the line ends found, and admits at most maxLines lines into
    // the store. True when the file began again: every line before is gone.
    bool Work(std::size_t maxLines);
    // Lines indexed and not yet admitted.
    bool Waiting() const { return mIndex && mStore.End() < mIndex->Lines(); }
    std::uint64_t IndexedLines() const { return mIndex ? mIndex->Lines() : 0; }
    // Whether indexing stopped at its most lines, or when memory ran out.
    bool Capped() const { return mCapped; }
    std::size_t IndexBytes() const { return mIndex ? mIndex->MemoryBytes() : 0; }

    FileIndexing::Progress Progress() const { return mIndexing.GetProgress(); }
    // What reading the admitted lines found; nothing before the file is open.
    std::optional<FileLines::Counts> Counts() const;
    // The whole text of a held line that was cut for showing; nothing for
    // other lines, and when it cannot be read.
    std::optional<std::string> CutText(std::uint64_t sequence) const;

private:
    LineStore& mStore;
    ScopeDurations& mDurations;
    FileIndexing mIndexing;
    std::uint64_t mMaxLines;
    bool mFollow = false;
    bool mCapped = false;
    std::unique_ptr<LineIndex> mIndex;
    std::shared_ptr<FileLines> mLines;
};

}  // namespace tracing
