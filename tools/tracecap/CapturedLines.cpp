#include "tools/tracecap/CapturedLines.h"

#include <utility>

namespace tracecap {

std::size_t CapturedLines::CostOf(const Captured& line)
{
    return sizeof(Captured) + line.process.size() + line.source.size() + line.text.size();
}

bool CapturedLines::Add(Captured line)
{
    const std::size_t cost = CostOf(line);
    std::lock_guard<std::mutex> hold(mLock);
    if (mWaitingBytes + cost > kMaxWaitingBytes) {
        ++mLost;
        return false;
    }
    mLines.push_back(std::move(line));
    mWaitingBytes += cost;
    return true;
}

std::vector<Captured> CapturedLines::Take()
{
    std::vector<Captured> taken;
    std::lock_guard<std::mutex> hold(mLock);
    taken.swap(mLines);
    mWaitingBytes = 0;
    return taken;
}

std::uint64_t CapturedLines::Lost() const
{
    std::lock_guard<std::mutex> hold(mLock);
    return mLost;
}

}  // namespace tracecap
