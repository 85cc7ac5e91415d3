// The texts of one language by id: the decoded file content kept whole, with
// an index sorted by id into it. One allocation per load instead of one per
// entry, and none where the last load's memory is large enough, keeps
// loading a large file close to the cost of reading it.
#pragma once

#include "foundation/text/LanguageFileGrammar.h"
#include "foundation/text/Unicode.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace languagefile {

class LanguageTable {
public:
    // Replaces the contents. Entries point into content; among entries with
    // the same id the later one wins, as if each line were assigned in turn.
    void Assign(string8 content, std::vector<Entry> entries);
    // Empties the table; its memory is kept for the next load.
    void Clear() noexcept;
    // Empties the table and hands over its buffers for the next file to be
    // read and indexed in (the index emptied, the content still holding its
    // old bytes): on a large file, first touching fresh memory costs about as
    // much as the read itself.
    void Release(string8& content, std::vector<Entry>& index) noexcept;

    // A copy of the text for id; empty when there is none.
    [[nodiscard]] string8 Lookup(std::int32_t id) const;
    [[nodiscard]] std::size_t Size() const noexcept { return mIndex.size(); }
    // The id and text of the n-th entry in ascending id order.
    [[nodiscard]] std::int32_t IdAt(std::size_t n) const { return mIndex.at(n).mId; }
    [[nodiscard]] string8 TextAt(std::size_t n) const;

private:
    string8 mContent;
    std::vector<Entry> mIndex;  // ascending ids, one per id
};

}  // namespace languagefile
