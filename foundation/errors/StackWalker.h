// The hook every newly built exception calls, so that an embedding program
// can capture stack traces.
#pragma once

namespace StackWalker {

class StackWalker_IF {
public:
    virtual ~StackWalker_IF() = default;
    virtual void Walk() = 0;
};

class DummyStackWalker : public StackWalker_IF {
public:
    void Walk() override { }
};

// Installs the walker that exceptions call from now on (takes ownership);
// the walker already installed again changes nothing, and null returns to the
// built-in one that captures nothing. Safe while other threads walk: a walker
// being replaced lives until the last walk through it has returned.
void SetStackWalker(StackWalker_IF* walker);

// Calls the installed walker, else the built-in one.
void WalkCurrentStack();

}  // namespace StackWalker
