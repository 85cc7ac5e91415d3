// The library's re-entrant locks and the scoped holder that takes them.
#pragma once

#include <windows.h>

// A lock that can be taken and released; the holder below works on any of them.
class BaseCriticalSection {
public:
    virtual ~BaseCriticalSection() = default;
    virtual void Enter() = 0;
    virtual void Leave() = 0;

protected:
    BaseCriticalSection() = default;
    BaseCriticalSection(const BaseCriticalSection&) = delete;
    BaseCriticalSection& operator=(const BaseCriticalSection&) = delete;
};

// A lock over a Win32 critical section: re-entrant for the thread that holds
// it, each Enter matched by one Leave.
class WinCriticalSection : public BaseCriticalSection {
public:
    WinCriticalSection() noexcept;
    ~WinCriticalSection() override;
    void Enter() override;
    void Leave() override;

private:
    CRITICAL_SECTION mCriticalSection;
};

// The lock type the library's own classes derive from.
class TalvaneCriticalSection : public WinCriticalSection {
public:
    TalvaneCriticalSection() noexcept = default;
};

// Holds a lock from construction to destruction. It does not own the lock; a
// null lock makes the holder do nothing at either end.
class [[nodiscard]] TalvaneAutoCriticalSection {
public:
    explicit TalvaneAutoCriticalSection(BaseCriticalSection* lock);
    TalvaneAutoCriticalSection(const TalvaneAutoCriticalSection&) = delete;
    TalvaneAutoCriticalSection& operator=(const TalvaneAutoCriticalSection&) = delete;
    virtual ~TalvaneAutoCriticalSection();

private:
    BaseCriticalSection* mLock;
};
