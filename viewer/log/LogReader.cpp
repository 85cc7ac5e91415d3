#include "viewer/log/LogReader.h"

#include "foundation/resources/UniqueResource.h"
#include "viewer/log/LogFormat.h"

#include <string_view>
#include <vector>

namespace {

constexpr DWORD kChunkBytes = 1 << 20;

class LineReader {
public:
    explicit LineReader(LineStore& store)
        : mStore(store)
    {
    }

    void Take(std::string_view line)
    {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (mResult.lines == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") {
            line.remove_prefix(3);  // a byte-order mark an editor may have added
        }
        ++mResult.lines;
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
            mStore.Add(view);
            return;
        }
        ++mResult.malformed;
        view.time = mTime;
        view.text = line;
        mStore.Add(view);
    }
    LogReadResult& Result() { return mResult; }

private:
    LineStore& mStore;
    LogReadResult mResult;
    std::int64_t mTime = 0;
};

}  // namespace

LogReadResult ReadLogFile(const std::wstring& path, LineStore& store)
{
    LineReader reader(store);
    const resources::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        reader.Result().error = ::GetLastError();
        return reader.Result();
    }
    std::string pending;
    std::vector<char> chunk(kChunkBytes);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), chunk.data(), kChunkBytes, &read, nullptr)) {
            reader.Result().error = ::GetLastError();
            break;
        }
        if (read == 0) {
            break;
        }
        pending.append(chunk.data(), read);
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            reader.Take(std::string_view(pending).substr(start, end - start));
        }
        pending.erase(0, start);
    }
    if (!pending.empty()) {
        reader.Take(pending);
    }
    return reader.Result();
}
