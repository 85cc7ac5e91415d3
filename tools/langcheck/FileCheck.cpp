#include "tools/langcheck/FileCheck.h"

#include "foundation/text/LanguageFileGrammar.h"
#include "tools/langcheck/DecodedContent.h"
#include "tools/langcheck/LineDiagnosis.h"
#include "tools/langcheck/Lines.h"
#include "tools/langcheck/Placeholders.h"
#include "tools/langcheck/Utf16Findings.h"
#include "tools/langcheck/Utf8Validity.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <numeric>
#include <optional>
#include <string_view>
#include <vector>

namespace langcheck {
namespace {

using languagefile::Encoding;
using languagefile::Entry;

struct StoredLine {
    std::int32_t mId;
    bool mHasText;
    std::size_t mLine;
};

// For each stored line, the line of the previous one with the same id (0 for none).
std::vector<std::size_t> ReplacedLines(const std::vector<StoredLine>& stored)
{
    std::vector<std::size_t> order(stored.size());
    std::iota(order.begin(), order.end(), std::size_t { 0 });
    std::stable_sort(
        order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return stored[a].mId < stored[b].mId; });
    std::vector<std::size_t> replaced(stored.size(), 0);
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (stored[order[k]].mId == stored[order[k - 1]].mId) {
            replaced[order[k]] = stored[order[k - 1]].mLine;
        }
    }
    return replaced;
}

std::string Hex2(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

class FileChecker {
public:
    FileChecker(const std::string& file, const Reference& reference, const FindingSink& sink)
        : mFile(file)
        , mReference(reference)
        , mSink(sink)
        , mContent(file)
        , mBase(mContent.Base())
    {
    }

    void Run()
    {
        const Encoding encoding = mContent.Encoding();
        if (mFile.empty()) {
            Report(1, Severity::Warning, "the file is empty: every item keeps its English default");
        } else if (encoding == Encoding::None) {
            Report(1, Severity::Error,
                "the file is too short for a signature or byte-order mark: the loader reads nothing from it");
        } else if (encoding == Encoding::Utf16LittleEndian
            && !(static_cast<unsigned char>(mFile[0]) == 0xFF && static_cast<unsigned char>(mFile[1]) == 0xFE)) {
            Report(1, Severity::Error,
                "no signature or byte-order mark: the loader reads the file as UTF-16 little-endian without its "
                "first two bytes; save it as UTF-8 with signature (BOM) or as UTF-16 with byte-order mark");
        }
        if (encoding == Encoding::Utf16LittleEndian || encoding == Encoding::Utf16BigEndian) {
            mUtf16.emplace(mFile, encoding == Encoding::Utf16BigEndian);
        }
        CollectStoredLines();
        const std::size_t lastLine = ForEachLine(mBase, mContent.Begin(), mContent.End(),
            [this](std::size_t number, std::size_t begin, std::size_t end) { CheckLine(number, begin, end); });
        ReportUtf16Through(SIZE_MAX);
        // The summary comes last, even after a NUL that ends the text past the last line.
        ReportUntranslated(std::max(lastLine, mLastLine));
    }

private:
    void Report(std::size_t line, Severity severity, std::string text)
    {
        Emit(Finding { line, severity, std::move(text) });
    }
    void Emit(const Finding& finding)
    {
        mLastLine = std::max(mLastLine, finding.mLine);
        mSink(finding);
    }

    void CollectStoredLines()
    {
        ForEachLine(
            mBase, mContent.Begin(), mContent.End(), [this](std::size_t number, std::size_t begin, std::size_t end) {
                mEntries.clear();
                languagefile::ParseContent(mBase, begin, end, mEntries);
                if (!mEntries.empty()) {
                    mStored.push_back(StoredLine { mEntries.front().mId, mEntries.front().mLength != 0, number });
                }
            });
        mReplaced = ReplacedLines(mStored);
        // A later line replaces an earlier one, so the last line of an id decides.
        for (const StoredLine& stored : mStored) {
            if (mReference.Find(stored.mId) != nullptr) {
                mTranslated[stored.mId] = stored.mHasText;
            }
        }
    }

    void ReportUtf16Through(std::size_t line)
    {
        Finding finding;
        while (mUtf16 && mUtf16->NextPlace() <= line && mUtf16->Next(finding)) {
            Emit(finding);
        }
    }

    void CheckLine(std::size_t number, std::size_t begin, std::size_t end)
    {
        ReportUtf16Through(number);
        const unsigned char* const line = mBase + begin;
        const unsigned char* const lineEnd = mBase + end;
        const auto* nul = static_cast<const unsigned char*>(std::memchr(line, 0, end - begin));
        const unsigned char* const usableEnd = nul != nullptr ? nul : lineEnd;
        const bool cutText = nul != nullptr && std::any_of(nul, lineEnd, [](unsigned char c) { return c != 0; });
        if (usableEnd == line) {
            if (cutText) {
                Report(number, Severity::Error, "the line starts with a NUL byte: the loader ignores this line");
            }
            return;
        }
        if (*line == ';' || *line == '#') {
            return;
        }
        mEntries.clear();
        languagefile::ParseContent(mBase, begin, end, mEntries);
        if (mEntries.empty()) {
            if (!std::all_of(line, usableEnd, IsBlank)) {
                Report(number, Severity::Error, IgnoredLineReason(line, usableEnd));
            }
            return;
        }
        const Entry& entry = mEntries.front();
        const std::size_t replaced = mReplaced[mStoredIndex++];
        if (cutText) {
            Report(number, Severity::Error,
                "a NUL byte cuts the line at column " + std::to_string(nul - line + 1)
                    + ": the loader ignores the rest of it");
        }
        CheckIdAndSpacing(number, line, usableEnd, entry);
        const std::string_view text(reinterpret_cast<const char*>(mBase + entry.mOffset), entry.mLength);
        if (mContent.Encoding() == Encoding::Utf8) {
            const std::size_t bad = FirstInvalidUtf8(mBase + entry.mOffset, entry.mLength);
            if (bad != entry.mLength) {
                Report(number, Severity::Error,
                    "invalid UTF-8 in the text (byte " + Hex2(mBase[entry.mOffset + bad]) + " at column "
                        + std::to_string(entry.mOffset + bad - begin + 1) + ")");
            }
        }
        if (replaced != 0) {
            Report(number, Severity::Warning,
                "id " + std::to_string(entry.mId) + " appeared before on line " + std::to_string(replaced)
                    + ": this line replaces that text");
        }
        CheckAgainstReference(number, entry.mId, text);
    }

    void CheckIdAndSpacing(
        std::size_t number, const unsigned char* line, const unsigned char* usableEnd, const Entry& entry)
    {
        const IdReading id = ReadId(line, usableEnd);
        const unsigned char* const text = mBase + entry.mOffset;
        if (entry.mLength != 0 && id.mEnd == text) {
            Report(number, Severity::Warning,
                "no whitespace between the id and its text: the id reads as " + IdAsRead(id));
        } else if (std::string runIn = HexRunInWarning(line, id); !runIn.empty()) {
            Report(number, Severity::Warning, std::move(runIn));
        }
        if (entry.mLength == 0) {
            Report(number, Severity::Warning, "empty text: the item keeps its English default");
        } else if (std::find(text + entry.mLength, usableEnd, '\t') != usableEnd) {
            Report(number, Severity::Warning, "the loader removes the whitespace at the end of the text, tab included");
        }
    }

    void CheckAgainstReference(std::size_t number, std::int32_t id, std::string_view text)
    {
        const std::string* const wanted = mReference.Find(id);
        if (wanted == nullptr) {
            Report(number, Severity::Warning,
                "id " + std::to_string(id)
                    + (mReference.IsCatalogue() ? " is not an item of the library's catalogue"
                                                : " is not in the reference"));
            return;
        }
        if (text.empty()) {
            return;
        }
        const PlaceholderDifference difference = ComparePlaceholders(*wanted, text);
        const std::string name = mReference.TextName();
        for (unsigned n = 0; n < kMaxArguments; ++n) {
            if (difference.mMissing >> n & 1) {
                Report(number, Severity::Error, "the text lacks placeholder %" + std::to_string(n) + " of " + name);
            }
        }
        for (unsigned n = 0; n < kMaxArguments; ++n) {
            if (difference.mAdded >> n & 1) {
                Report(number, Severity::Error, "placeholder %" + std::to_string(n) + " is not in " + name);
            }
        }
    }

    void ReportUntranslated(std::size_t lastLine)
    {
        std::string ids;
        std::size_t count = 0;
        for (const auto& [id, text] : mReference.Texts()) {
            if (const auto it = mTranslated.find(id); it == mTranslated.end() || !it->second) {
                ids += (count++ == 0 ? "" : ", ") + std::to_string(id);
            }
        }
        if (count == 0) {
            return;
        }
        const bool one = count == 1;
        std::string text = std::to_string(count);
        if (mReference.IsCatalogue()) {
            text += one ? " item of the library's catalogue has" : " items of the library's catalogue have";
        } else {
            text += one ? " id of the reference has" : " ids of the reference have";
        }
        Report(lastLine, Severity::Warning, text + " no translation here: " + ids);
    }

    const std::string& mFile;
    const Reference& mReference;
    const FindingSink& mSink;
    const DecodedContent mContent;
    const unsigned char* const mBase;
    std::optional<Utf16Findings> mUtf16;
    std::vector<Entry> mEntries;  // one line's entry, reused
    std::vector<StoredLine> mStored;
    std::vector<std::size_t> mReplaced;
    std::size_t mStoredIndex = 0;
    std::size_t mLastLine = 1;  // of the findings so far
    std::map<std::int32_t, bool> mTranslated;  // reference ids only: whether the file's last line gives a text
};

}  // namespace

void CheckLanguageFile(const std::string& file, const Reference& reference, const FindingSink& sink)
{
    FileChecker(file, reference, sink).Run();
}

}  // namespace langcheck
