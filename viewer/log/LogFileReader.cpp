#include "viewer/log/LogFileReader.h"

#include "foundation/resources/UniqueResource.h"
#include "viewer/log/LogFormat.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <vector>

namespace tracing {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Within a chunk of short lines, how often a cancel is looked for.
constexpr std::uint64_t kLinesPerCancelCheck = 4096;

// Hands lines on as entries, or as debug lines when they are not in the format.
class LineTaker {
public:
    LineTaker(const std::function<void(const LineView&)>& take, LogReadResult& result)
        : mTake(take)
        , mResult(result)
    {
    }

    void Take(std::string_view line, bool cut)
    {
        ++mResult.lines;
        if (cut) {
            ++mResult.cut;
        }
        LineView view;
        if (const auto entry = ParseLogLine(line)) {
            mTime = entry->time;
            view.time = entry->time;
            view.pid = entry->pid;
            view.origin = entry->origin;
            view.kind = entry->kind;
            view.process = entry->process;
            view.source = entry->source;
            view.text = entry->text;
            mTake(view);
            return;
        }
        ++mResult.malformed;
        view.time = mTime;
        view.text = line;
        mTake(view);
    }

private:
    const std::function<void(const LineView&)>& mTake;
    LogReadResult& mResult;
    std::int64_t mTime = 0;
};

}  // namespace

LogReadResult LogFileReader::Read(const std::wstring& path, const std::function<void(const LineView&)>& take)
{
    LogReadResult result;
    mBytesRead = 0;
    mTotalBytes = 0;
    if (mCancelled) {
        result.cancelled = true;
        return result;
    }
    const resources::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        result.error = ::GetLastError();
        return result;
    }
    // A console, a pipe or another device may never answer a read.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        result.error = ERROR_BAD_FILE_TYPE;
        return result;
    }
    LARGE_INTEGER size = {};
    if (::GetFileSizeEx(file.get(), &size)) {
        mTotalBytes = static_cast<std::uint64_t>(size.QuadPart);
    }

    try {
        LineTaker taker(take, result);
        std::vector<char> chunk(kChunkBytes);
        std::string line;  // the line so far, at most kMaxLineBytes
        line.reserve(kMaxLineBytes);
        bool cut = false;  // the line was cut: the rest of it is skipped
        bool afterCr = false;  // a line just ended at a CR: a LF right after belongs to it
        bool first = true;
        for (;;) {
            if (mCancelled) {
                result.cancelled = true;
                return result;
            }
            DWORD read = 0;
            if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(kChunkBytes), &read, nullptr)) {
                result.error = ::GetLastError();
                break;
            }
            if (read == 0) {
                break;
            }
            mBytesRead += read;
            std::string_view bytes(chunk.data(), read);
            if (first && bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
                bytes.remove_prefix(kByteOrderMark.size());  // an editor may have added it
            }
            first = false;
            // The next LF and CR at or after pos, each found again only once passed:
            // every byte is looked at once, however the lines end.
            std::size_t lf = bytes.find('\n');
            std::size_t cr = bytes.find('\r');
            for (std::size_t pos = 0; pos < bytes.size();) {
                if (afterCr) {
                    afterCr = false;
                    if (bytes[pos] == '\n') {
                        ++pos;
                        continue;
                    }
                }
                if (lf != std::string_view::npos && lf < pos) {
                    lf = bytes.find('\n', pos);
                }
                if (cr != std::string_view::npos && cr < pos) {
                    cr = bytes.find('\r', pos);
                }
                const std::size_t end = std::min(lf, cr);
                const std::size_t piece = (end == std::string_view::npos ? bytes.size() : end) - pos;
                if (!cut) {
                    const std::size_t room = kMaxLineBytes - line.size();
                    cut = piece > room;
                    line.append(bytes.data() + pos, std::min(piece, room));
                }
                if (end == std::string_view::npos) {
                    break;  // the line goes on in the next chunk
                }
                afterCr = bytes[end] == '\r';
                taker.Take(line, cut);
                line.clear();
                cut = false;
                pos = end + 1;
                if (result.lines % kLinesPerCancelCheck == 0 && mCancelled) {
                    result.cancelled = true;
                    return result;
                }
            }
        }
        if (!line.empty() || cut) {
            taker.Take(line, cut);  // the last line, without a line end
        }
    } catch (const std::bad_alloc&) {
        result.error = ERROR_NOT_ENOUGH_MEMORY;
    }
    return result;
}

}  // namespace tracing
