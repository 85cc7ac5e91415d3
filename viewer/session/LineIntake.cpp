#include "viewer/session/LineIntake.h"

#include "foundation/text/Unicode.h"

namespace tracing {

namespace {

// A waiting reader looks again this often, so that a stop is seen soon.
constexpr auto kRoomWait = std::chrono::milliseconds(50);

}  // namespace

bool LineIntake::TryQueue(const LineView& line, LineArrival arrival)
{
    const std::size_t bytes = line.process.size() + line.source.size() + line.text.size();
    std::lock_guard<std::mutex> hold(mLock);
    if (mQueue.bytes.size() + bytes + sizeof(Queued) * mQueue.lines.size() > kMaxQueuedBytes) {
        return false;
    }
    const std::size_t before = mQueue.bytes.size();
    try {
        mQueue.bytes.append(line.process).append(line.source).append(line.text);
        mQueue.lines.push_back({ line.time, arrival.stamp, line.pid, arrival.thread, line.kind, line.origin,
            static_cast<std::uint32_t>(line.process.size()), static_cast<std::uint32_t>(line.source.size()),
            static_cast<std::uint32_t>(line.text.size()), arrival.clears });
    } catch (...) {
        mQueue.bytes.resize(before);
        throw;
    }
    return true;
}

void LineIntake::Add(const LineView& line, LineArrival arrival) noexcept
{
    try {
        if (mLog != nullptr) {
            mLog->Append(line);
        }
        if (!TryQueue(line, arrival)) {
            ++mLost;
        }
    } catch (...) {
        ++mLost;
    }
}

bool LineIntake::AddWaiting(const LineView& line, const std::atomic<bool>& stop) noexcept
{
    try {
        while (!stop.load()) {
            if (TryQueue(line, {})) {
                return true;
            }
            std::unique_lock<std::mutex> hold(mLock);
            mRoom.wait_for(hold, kRoomWait);
        }
    } catch (...) {
        ++mLost;
    }
    return false;
}

void LineIntake::AddDebugLine(const JoinedLine& line) noexcept
{
    try {
        thread_local std::string text;
        text.clear();
        unicode::append_debug_text_as_utf8(text, line.text);
        LineView view;
        view.time = line.time;
        view.pid = line.pid;
        view.origin = LineOrigin::Debug;
        view.process = line.process;
        view.text = text;
        Add(view, { line.stamp, 0, line.text == kClearCommand });
    } catch (...) {
        ++mLost;
    }
}

void LineIntake::AddRecord(const ReceivedRecord& record, std::int64_t time, std::uint32_t pid,
    std::string_view process, LineArrival arrival) noexcept
{
    try {
        thread_local std::string source;
        thread_local std::string text;
        source.clear();
        text.clear();
        unicode::append_ansi_as_utf8(source, record.source);
        unicode::append_ansi_as_utf8(text, record.text);
        LineView view;
        view.time = time;
        view.pid = pid;
        view.origin = LineOrigin::Record;
        view.kind = record.kind;
        view.process = process;
        view.source = source;
        view.text = text;
        Add(view, arrival);
    } catch (...) {
        ++mLost;
    }
}

std::size_t LineIntake::MoveInto(LineStore& store, std::size_t maxLines, ScopeDurations* durations) noexcept
{
    bool clearAsked = false;
    return MoveInto(store, maxLines, durations, clearAsked);
}

std::size_t LineIntake::MoveInto(
    LineStore& store, std::size_t maxLines, ScopeDurations* durations, bool& clearAsked) noexcept
{
    std::size_t moved = 0;
    while (moved < maxLines && !clearAsked) {
        if (mTaking.next == mTaking.lines.size()) {
            mTaking.Clear();
            {
                std::lock_guard<std::mutex> hold(mLock);
                if (mQueue.lines.empty()) {
                    break;
                }
                std::swap(mTaking, mQueue);
            }
            mRoom.notify_all();
        }
        const Queued& queued = mTaking.lines[mTaking.next++];
        const std::string_view bytes = std::string_view(mTaking.bytes).substr(mTaking.nextByte);
        LineView line;
        line.time = queued.time;
        line.pid = queued.pid;
        line.kind = queued.kind;
        line.origin = queued.origin;
        line.process = bytes.substr(0, queued.processBytes);
        line.source = bytes.substr(queued.processBytes, queued.sourceBytes);
        line.text = bytes.substr(queued.processBytes + queued.sourceBytes, queued.textBytes);
        mTaking.nextByte += queued.processBytes + queued.sourceBytes + queued.textBytes;
        if (queued.clears) {
            clearAsked = true;
            continue;
        }
        try {
            store.Add(line);
            ++moved;
        } catch (...) {
            ++mLost;
            continue;
        }
        if (durations != nullptr) {
            // Lines of a saved log have no stamp: their time stands in.
            durations->Add(store.End() - 1, line.origin, line.kind, line.text,
                PairingSender(line.origin, line.pid, queued.thread), queued.stamp != 0 ? queued.stamp : line.time);
        }
    }
    return moved;
}

bool LineIntake::Waiting() const
{
    if (mTaking.next < mTaking.lines.size()) {
        return true;
    }
    std::lock_guard<std::mutex> hold(mLock);
    return !mQueue.lines.empty();
}

void LineIntake::Drop()
{
    mTaking.Clear();
    std::lock_guard<std::mutex> hold(mLock);
    mQueue.Clear();
    mRoom.notify_all();
}

}  // namespace tracing
