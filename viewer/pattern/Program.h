// A compiled pattern: the instructions of a nondeterministic automaton over
// units, the classes they test, and what lets a search skip text.
#pragma once

#include "viewer/pattern/CharSet.h"
#include "viewer/pattern/Dfa.h"
#include "viewer/pattern/LiteralFinder.h"
#include "viewer/pattern/Syntax.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tracing {

namespace pattern {

enum class Op : std::uint8_t {
    Consume,  // take one unit of classes[mArg], go on at the next instruction
    Split,  // go on at both mArg and mOther
    Jump,  // go on at mArg
    Assert,  // go on at the next instruction where mAssertion holds
    Match,
};

struct Instruction {
    Op mOp = Op::Match;
    Assertion mAssertion = Assertion::TextStart;
    std::uint32_t mArg = 0;
    std::uint32_t mOther = 0;
};

// A class laid out for testing: ASCII by bitmap, the rest by its ranges.
class UnitClass {
public:
    explicit UnitClass(const CharSet& set);

    bool Contains(std::uint32_t unit) const noexcept
    {
        if (unit < 128) {
            return ((mAscii[unit >> 6] >> (unit & 63)) & 1) != 0;
        }
        return mSet.Contains(unit);
    }
    bool HasNonAscii() const noexcept { return !mSet.Ranges().empty() && mSet.Ranges().back().mLast >= 128; }

private:
    std::uint64_t mAscii[2] = {};
    CharSet mSet;
};

struct Program {
    std::vector<Instruction> mCode;  // starts at 0
    std::vector<UnitClass> mClasses;

    // Every match holds mRequired; with mWholeLiteral, holding it is matching.
    LiteralFinder mRequired;
    bool mWholeLiteral = false;
    // The longest run of mRequired without a tab: a match in fields joined
    // by tabs holds it within one field.
    LiteralFinder mRequiredInField;
    // Every match starts with mLeading, or at the start of the text. When
    // mRequiredLeads, mRequired is that text: where it is first found is
    // where the first match may start.
    LiteralFinder mLeading;
    bool mRequiredLeads = false;
    bool mAnchoredAtStart = false;
    // Every match starts with a tab (mLeading does, and the pattern is not
    // anchored): in fields joined by tabs a match starts at a tab, and the
    // text before the first tab is never part of one.
    bool mLeadsWithTab = false;
    // Then what must follow a tab for a match to start there: mLeading after
    // its tab, up to the next one.
    std::string mFieldStart;
    // The automaton's state once it has read a tab and mFieldStart, and how
    // many bytes of mFieldStart it may skip so (0 when the bytes do not
    // lead straight there): a search that has compared them need not step
    // them again.
    std::uint32_t mAfterFieldStart = 0;
    std::size_t mFieldStartSkip = 0;
    // Bytes a match can start with, when a match cannot be empty; without
    // mUseStartBytes every byte may start one.
    std::array<bool, 256> mStartBytes {};
    bool mUseStartBytes = false;
    // With mScanStartPair the start bytes are these (the same one twice when
    // there is one), found faster than by testing each byte.
    char mStartPair[2] = {};
    bool mScanStartPair = false;
    // The same automaton made deterministic, where that is small enough.
    std::optional<Dfa> mDfa;
};

}  // namespace pattern

}  // namespace tracing
