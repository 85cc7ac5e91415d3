#include "foundation/errors/StackWalker.h"

#include <atomic>
#include <memory>

namespace StackWalker {
namespace {

// Empty until an embedding program installs a walker; constant-initialised so
// that exceptions built by other static initialisers find it ready. Each read
// takes its own reference atomically, so a replacement on another thread can
// never free the walker between the read and the walk.
constinit std::atomic<std::shared_ptr<StackWalker_IF>> gWalkerSlot;

StackWalker_IF& DefaultWalker()
{
    // A function-local static: created once even when two threads build
    // their first exception at the same moment, released at exit.
    static const std::unique_ptr<StackWalker_IF> holder = std::make_unique<DummyStackWalker>();
    return *holder;
}

}  // namespace

void SetStackWalker(StackWalker_IF* walker)
{
    if (gWalkerSlot.load().get() == walker) {
        return;  // a second owner of the same object would delete it twice
    }
    gWalkerSlot.store(std::shared_ptr<StackWalker_IF>(walker));
}

void WalkCurrentStack()
{
    const std::shared_ptr<StackWalker_IF> walker = gWalkerSlot.load();
    if (walker) {
        walker->Walk();
    } else {
        DefaultWalker().Walk();
    }
}

}  // namespace StackWalker
