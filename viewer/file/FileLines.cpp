#include "viewer/file/FileLines.h"

#include "foundation/text/Unicode.h"
#include "viewer/log/LogFormat.h"

#include <algorithm>
#include <new>

namespace tracing {

namespace {

// A line cut short may end inside a character: its last one goes whole.
std::string_view DropLastCharacter(std::string_view raw, TextEncoding encoding)
{
    if (encoding != TextEncoding::Bytes) {
        return raw.substr(0, raw.size() & ~std::size_t { 1 });
    }
    std::size_t end = raw.size();
    while (end > 0 && (static_cast<unsigned char>(raw[end - 1]) & 0xC0) == 0x80) {
        --end;
    }
    if (end > 0 && static_cast<unsigned char>(raw[end - 1]) >= 0xC0) {
        --end;
    }
    return raw.substr(0, end == 0 ? raw.size() : end);
}

}  // namespace

std::size_t FileLines::LineEndBytes(std::string_view raw, TextEncoding encoding)
{
    const std::size_t unit = UnitBytes(encoding);
    const auto unitAt = [&](std::size_t fromEnd) -> unsigned {
        const std::size_t at = raw.size() - fromEnd * unit;
        if (encoding == TextEncoding::Bytes) {
            return static_cast<unsigned char>(raw[at]);
        }
        return Utf16Unit(raw[at], raw[at + 1], encoding);
    };
    const std::size_t units = raw.size() / unit;
    if (units == 0 || raw.size() % unit != 0) {
        return 0;
    }
    const unsigned last = unitAt(1);
    if (last == '\r') {
        return unit;
    }
    if (last != '\n') {
        return 0;
    }
    return units >= 2 && unitAt(2) == '\r' ? 2 * unit : unit;
}

bool FileLines::LineBytes(const LineIndex::Span& span, std::size_t limit, std::string& raw, bool& cut) const
{
    // Enough for the longest line end after limit bytes of text.
    const std::uint64_t length = span.end - span.begin;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length, limit + 4));
    raw.resize(want);
    DWORD error = 0;
    const std::optional<std::size_t> read = mFile->ReadAt(span.begin, raw.data(), want, error);
    if (!read || *read < want) {
        mError = read ? ERROR_HANDLE_EOF : error;
        return false;
    }
    if (want == length) {
        raw.resize(want - LineEndBytes(raw, mFile->Encoding()));
    }
    cut = raw.size() > limit;
    if (cut) {
        raw = std::string(DropLastCharacter(std::string_view(raw).substr(0, limit), mFile->Encoding()));
    }
    return true;
}

void FileLines::Read(std::uint64_t first, std::size_t count, const std::function<void(const LineView&)>& take)
{
    mIndex.Spans(first, count, mSpans);
    if (mSpans.empty()) {
        return;
    }
    const TextEncoding encoding = mFile->Encoding();
    // Short lines close together are read at once; others one by one, each only as far as shown.
    const bool together = mSpans.back().end - mSpans.front().begin <= kOneReadBytes
        && Buffer(mSpans.front().begin, mSpans.back().end);
    const std::uint64_t begin = mBufferAt;
    std::int64_t time = 0;
    std::uint64_t line = first;
    for (const LineIndex::Span& span : mSpans) {
        std::string_view raw;
        bool cut = false;
        bool readable = true;
        if (together) {
            raw = std::string_view(mBytes).substr(
                static_cast<std::size_t>(span.begin - begin), static_cast<std::size_t>(span.end - span.begin));
            raw.remove_suffix(LineEndBytes(raw, encoding));
            cut = raw.size() > kMaxLineBytes;
            if (cut) {
                raw = DropLastCharacter(raw.substr(0, kMaxLineBytes), encoding);
            }
        } else {
            readable = LineBytes(span, kMaxLineBytes, mRaw, cut);
            raw = readable ? std::string_view(mRaw) : std::string_view();
        }
        std::string_view text = raw;
        if (encoding != TextEncoding::Bytes || !unicode::is_valid_utf8(raw)) {
            mText.clear();
            AppendAsUtf8(mText, raw, encoding);
            text = mText;
        }
        LineView view;
        const bool inFormat = ParseLogFields(text, view);
        if (inFormat) {
            time = view.time;
        } else {
            view.time = time;
            view.text = text;
        }
        if (line == mCounts.lines) {
            ++mCounts.lines;
            mCounts.malformed += inFormat || !readable ? 0 : 1;
            mCounts.cut += cut ? 1 : 0;
            if (!readable) {
                ++mCounts.unreadable;
                mCounts.error = mError;
            }
        }
        ++line;
        take(view);
    }
}

bool FileLines::Buffer(std::uint64_t begin, std::uint64_t end)
{
    if (begin >= mBufferAt && end <= mBufferAt + mBytes.size()) {
        return true;
    }
    // Pages are mostly read in order: what follows is read with them, in one call.
    mBytes.resize(static_cast<std::size_t>(std::max<std::uint64_t>(kOneReadBytes, end - begin)));
    DWORD error = 0;
    const std::optional<std::size_t> read = mFile->ReadAt(begin, mBytes.data(), mBytes.size(), error);
    mBytes.resize(read.value_or(0));
    mBufferAt = begin;
    return end - begin <= mBytes.size();
}

std::optional<std::string> FileLines::WholeText(std::uint64_t line) const
{
    const LineIndex::Span span = mIndex.At(line);
    if (span.end - span.begin > kMaxWholeBytes) {
        return std::nullopt;
    }
    std::string raw;
    try {
        raw.resize(static_cast<std::size_t>(span.end - span.begin));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    DWORD error = 0;
    const std::optional<std::size_t> read = mFile->ReadAt(span.begin, raw.data(), raw.size(), error);
    if (!read || *read != raw.size()) {
        return std::nullopt;
    }
    raw.resize(raw.size() - LineEndBytes(raw, mFile->Encoding()));
    if (mFile->Encoding() == TextEncoding::Bytes && unicode::is_valid_utf8(raw)) {
        return raw;
    }
    std::string text;
    AppendAsUtf8(text, raw, mFile->Encoding());
    return text;
}

}  // namespace tracing

namespace tracing {

std::optional<std::uint64_t> FileLines::FindCandidates(std::string_view literal, bool matchCase, std::uint64_t first,
    std::uint64_t end, std::size_t maxBytes, std::vector<std::uint64_t>& lines)
{
    const bool ascii = std::all_of(literal.begin(), literal.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (mFile->Encoding() != TextEncoding::Bytes || !ascii || literal.empty()) {
        return std::nullopt;
    }
    end = std::min(end, mIndex.Lines());
    if (first >= end) {
        return end;
    }
    if (mFinder.Literal() != literal || mFinder.MatchCase() != matchCase) {
        mFinder = pattern::LiteralFinder(std::string(literal), matchCase);
    }
    const std::uint64_t from = mIndex.At(first).begin;
    const std::uint64_t last = mIndex.At(end - 1).end;
    const std::uint64_t to = std::min(last, from + std::max<std::size_t>(maxBytes, kOneReadBytes));
    // Runs of kOneReadBytes, each after the last literal.size() - 1 bytes of
    // the one before, so that a literal across two runs is found.
    const std::size_t keep = literal.size() - 1;
    for (std::uint64_t at = from; at < to;) {
        const std::uint64_t runFrom = at > from + keep ? at - keep : from;
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(kOneReadBytes, to - at) + (at - runFrom));
        mScan.resize(size);
        DWORD error = 0;
        const std::optional<std::size_t> read = mFile->ReadAt(runFrom, mScan.data(), size, error);
        if (!read || *read < size) {
            return std::nullopt;  // what cannot be read here is read line by line
        }
        const std::string_view bytes(mScan);
        for (std::size_t hit = mFinder.Find(bytes, 0); hit != std::string_view::npos;) {
            const std::uint64_t line = mIndex.LineAt(runFrom + hit);
            if (line >= first && line < end && (lines.empty() || lines.back() < line)) {
                lines.push_back(line);
            }
            // One hit a line is enough: go on after its end.
            const std::uint64_t lineEnd = mIndex.At(line).end;
            hit = lineEnd - runFrom >= bytes.size() ? std::string_view::npos
                                                    : mFinder.Find(bytes, static_cast<std::size_t>(lineEnd - runFrom));
        }
        at += size - (at - runFrom);
    }
    if (to == last) {
        return end;
    }
    // The line holding the byte where the look stopped is looked through
    // again next time; the first line is done even then, as what of it is
    // shown (its first kMaxLineBytes) has been looked through.
    return std::max(mIndex.LineAt(to), first + 1);
}

}  // namespace tracing
