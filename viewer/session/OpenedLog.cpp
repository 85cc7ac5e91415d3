#include "viewer/session/OpenedLog.h"

#include <new>

namespace tracing {

void OpenedLog::Start(std::wstring path, bool follow)
{
    mFollow = follow;
    mCapped = false;
    mIndexing.Start(std::move(path), follow);
}

bool OpenedLog::Work(std::size_t maxLines)
{
    bool restarted = false;
    for (FileIndexing::Batch& batch : mIndexing.Take()) {
        if (batch.file) {
            restarted = restarted || mIndex != nullptr;
            // The store lets go of the old lines before the index they are read through.
            mStore.Attach(nullptr);
            mDurations.Clear();
            mIndex = std::make_unique<LineIndex>(batch.file->Start());
            mLines = std::make_shared<FileLines>(batch.file, *mIndex);
            mStore.Attach(mLines);
        }
        if (mCapped) {
            continue;
        }
        try {
            for (const std::uint64_t end : batch.ends) {
                if (mIndex->Lines() == mMaxLines) {
                    throw std::bad_alloc();
                }
                mIndex->Add(end);
            }
        } catch (const std::bad_alloc&) {
            // What is indexed stays shown; the rest of the file is not read.
            mCapped = true;
            mIndexing.Stop();
        }
    }
    // The caller clears what it showed before any line of the new file comes.
    if (!mIndex || restarted) {
        return restarted;
    }
    const std::uint64_t from = mStore.End();
    const std::uint64_t to = std::min<std::uint64_t>(mIndex->Lines(), from + maxLines);
    mStore.Admit(to);
    for (std::uint64_t sequence = from; sequence < to; ++sequence) {
        // A saved log's lines have no stamps of their own: their time stands in.
        const LineRecord& record = mStore.Record(sequence);
        mDurations.Add(sequence, record.origin, record.kind, mStore.Text(record),
            PairingSender(record.origin, record.pid, 0), record.time);
    }
    return restarted;
}

std::optional<FileLines::Counts> OpenedLog::Counts() const
{
    if (!mLines) {
        return std::nullopt;
    }
    return mLines->GetCounts();
}

std::optional<std::string> OpenedLog::CutText(std::uint64_t sequence) const
{
    if (!mLines || !mIndex || sequence >= mIndex->Lines()) {
        return std::nullopt;
    }
    const LineIndex::Span span = mIndex->At(sequence);
    if (span.end - span.begin <= FileLines::kMaxLineBytes) {
        return std::nullopt;
    }
    return mLines->WholeText(sequence);
}

}  // namespace tracing
