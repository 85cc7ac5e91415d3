#include "viewer/pattern/Compiler.h"

#include "viewer/pattern/Limits.h"

#include <algorithm>
#include <map>

namespace tracing {

namespace pattern {
namespace {

// The instructions node compiles to, counted before any is made so that
// "(a{1000}){1000}" is refused without first building a million of them.
// Counts stop growing just past the limit.
constexpr std::uint64_t kOver = kMaxInstructions + 1;

std::uint64_t Capped(std::uint64_t size)
{
    return std::min(size, kOver);
}

std::uint64_t Size(const Node& node)
{
    switch (node.mKind) {
    case NodeKind::Empty:
        return 0;
    case NodeKind::Unit:
    case NodeKind::Set:
    case NodeKind::Assertion:
        return 1;
    case NodeKind::Sequence:
    case NodeKind::Choice: {
        std::uint64_t size = node.mKind == NodeKind::Choice ? 2 * (node.mChildren.size() - 1) : 0;
        for (const Node& child : node.mChildren) {
            size = Capped(size + Size(child));
        }
        return size;
    }
    case NodeKind::Repeat: {
        const std::uint64_t child = Size(node.mChildren.front());
        if (node.mMax == kUnbounded) {
            return Capped(node.mMin == 0 ? child + 2 : node.mMin * child + 1);
        }
        return Capped(node.mMin * child + (node.mMax - node.mMin) * (child + 1));
    }
    }
    return kOver;
}

class Emitter {
public:
    Emitter(Program& program, bool matchCase)
        : mProgram(program)
        , mMatchCase(matchCase)
    {
    }

    void Emit(const Node& node);

private:
    std::uint32_t Here() const { return static_cast<std::uint32_t>(mProgram.mCode.size()); }
    std::uint32_t Add(Op op, std::uint32_t arg = 0, std::uint32_t other = 0)
    {
        mProgram.mCode.push_back(Instruction { .mOp = op, .mArg = arg, .mOther = other });
        return Here() - 1;
    }
    void EmitConsume(const CharSet& set);
    void EmitRepeat(const Node& node);

    Program& mProgram;
    bool mMatchCase;
    // Copies of a repeated class share one entry.
    std::map<std::vector<UnitRange>, std::uint32_t> mClassIndex;
};

void Emitter::Emit(const Node& node)
{
    switch (node.mKind) {
    case NodeKind::Empty:
        return;
    case NodeKind::Unit: {
        const CharSet unit(node.mUnit, node.mUnit);
        EmitConsume(mMatchCase ? unit : unit.WithBothCases());
        return;
    }
    case NodeKind::Set:
        EmitConsume(node.mSet);
        return;
    case NodeKind::Assertion:
        mProgram.mCode[Add(Op::Assert)].mAssertion = node.mAssertion;
        return;
    case NodeKind::Sequence:
        for (const Node& child : node.mChildren) {
            Emit(child);
        }
        return;
    case NodeKind::Choice: {
        // Split to each alternative but the last, each jumping to the end.
        std::vector<std::uint32_t> jumps;
        for (std::size_t i = 0; i + 1 < node.mChildren.size(); ++i) {
            const std::uint32_t split = Add(Op::Split, Here() + 1);
            Emit(node.mChildren[i]);
            jumps.push_back(Add(Op::Jump));
            mProgram.mCode[split].mOther = Here();
        }
        Emit(node.mChildren.back());
        for (const std::uint32_t jump : jumps) {
            mProgram.mCode[jump].mArg = Here();
        }
        return;
    }
    case NodeKind::Repeat:
        EmitRepeat(node);
        return;
    }
}

void Emitter::EmitRepeat(const Node& node)
{
    const Node& child = node.mChildren.front();
    if (node.mMax == kUnbounded && node.mMin == 0) {
        const std::uint32_t split = Add(Op::Split, Here() + 1);
        Emit(child);
        Add(Op::Jump, split);
        mProgram.mCode[split].mOther = Here();
        return;
    }
    if (node.mMax == kUnbounded) {
        // n-1 copies, then one that loops back to itself.
        for (std::uint32_t i = 1; i < node.mMin; ++i) {
            Emit(child);
        }
        const std::uint32_t loop = Here();
        Emit(child);
        Add(Op::Split, loop, Here() + 1);
        return;
    }
    for (std::uint32_t i = 0; i < node.mMin; ++i) {
        Emit(child);
    }
    // Each optional copy may be passed over, which ends the repetition: the
    // copies after it are never tried without it.
    std::vector<std::uint32_t> splits;
    for (std::uint32_t i = node.mMin; i < node.mMax; ++i) {
        splits.push_back(Add(Op::Split, Here() + 1));
        Emit(child);
    }
    for (const std::uint32_t split : splits) {
        mProgram.mCode[split].mOther = Here();
    }
}

void Emitter::EmitConsume(const CharSet& set)
{
    const auto [entry, added] = mClassIndex.try_emplace(set.Ranges(), static_cast<std::uint32_t>(mClassIndex.size()));
    if (added) {
        mProgram.mClasses.emplace_back(set);
    }
    Add(Op::Consume, entry->second);
}

// The bytes the first unit of a match can start with: every class reachable
// from the start without taking a unit. Assertions are assumed to hold.
void FindStartBytes(Program& program)
{
    std::vector<bool> seen(program.mCode.size());
    std::vector<std::uint32_t> pending { 0 };
    while (!pending.empty()) {
        const std::uint32_t pc = pending.back();
        pending.pop_back();
        if (seen[pc]) {
            continue;
        }
        seen[pc] = true;
        const Instruction& instruction = program.mCode[pc];
        switch (instruction.mOp) {
        case Op::Match:
            return;  // a match may be empty: it may start anywhere
        case Op::Jump:
            pending.push_back(instruction.mArg);
            break;
        case Op::Split:
            pending.push_back(instruction.mArg);
            pending.push_back(instruction.mOther);
            break;
        case Op::Assert:
            pending.push_back(pc + 1);
            break;
        case Op::Consume: {
            const UnitClass& unitClass = program.mClasses[instruction.mArg];
            for (unsigned c = 0; c < 128; ++c) {
                program.mStartBytes[c] = program.mStartBytes[c] || unitClass.Contains(c);
            }
            // Lead and invalid bytes alike: any byte from 0x80 up.
            if (unitClass.HasNonAscii()) {
                std::fill(program.mStartBytes.begin() + 128, program.mStartBytes.end(), true);
            }
            break;
        }
        }
    }
    const auto starts = std::count(program.mStartBytes.begin(), program.mStartBytes.end(), true);
    program.mUseStartBytes = starts < 200;
    // One or two start bytes (a letter in either case, a tab) are scanned for.
    if (starts >= 1 && starts <= 2) {
        const auto first = std::find(program.mStartBytes.begin(), program.mStartBytes.end(), true);
        const auto last = std::find(first + 1, program.mStartBytes.end(), true);
        program.mStartPair[0] = static_cast<char>(first - program.mStartBytes.begin());
        program.mStartPair[1] = last == program.mStartBytes.end()
            ? program.mStartPair[0]
            : static_cast<char>(last - program.mStartBytes.begin());
        program.mScanStartPair = true;
    }
}

}  // namespace

std::optional<Program> CompileTree(const Node& tree, bool matchCase, std::string& error)
{
    if (Size(tree) + 1 > kMaxInstructions) {
        error = "The pattern is too large: it would compile to more than " + std::to_string(kMaxInstructions)
            + " instructions.";
        return std::nullopt;
    }
    Program program;
    Emitter(program, matchCase).Emit(tree);
    program.mCode.push_back(Instruction { .mOp = Op::Match });
    FindStartBytes(program);
    return program;
}

}  // namespace pattern

}  // namespace tracing
