#include "viewer/pattern/Matcher.h"

#include "viewer/pattern/ByteScan.h"
#include "viewer/pattern/Limits.h"
#include "viewer/pattern/Utf8.h"

#include <algorithm>
#include <memory>
#include <new>

namespace tracing {

namespace pattern {
namespace {

bool IsWordByte(unsigned char c) noexcept
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The first byte in [at, end) where a match may start, for a search with no
// thread carried over; end when there is none.
const unsigned char* SkipToStart(const Program& program, const unsigned char* at, const unsigned char* end) noexcept
{
    if (program.mScanStartPair) {
        const auto text = [](const unsigned char* p) { return reinterpret_cast<const char*>(p); };
        const char* hit = FindEither(text(at), text(end), program.mStartPair[0], program.mStartPair[1]);
        return at + (hit - text(at));
    }
    if (program.mUseStartBytes) {
        while (at != end && !program.mStartBytes[*at]) {
            ++at;
        }
    }
    return at;
}

// Steps the automaton from state over [at, end) until a state where it must
// stop (see Dfa::mStops), a byte from 0x80 up, or end; returns where it
// stopped, with state the state there. The search's inner loop: a load and
// two tests a byte.
inline const unsigned char* StepDfa(
    const Dfa& dfa, std::uint32_t& state, const unsigned char* at, const unsigned char* const end) noexcept
{
    const std::uint16_t* const next = dfa.mByteNext.data();
    const std::uint8_t* const stops = dfa.mStops.data();
    std::uint32_t current = state;
    while (at != end && *at < 0x80) {
        current = next[current * 128 + *at++];
        if (stops[current] != 0) {
            break;
        }
    }
    state = current;
    return at;
}

// The four arrays a run needs, one entry per instruction each: on the stack
// for the usual small program, so that a search of a short line allocates
// nothing; from the heap for a large one.
class Scratch {
public:
    explicit Scratch(std::size_t instructions) noexcept
    {
        mSize = instructions;
        if (instructions <= kOnStack) {
            mBase = mOnStack;
        } else {
            mHeap.reset(new (std::nothrow) std::uint32_t[4 * instructions]);
            mBase = mHeap.get();
        }
        if (mBase != nullptr) {
            std::fill(mBase, mBase + mSize, 0u);
        }
    }
    bool Ready() const noexcept { return mBase != nullptr; }
    std::uint32_t* Marks() noexcept { return mBase; }
    std::uint32_t* List(int which) noexcept { return mBase + (1 + which) * mSize; }
    std::uint32_t* Stack() noexcept { return mBase + 3 * mSize; }

private:
    static constexpr std::size_t kOnStack = 128;
    std::uint32_t mOnStack[4 * kOnStack];
    std::unique_ptr<std::uint32_t[]> mHeap;
    std::uint32_t* mBase = nullptr;
    std::size_t mSize = 0;
};

class Run {
public:
    Run(const Program& program, std::string_view text, Scratch& scratch) noexcept
        : mCode(program.mCode.data())
        , mProgram(program)
        , mText(reinterpret_cast<const unsigned char*>(text.data()))
        , mSize(text.size())
        , mMarks(scratch.Marks())
        , mStack(scratch.Stack())
    {
        mLists[0] = scratch.List(0);
        mLists[1] = scratch.List(1);
    }

    SearchResult Search(std::size_t from) noexcept;

private:
    SearchResult SearchWithDfa(const Dfa& dfa, std::size_t from) noexcept;
    // Steps every thread from position, where the first list holds live
    // threads already, marked with the current stamp.
    SearchResult Simulate(std::size_t position, std::size_t live) noexcept;
    // Adds pc and everything reachable from it without taking a unit to
    // list, as threads at position at. True when that reaches Match.
    bool AddThreads(std::uint32_t* list, std::size_t& count, std::uint32_t pc, std::size_t at) noexcept;
    bool Holds(Assertion assertion, std::size_t at) const noexcept;
    // The first position at or after from where a match may start, or npos.
    std::size_t NextStart(std::size_t from) const noexcept;
    bool MayStartAt(std::size_t at) const noexcept;

    const Instruction* mCode;
    const Program& mProgram;
    const unsigned char* mText;
    std::size_t mSize;
    std::uint32_t* mMarks;  // an instruction is on the list being built when its mark is mStamp
    std::uint32_t* mStack;
    std::uint32_t* mLists[2];
    std::uint32_t mStamp = 1;
    std::uint64_t mSteps = 0;
};

bool Run::Holds(Assertion assertion, std::size_t at) const noexcept
{
    switch (assertion) {
    case Assertion::TextStart:
        return at == 0;
    case Assertion::TextEnd:
        return at == mSize;
    case Assertion::WordBoundary:
    case Assertion::NotWordBoundary: {
        // Word characters are ASCII: the bytes either side tell.
        const bool before = at > 0 && IsWordByte(mText[at - 1]);
        const bool after = at < mSize && IsWordByte(mText[at]);
        return (before != after) == (assertion == Assertion::WordBoundary);
    }
    }
    return false;
}

bool Run::AddThreads(std::uint32_t* list, std::size_t& count, std::uint32_t pc, std::size_t at) noexcept
{
    // Marking on the push keeps each instruction on the stack at most once,
    // so the stack never outgrows the program, empty loops included.
    std::size_t depth = 0;
    const auto push = [&](std::uint32_t target) {
        if (mMarks[target] != mStamp) {
            mMarks[target] = mStamp;
            mStack[depth++] = target;
        }
    };
    push(pc);
    while (depth > 0) {
        const std::uint32_t current = mStack[--depth];
        ++mSteps;
        const Instruction& instruction = mCode[current];
        switch (instruction.mOp) {
        case Op::Consume:
            list[count++] = current;
            break;
        case Op::Match:
            return true;
        case Op::Jump:
            push(instruction.mArg);
            break;
        case Op::Split:
            push(instruction.mOther);
            push(instruction.mArg);
            break;
        case Op::Assert:
            if (Holds(instruction.mAssertion, at)) {
                push(current + 1);
            }
            break;
        }
    }
    return false;
}

bool Run::MayStartAt(std::size_t at) const noexcept
{
    if (mProgram.mAnchoredAtStart && at > 0) {
        return false;
    }
    if (!mProgram.mUseStartBytes) {
        return true;
    }
    return at < mSize && mProgram.mStartBytes[mText[at]];
}

std::size_t Run::NextStart(std::size_t from) const noexcept
{
    if (mProgram.mAnchoredAtStart) {
        return from == 0 ? 0 : std::string_view::npos;
    }
    if (!mProgram.mLeading.Empty()) {
        return mProgram.mLeading.Find(std::string_view(reinterpret_cast<const char*>(mText), mSize), from);
    }
    if (!mProgram.mUseStartBytes) {
        return from;
    }
    if (from >= mSize) {
        return std::string_view::npos;  // a match takes a byte at least
    }
    // Skipped bytes are ASCII or rejected bytes from 0x80 up; where the scan
    // stops is ASCII or a byte from 0x80 up after ASCII: a unit's start
    // either way (see FindStartBytes).
    const unsigned char* const end = mText + mSize;
    const unsigned char* const at = SkipToStart(mProgram, mText + from, end);
    return at != end ? static_cast<std::size_t>(at - mText) : std::string_view::npos;
}

SearchResult Run::Search(std::size_t from) noexcept
{
    // An empty text is both start and end, which the deterministic states,
    // made for positions after the first byte, do not tell apart.
    if (mProgram.mDfa && mSize > 0) {
        return SearchWithDfa(*mProgram.mDfa, from);
    }
    return Simulate(from, 0);
}

SearchResult Run::SearchWithDfa(const Dfa& dfa, std::size_t from) noexcept
{
    std::size_t position = from;
    std::uint32_t state = static_cast<std::uint32_t>(from == 0 ? dfa.mStartAtZero : dfa.mStartLater);
    for (;;) {
        const Dfa::State& current = dfa.mStates[state];
        if (current.mMatched) {
            return SearchResult::Match;
        }
        if (current.mDead) {
            return SearchResult::NoMatch;
        }
        if (state == static_cast<std::uint32_t>(dfa.mStartLater)) {
            position = NextStart(position);
            if (position == std::string_view::npos) {
                return SearchResult::NoMatch;
            }
        }
        if (position >= mSize) {
            return current.mMatchesAtEnd ? SearchResult::Match : SearchResult::NoMatch;
        }
        if (mText[position] >= 0x80) {
            // Units beyond ASCII have no column: the threads go on from here.
            ++mStamp;
            std::size_t live = 0;
            for (const std::uint32_t pc : current.mThreads) {
                if (mCode[pc].mOp == Op::Consume) {
                    mMarks[pc] = mStamp;
                    mLists[0][live++] = pc;
                }
            }
            return Simulate(position, live);
        }
        if (mSteps >= kStepBudget) {
            return SearchResult::GaveUp;
        }
        const std::size_t end = position + std::min<std::uint64_t>(mSize - position, kStepBudget - mSteps);
        const std::size_t stopped
            = static_cast<std::size_t>(StepDfa(dfa, state, mText + position, mText + end) - mText);
        mSteps += stopped - position;
        position = stopped;
    }
}

SearchResult Run::Simulate(std::size_t position, std::size_t live) noexcept
{
    int current = 0;
    for (;;) {
        if (live == 0) {
            // Nothing carried over: on to the next place a match may start.
            position = NextStart(position);
            if (position == std::string_view::npos) {
                return SearchResult::NoMatch;
            }
            ++mStamp;
        }
        if (MayStartAt(position) && AddThreads(mLists[current], live, 0, position)) {
            return SearchResult::Match;
        }
        if (position >= mSize) {
            return SearchResult::NoMatch;
        }
        std::uint32_t unit = mText[position];
        const std::size_t length = unit < 0x80 ? 1 : DecodeUnit(mText + position, mSize - position, unit);
        ++mStamp;
        std::size_t nextLive = 0;
        std::uint32_t* const next = mLists[1 - current];
        for (std::size_t i = 0; i < live; ++i) {
            const Instruction& instruction = mCode[mLists[current][i]];
            ++mSteps;
            if (mProgram.mClasses[instruction.mArg].Contains(unit)
                && AddThreads(next, nextLive, mLists[current][i] + 1, position + length)) {
                return SearchResult::Match;
            }
        }
        if (mSteps > kStepBudget) {
            return SearchResult::GaveUp;
        }
        current = 1 - current;
        live = nextLive;
        position += length;
    }
}

}  // namespace

SearchResult RunProgram(const Program& program, std::string_view text, std::size_t from) noexcept
{
    Scratch scratch(program.mCode.size());
    if (!scratch.Ready()) {
        return SearchResult::GaveUp;
    }
    return Run(program, text, scratch).Search(from);
}

std::optional<SearchResult> ProbeAnchored(const Program& program, std::string_view text) noexcept
{
    if (!program.mAnchoredAtStart || !program.mDfa || text.empty()) {
        return std::nullopt;
    }
    const Dfa& dfa = *program.mDfa;
    std::uint32_t state = static_cast<std::uint32_t>(dfa.mStartAtZero);
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = begin + std::min(text.size(), kAnchoredProbe);
    const auto* const stopped = dfa.mStops[state] != 0 ? begin : StepDfa(dfa, state, begin, end);
    const Dfa::State& reached = dfa.mStates[state];
    if (reached.mMatched) {
        return SearchResult::Match;
    }
    if (reached.mDead) {
        return SearchResult::NoMatch;
    }
    if (stopped == begin + text.size()) {
        return reached.mMatchesAtEnd ? SearchResult::Match : SearchResult::NoMatch;
    }
    return std::nullopt;
}

std::optional<SearchResult> RunDfaOverFields(const Program& program, Fields fields) noexcept
{
    // One field alone may be empty, which the automaton's states do not tell
    // from a later position (see Run::Search).
    if (!program.mDfa || fields.size() < 2) {
        return std::nullopt;
    }
    const Dfa& dfa = *program.mDfa;
    const auto startLater = static_cast<std::uint32_t>(dfa.mStartLater);
    std::uint32_t state = static_cast<std::uint32_t>(dfa.mStartAtZero);
    std::uint64_t steps = 0;
    for (std::size_t field = 0; field < fields.size(); ++field) {
        if (field != 0) {
            // The tab before this field.
            if (dfa.mStops[state] != 0 && state != startLater) {
                break;
            }
            if (++steps > kStepBudget) {
                return SearchResult::GaveUp;
            }
            state = dfa.mByteNext[state * 128 + static_cast<unsigned char>(kFieldSeparator)];
        }
        const auto* at = reinterpret_cast<const unsigned char*>(fields[field].data());
        const auto* const end = at + fields[field].size();
        while (at != end) {
            if (dfa.mStops[state] != 0) {
                if (state != startLater) {
                    break;
                }
                if ((at = SkipToStart(program, at, end)) == end) {
                    break;
                }
            }
            if (*at >= 0x80) {
                return std::nullopt;  // the threads go on from here, over the joined text
            }
            if (steps >= kStepBudget) {
                return SearchResult::GaveUp;
            }
            const auto* const limit = at + std::min<std::uint64_t>(end - at, kStepBudget - steps);
            const auto* const stopped = StepDfa(dfa, state, at, limit);
            steps += static_cast<std::uint64_t>(stopped - at);
            at = stopped;
        }
    }
    const Dfa::State& last = dfa.mStates[state];
    return last.mMatched || last.mMatchesAtEnd ? SearchResult::Match : SearchResult::NoMatch;
}

std::optional<SearchResult> RunDfaFromTabs(const Program& program, Fields fields, FieldTabs tabs) noexcept
{
    if (!program.mDfa || !program.mLeadsWithTab || fields.empty()) {
        return std::nullopt;
    }
    const Dfa& dfa = *program.mDfa;
    const auto startLater = static_cast<std::uint32_t>(dfa.mStartLater);
    const auto afterTab = static_cast<std::uint32_t>(dfa.mByteNext[startLater * 128 + kFieldSeparator]);
    const std::string_view begins = program.mFieldStart;
    const bool matchCase = program.mLeading.MatchCase();
    const auto beginsWith = [&](const char* at, const char* end) {
        if (static_cast<std::size_t>(end - at) < begins.size()) {
            return false;
        }
        for (std::size_t i = 0; i < begins.size(); ++i) {
            const char c = at[i];
            if ((matchCase || c < 'A' || c > 'Z' ? c : static_cast<char>(c - 'A' + 'a')) != begins[i]) {
                return false;
            }
        }
        return true;
    };
    std::uint64_t steps = 0;
    std::size_t field = 0;
    const char* at = fields[0].data();
    for (;;) {
        // No match under way: on to the next tab, within a field or between
        // two, followed by what a match needs.
        const char* end = fields[field].data() + fields[field].size();
        const char* const tab
            = tabs == FieldTabs::Between ? end : FindEither(at, end, kFieldSeparator, kFieldSeparator);
        if (tab != end) {
            at = tab + 1;
        } else if (++field == fields.size()) {
            return SearchResult::NoMatch;
        } else {
            at = fields[field].data();
            end = at + fields[field].size();
        }
        if (!beginsWith(at, end)) {
            continue;
        }
        // A match may start at that tab: the automaton runs from there until
        // it has nothing left of one (back at mStartLater) or answers.
        std::uint32_t state = program.mFieldStartSkip != 0 ? program.mAfterFieldStart : afterTab;
        at += program.mFieldStartSkip;
        steps += 1 + program.mFieldStartSkip;
        for (;;) {
            while (at != end && dfa.mStops[state] == 0) {
                if (static_cast<unsigned char>(*at) >= 0x80) {
                    return std::nullopt;  // the threads go on from here, over the joined text
                }
                if (steps >= kStepBudget) {
                    return SearchResult::GaveUp;
                }
                const auto* const from = reinterpret_cast<const unsigned char*>(at);
                const auto* const limit = from + std::min<std::uint64_t>(end - at, kStepBudget - steps);
                const auto* const stopped = StepDfa(dfa, state, from, limit);
                steps += static_cast<std::uint64_t>(stopped - from);
                at += stopped - from;
            }
            const Dfa::State& reached = dfa.mStates[state];
            if (reached.mMatched) {
                return SearchResult::Match;
            }
            if (reached.mDead) {
                return SearchResult::NoMatch;
            }
            if (state == startLater) {
                break;
            }
            if (field + 1 == fields.size()) {
                return reached.mMatchesAtEnd ? SearchResult::Match : SearchResult::NoMatch;
            }
            if (++steps > kStepBudget) {
                return SearchResult::GaveUp;
            }
            state = dfa.mByteNext[state * 128 + kFieldSeparator];
            ++field;
            at = fields[field].data();
            end = at + fields[field].size();
        }
    }
}

}  // namespace pattern

}  // namespace tracing
