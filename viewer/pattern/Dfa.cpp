#include "viewer/pattern/Dfa.h"

#include "viewer/pattern/Limits.h"
#include "viewer/pattern/Program.h"

#include <algorithm>
#include <map>

namespace tracing {

namespace pattern {
namespace {

class DfaBuilder {
public:
    explicit DfaBuilder(const Program& program)
        : mProgram(program)
        , mSeen(program.mCode.size(), 0)
    {
    }

    std::optional<Dfa> Build();

private:
    struct Closure {
        std::vector<std::uint32_t> mThreads;  // sorted
        bool mMatched = false;
    };
    // The threads reachable from seeds without taking a byte. Positions after
    // the first byte are never the start; $ holds only with atEnd, and is
    // otherwise kept as a waiting thread.
    Closure Follow(const std::vector<std::uint32_t>& seeds, bool atStart, bool atEnd);
    std::int32_t StateOf(const Closure& closure);
    void AssignColumns();

    const Program& mProgram;
    Dfa mDfa;
    std::vector<std::uint32_t> mSeen;
    std::uint32_t mStamp = 0;
    std::uint64_t mWork = 0;
    std::map<std::vector<std::uint32_t>, std::int32_t> mStateIds;
    std::int32_t mMatchedState = -1;
};

DfaBuilder::Closure DfaBuilder::Follow(const std::vector<std::uint32_t>& seeds, bool atStart, bool atEnd)
{
    Closure closure;
    ++mStamp;
    std::vector<std::uint32_t> pending;
    const auto push = [&](std::uint32_t pc) {
        if (mSeen[pc] != mStamp) {
            mSeen[pc] = mStamp;
            pending.push_back(pc);
        }
    };
    for (const std::uint32_t seed : seeds) {
        push(seed);
    }
    while (!pending.empty()) {
        const std::uint32_t pc = pending.back();
        pending.pop_back();
        ++mWork;
        const Instruction& instruction = mProgram.mCode[pc];
        switch (instruction.mOp) {
        case Op::Consume:
            closure.mThreads.push_back(pc);
            break;
        case Op::Match:
            closure.mMatched = true;
            break;
        case Op::Jump:
            push(instruction.mArg);
            break;
        case Op::Split:
            push(instruction.mOther);
            push(instruction.mArg);
            break;
        case Op::Assert:
            if (instruction.mAssertion == Assertion::TextStart && atStart) {
                push(pc + 1);
            } else if (instruction.mAssertion == Assertion::TextEnd) {
                if (atEnd) {
                    push(pc + 1);
                } else {
                    closure.mThreads.push_back(pc);
                }
            }
            break;
        }
    }
    std::sort(closure.mThreads.begin(), closure.mThreads.end());
    return closure;
}

std::int32_t DfaBuilder::StateOf(const Closure& closure)
{
    // Once a match has ended the search is over: every such state is one.
    if (closure.mMatched) {
        if (mMatchedState < 0) {
            mMatchedState = static_cast<std::int32_t>(mDfa.mStates.size());
            Dfa::State matched;
            matched.mMatched = true;
            mDfa.mStates.push_back(std::move(matched));
        }
        return mMatchedState;
    }
    const auto [entry, added] = mStateIds.try_emplace(closure.mThreads, static_cast<std::int32_t>(mDfa.mStates.size()));
    if (added) {
        Dfa::State state;
        state.mThreads = closure.mThreads;
        state.mDead = closure.mThreads.empty();
        for (const std::uint32_t pc : closure.mThreads) {
            if (mProgram.mCode[pc].mOp == Op::Assert) {
                state.mMatchesAtEnd = state.mMatchesAtEnd || Follow({ pc + 1 }, false, true).mMatched;
            }
        }
        mDfa.mStates.push_back(std::move(state));
    }
    return entry->second;
}

void DfaBuilder::AssignColumns()
{
    std::map<std::vector<bool>, std::uint8_t> columns;
    for (unsigned byte = 0; byte < 128; ++byte) {
        std::vector<bool> membership;
        for (const UnitClass& unitClass : mProgram.mClasses) {
            membership.push_back(unitClass.Contains(byte));
        }
        const auto [entry, added] = columns.try_emplace(membership, static_cast<std::uint8_t>(columns.size()));
        mDfa.mColumn[byte] = entry->second;
    }
    mDfa.mColumns = columns.size();
}

std::optional<Dfa> DfaBuilder::Build()
{
    AssignColumns();
    mDfa.mStartAtZero = StateOf(Follow({ 0 }, true, false));
    mDfa.mStartLater = StateOf(Follow({ 0 }, false, false));
    // One byte standing for each column. States are numbered as they are
    // found, so this loop reaches each new one in turn.
    std::vector<std::uint8_t> sample(mDfa.mColumns);
    for (unsigned byte = 128; byte-- > 0;) {
        sample[mDfa.mColumn[byte]] = static_cast<std::uint8_t>(byte);
    }
    for (std::size_t state = 0; state < mDfa.mStates.size(); ++state) {
        if (mDfa.mStates.size() > kMaxDfaStates || mWork > kMaxDfaWork) {
            return std::nullopt;
        }
        for (std::size_t column = 0; column < mDfa.mColumns; ++column) {
            // After a byte: the threads that take it, and a match that may start anew.
            std::vector<std::uint32_t> seeds { 0 };
            for (const std::uint32_t pc : mDfa.mStates[state].mThreads) {
                const Instruction& instruction = mProgram.mCode[pc];
                if (instruction.mOp == Op::Consume && mProgram.mClasses[instruction.mArg].Contains(sample[column])) {
                    seeds.push_back(pc + 1);
                }
            }
            const std::int32_t next = StateOf(Follow(seeds, false, false));
            mDfa.mNext.push_back(next);
        }
    }
    static_assert(kMaxDfaStates < 0xFFFF);
    mDfa.mByteNext.resize(mDfa.mStates.size() * 128);
    for (std::size_t state = 0; state < mDfa.mStates.size(); ++state) {
        for (unsigned byte = 0; byte < 128; ++byte) {
            mDfa.mByteNext[state * 128 + byte]
                = static_cast<std::uint16_t>(mDfa.mNext[state * mDfa.mColumns + mDfa.mColumn[byte]]);
        }
        const Dfa::State& built = mDfa.mStates[state];
        mDfa.mStops.push_back(built.mMatched || built.mDead || state == static_cast<std::size_t>(mDfa.mStartLater));
    }
    return std::move(mDfa);
}

}  // namespace

std::optional<Dfa> BuildDfa(const Program& program)
{
    if (program.mCode.size() > kMaxDfaInstructions) {
        return std::nullopt;
    }
    for (const Instruction& instruction : program.mCode) {
        if (instruction.mOp == Op::Assert && instruction.mAssertion != Assertion::TextStart
            && instruction.mAssertion != Assertion::TextEnd) {
            return std::nullopt;
        }
    }
    return DfaBuilder(program).Build();
}

}  // namespace pattern

}  // namespace tracing
