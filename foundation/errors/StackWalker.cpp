#include "foundation/errors/StackWalker.h"

namespace StackWalker {
namespace {

// Empty until an embedding program installs a walker; constant-initialised so
// that exceptions built by other static initialisers find it ready.
constinit CountedPtr<StackWalker_IF> gWalkerSlot;

StackWalker_IF& DefaultWalker()
{
    // A function-local static: created once even when two threads build
    // their first exception at the same moment, released at exit.
    static CountedPtr<StackWalker_IF> holder(new DummyStackWalker);
    return *holder.get();
}

}  // namespace

void SetStackWalker(StackWalker_IF* walker)
{
    gWalkerSlot.Assign(walker);
}

void WalkCurrentStack()
{
    // A copy keeps the walker alive while it runs even if it is replaced.
    const CountedPtr<StackWalker_IF> walker = gWalkerSlot;
    if (walker) {
        walker->Walk();
    } else {
        DefaultWalker().Walk();
    }
}

}  // namespace StackWalker
