#include "foundation/text/LanguageTable.h"

#include <algorithm>
#include <utility>

namespace languagefile {
namespace {

bool ById(const Entry& a, const Entry& b) noexcept
{
    return a.mId < b.mId;
}

}  // namespace

void LanguageTable::Assign(string8 content, std::vector<Entry> entries)
{
    // Files are usually written in id order; only the rest pays for sorting.
    const bool strictlyAscending = std::adjacent_find(entries.begin(), entries.end(),
                                       [](const Entry& a, const Entry& b) { return a.mId >= b.mId; })
        == entries.end();
    if (!strictlyAscending) {
        std::stable_sort(entries.begin(), entries.end(), ById);
        // Keep the last of each run of equal ids: the line that came last.
        auto out = entries.begin();
        for (auto in = entries.begin(); in != entries.end(); ++in) {
            const auto next = in + 1;
            if (next == entries.end() || next->mId != in->mId) {
                *out++ = *in;
            }
        }
        entries.erase(out, entries.end());
    }
    mContent = std::move(content);
    mIndex = std::move(entries);
}

void LanguageTable::Clear() noexcept
{
    // Without an index nothing in the content is reachable; its bytes stay as
    // the buffer the next file is read over.
    mIndex.clear();
}

void LanguageTable::Release(string8& content, std::vector<Entry>& index) noexcept
{
    Clear();
    content.swap(mContent);
    index.swap(mIndex);
    // What the caller's buffers held before.
    mContent.clear();
    mIndex.clear();
}

string8 LanguageTable::Lookup(std::int32_t id) const
{
    const auto it = std::lower_bound(mIndex.begin(), mIndex.end(), Entry { id, 0, 0 }, ById);
    if (it == mIndex.end() || it->mId != id) {
        return string8();
    }
    return mContent.substr(it->mOffset, it->mLength);
}

string8 LanguageTable::TextAt(std::size_t n) const
{
    const Entry& entry = mIndex.at(n);
    return mContent.substr(entry.mOffset, entry.mLength);
}

}  // namespace languagefile
